// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/command_words.h"

namespace crunchwise {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isOperator(char c) {
    return c == '&' || c == '|' || c == '<' || c == '>';
}

} // namespace

CommandWords splitCommandWords(std::string_view line) {
    CommandWords result;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (const char c : line) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true; // "" is an empty word of its own
            continue;
        }
        if (!quoted && isBlank(c)) {
            if (inWord) {
                result.words.push_back(std::move(word));
                word.clear();
                inWord = false;
            }
            continue;
        }
        if (!quoted && isOperator(c) && result.unquotedOperator == '\0')
            result.unquotedOperator = c;
        word.push_back(c);
        inWord = true;
    }
    if (inWord)
        result.words.push_back(std::move(word));
    return result;
}

} // namespace crunchwise
