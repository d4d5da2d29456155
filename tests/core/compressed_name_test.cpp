// SPDX-License-Identifier: GPL-3.0-or-later
// The compressed-name rule: the last whole character gives way to "_", and
// the header keeps it when it is one byte.
#include "core/compressed_name.h"
#include "core/expanded_name.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <string>

using namespace crunchwise;

namespace {

struct NameCase {
    const char* what;
    std::string name;
    std::string compressed;
    std::uint8_t missing;
    std::string expanded; // BuildExpandedName of the name
    friend void PrintTo(const NameCase& c, std::ostream* out) { *out << c.what; }
};

class CompressedNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(CompressedNameTest, ReplacesTheLastWholeCharacter) {
    const NameCase& c = GetParam();
    EXPECT_EQ(compressedName(c.name), c.compressed);
    EXPECT_EQ(missingCharacter(c.name), c.missing);
    EXPECT_EQ(BuildExpandedName(c.name), c.expanded);
}

INSTANTIATE_TEST_SUITE_P(
    Names, CompressedNameTest,
    testing::Values(
        NameCase{"ascii", "SETUP.EXE", "SETUP.EX_", 'E', "SETUP.EX$"},
        NameCase{"no extension", "README", "READM_", 'E', "READM$"},
        NameCase{"one character", "x", "_", 'x', "$"}, NameCase{"empty", "", "", 0, ""},
        NameCase{"two-byte ending", "caf\xC3\xA9", "caf_", 0, "caf$"},
        NameCase{"three-byte ending", "price\xE2\x82\xAC", "price_", 0, "price$"},
        NameCase{"four-byte ending", "smile\xF0\x9F\x98\x80", "smile_", 0, "smile$"},
        NameCase{"only one two-byte character", "\xC3\xA9", "_", 0, "$"},
        NameCase{"non-ascii inside, ascii last", "\xC3\xA9t\xC3\xA9.txt", "\xC3\xA9t\xC3\xA9.tx_",
                 't', "\xC3\xA9t\xC3\xA9.tx$"},
        NameCase{"not UTF-8: last byte", "caf\xC3", "caf_", 0xC3, "caf$"},
        NameCase{"not UTF-8 earlier: last byte", "\xFF\xFE.txt\xC3\xA9", "\xFF\xFE.txt\xC3_", 0xA9,
                 "\xFF\xFE.txt\xC3$"},
        NameCase{"overlong form is no character", "a\xC0\xAF", "a\xC0_", 0xAF, "a\xC0$"},
        NameCase{"surrogate is no character", "a\xED\xA0\x80", "a\xED\xA0_", 0x80, "a\xED\xA0$"},
        NameCase{"beyond U+10FFFF is no character", "a\xF4\x90\x80\x80", "a\xF4\x90\x80_", 0x80,
                 "a\xF4\x90\x80$"},
        NameCase{"cut-short sequence", "ab\xE2\x82", "ab\xE2_", 0x82, "ab\xE2$"}),
    [](const testing::TestParamInfo<NameCase>& info) {
        std::string name;
        for (const char c : std::string(info.param.what))
            name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

} // namespace
