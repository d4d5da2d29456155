// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/compressed_name.h"

namespace crunchwise {
namespace {

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The length of the UTF-8 sequence that starts at `text[0]`, or 0 when none
// does: no overlong forms, no surrogates, nothing above U+10FFFF.
std::size_t sequenceLength(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length = 0;
    unsigned char low = 0x80; // the allowed range of the second byte
    unsigned char high = 0xBF;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() < length)
        return 0;
    const auto second = static_cast<unsigned char>(text[1]);
    if (second < low || second > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (!isContinuation(static_cast<unsigned char>(text[i])))
            return 0;
    return length;
}

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
        last = sequenceLength(name.substr(at));
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
