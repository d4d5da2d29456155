// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/pif_file.h"

#include "platform/command_words.h"

#include <fstream>

namespace crunchwise {
namespace {

constexpr std::size_t kMaxSize = 64 * 1024;

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

PifReadResult malformed(std::size_t lineNumber, const std::string& reason) {
    PifReadResult result;
    result.status = PifReadResult::Status::malformed;
    result.error = lineNumber == 0 ? reason : "line " + std::to_string(lineNumber) + ": " + reason;
    return result;
}

} // namespace

PifReadResult parsePifFile(std::string_view text, const std::filesystem::path& folder) {
    PifReadResult result;
    bool haveProgram = false;
    bool haveArguments = false;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = trimmed(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        ++lineNumber;
        if (line.empty() || line.front() == '#' || line.front() == ';')
            continue;
        const auto equals = line.find('=');
        if (equals == std::string_view::npos)
            return malformed(lineNumber, "expected key=value");
        const std::string_view key = trimmed(line.substr(0, equals));
        const std::string_view value = trimmed(line.substr(equals + 1));
        if (key == "program") {
            if (haveProgram || value.empty())
                return malformed(lineNumber, haveProgram ? "program given twice" : "empty program");
            haveProgram = true;
            result.pif.program = folder / std::filesystem::path(value);
        } else if (key == "arguments") {
            if (haveArguments)
                return malformed(lineNumber, "arguments given twice");
            haveArguments = true;
            result.pif.arguments = splitCommandWords(value).words;
        } else {
            return malformed(lineNumber, "unknown key \"" + std::string(key) + "\"");
        }
    }
    if (!haveProgram)
        return malformed(0, "no program line");
    return result;
}

PifReadResult readPifFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::error_code error;
    if (!in || std::filesystem::is_directory(path, error)) {
        PifReadResult result;
        result.status = PifReadResult::Status::notFound;
        result.error = "cannot be read";
        return result;
    }
    std::string text;
    text.resize(kMaxSize + 1);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > kMaxSize)
        return malformed(0, "larger than 64 KiB");
    if (text.find('\0') != std::string::npos)
        return malformed(0, "not a text file");
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    return parsePifFile(text, folder);
}

} // namespace crunchwise
