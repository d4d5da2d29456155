// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/expanded_name.h"

#include "core/compressed_name.h"

#include <algorithm>
#include <array>

namespace crunchwise {
namespace {

struct SuffixRow {
    std::string_view suffix; // lower case, ends in "_"
    char upper;
    char lower;
};

// Tried in this order; no two rows can match the same name.
constexpr std::array<SuffixRow, 29> kSuffixes{{
    {"ex_", 'E', 'e'}, {"dl_", 'L', 'l'}, {"oc_", 'X', 'x'},  {"in_", 'F', 'f'},  {"hl_", 'P', 'p'},
    {"cn_", 'T', 't'}, {"ht_", 'M', 'm'}, {"cs_", 'S', 's'},  {"an_", 'I', 'i'},  {"gi_", 'F', 'f'},
    {"tx_", 'T', 't'}, {"bm_", 'P', 'p'}, {"jpe_", 'G', 'g'}, {"zi_", 'P', 'p'},  {"do_", 'C', 'c'},
    {"wr_", 'I', 'i'}, {"jp_", 'G', 'g'}, {"mi_", 'D', 'd'},  {"ic_", 'O', 'o'},  {"wa_", 'V', 'v'},
    {"pd_", 'F', 'f'}, {"dt_", 'A', 'a'}, {"da_", 'T', 't'},  {"pi_", 'F', 'f'},  {"ba_", 'T', 't'},
    {"md_", 'B', 'b'}, {"cu_", 'R', 'r'}, {"xl_", 'S', 's'},  {"htm_", 'L', 'l'},
}};

// Lower-cases plain ASCII letters only; other bytes (UTF-8 included) stay as
// they are, so they never equal a letter of a suffix.
char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool endsWithIgnoringCase(std::string_view name, std::string_view suffix) {
    const std::string_view tail = name.substr(name.size() - std::min(name.size(), suffix.size()));
    if (tail.size() != suffix.size())
        return false;
    for (std::size_t i = 0; i < tail.size(); ++i)
        if (asciiLower(tail[i]) != suffix[i])
            return false;
    return true;
}

const SuffixRow* matchingRow(std::string_view name) {
    for (const SuffixRow& row : kSuffixes)
        if (endsWithIgnoringCase(name, row.suffix))
            return &row;
    return nullptr;
}

// A byte a proposed name may hold: no control character, no slash.
bool isNameByte(std::uint8_t c) {
    return c >= 0x20 && c != 0x7F && c != '/';
}

} // namespace

std::string BuildExpandedName(std::string_view name, std::uint8_t missingChar) {
    if (name.empty())
        return {};
    std::string result(name.substr(0, name.size() - lastCharacterSize(name)));
    const SuffixRow* row = matchingRow(name);
    if (row == nullptr) {
        const std::string withMissing = result + static_cast<char>(missingChar);
        if (isNameByte(missingChar) && withMissing != "." && withMissing != "..")
            return withMissing;
        return result + '$';
    }
    // A row matched, so the name has at least three characters. The byte is
    // taken unsigned, as a code-page character code.
    const auto tested = static_cast<unsigned char>(name[name.size() - 3]);
    return result + (tested < 'a' ? row->upper : row->lower);
}

bool IsSafeFileName(std::string_view name) {
    if (name.empty() || name.front() == '.')
        return false;
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return isNameByte(static_cast<std::uint8_t>(c)); });
}

std::string ProposedExpandedName(std::string_view name, const CompressedInfo& info) {
    if (info.format == szdd::Format::kwaj && IsSafeFileName(info.storedName))
        return info.storedName;
    const std::uint8_t missing = info.format == szdd::Format::szdd ? info.missingChar : 0;
    return BuildExpandedName(name, missing);
}

} // namespace crunchwise
