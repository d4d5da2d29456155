// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/compressed_name.h"

#include "core/utf8.h"

namespace crunchwise {
namespace {

bool isShortNameCharacter(char c) {
    return c > ' ' && c < 0x7F && c != '.' && c != '/' && c != '\\';
}

bool isShortNamePart(std::string_view part, std::size_t longest) {
    for (const char c : part)
        if (!isShortNameCharacter(c))
            return false;
    return part.size() <= longest;
}

} // namespace

std::size_t lastCharacterSize(std::string_view name) {
    std::size_t last = 0;
    for (std::size_t at = 0; at < name.size(); at += last) {
        last = utf8SequenceLength(name.substr(at));
        if (last == 0)
            return 1; // not UTF-8: the last byte is the last character
    }
    return last;
}

std::string compressedName(std::string_view name) {
    if (name.empty())
        return {};
    return std::string(name.substr(0, name.size() - lastCharacterSize(name))) + '_';
}

std::uint8_t missingCharacter(std::string_view name) {
    if (lastCharacterSize(name) != 1)
        return 0;
    return static_cast<std::uint8_t>(name.back());
}

bool splitShortName(std::string_view fileName, std::string& name, std::string& extension) {
    name.clear();
    extension.clear();
    const std::size_t dot = fileName.find('.');
    const std::string_view base = fileName.substr(0, dot);
    const std::string_view ext =
        dot == std::string_view::npos ? std::string_view{} : fileName.substr(dot + 1);
    if (base.empty() || !isShortNamePart(base, 8) || !isShortNamePart(ext, 3))
        return false;
    name = base;
    extension = ext;
    return true;
}

} // namespace crunchwise
