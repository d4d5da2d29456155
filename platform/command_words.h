// SPDX-License-Identifier: GPL-3.0-or-later
// Splitting a command line into words by the command interpreter's quoting:
// words are separated by blanks (spaces and tabs); a double quote starts or
// ends a quoted run in which blanks and the characters & | < > are plain
// text; the quotes themselves are removed. An unclosed quote runs to the end
// of the line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace crunchwise {

struct CommandWords {
    std::vector<std::string> words;
    // The first of & | < > found outside quotes, or '\0' when there is none.
    char unquotedOperator = '\0';
};

// Splits `line`. Has no failure: an empty or blank line gives no words.
CommandWords splitCommandWords(std::string_view line);

} // namespace crunchwise
