// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/cmd/batch_line.h"

#include "platform/command_words.h"

#include <algorithm>

namespace crunchwise::tools {
namespace {

std::string lowerAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return text;
}

bool isRemark(const std::string& command, const std::vector<std::string>& words) {
    if (command == "rem" || command.starts_with("::"))
        return true;
    return command == "echo" &&
           (words.size() == 1 ||
            (words.size() == 2 && (lowerAscii(words[1]) == "off" || lowerAscii(words[1]) == "on")));
}

BatchLine::Kind commandKind(const std::string& command) {
    if (command == "compress" || command == "compress.exe")
        return BatchLine::Kind::compress;
    if (command == "ren" || command == "rename")
        return BatchLine::Kind::ren;
    if (command == "del" || command == "erase")
        return BatchLine::Kind::del;
    return BatchLine::Kind::unknown;
}

} // namespace

BatchLine parseBatchLine(std::string_view line) {
    // A NUL would end the name at the host, so the command would act on
    // another file than the one the line names.
    if (line.find('\0') != std::string_view::npos) {
        BatchLine refused;
        refused.kind = BatchLine::Kind::refused;
        refused.reason = "holds a NUL character; line not run";
        return refused;
    }
    const auto start = line.find_first_not_of(" \t@");
    if (start == std::string_view::npos)
        return {};
    CommandWords split = splitCommandWords(line.substr(start));
    BatchLine result;
    if (split.words.empty())
        return result;
    const std::string command = lowerAscii(split.words.front());
    if (isRemark(command, split.words))
        return result;
    if (split.unquotedOperator != '\0') {
        result.kind = BatchLine::Kind::refused;
        result.reason =
            std::string("unquoted '") + split.unquotedOperator + "' is not supported; line not run";
        return result;
    }
    result.kind = commandKind(command);
    if (result.kind == BatchLine::Kind::unknown) {
        result.reason = "unknown command \"" + split.words.front() + "\"; line not run";
        return result;
    }
    result.arguments.assign(std::make_move_iterator(split.words.begin() + 1),
                            std::make_move_iterator(split.words.end()));
    return result;
}

std::vector<std::string_view> splitBatchLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        lines.push_back(line);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    }
    return lines;
}

} // namespace crunchwise::tools
