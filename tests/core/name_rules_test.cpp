// SPDX-License-Identifier: GPL-3.0-or-later
// The name rules: the compressed name (the last whole character gives way to
// "_", and the header keeps it when it is one byte), the expanded name, and
// the names a compressed file's header proposes: the SZDD missing character,
// a KWAJ stored name (hostile ones refused), and the 8.3 name a KWAJ file stores.
#include "core/compressed_name.h"
#include "core/expanded_name.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <string>
#include <utility>

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

// Known suffixes take the case of the third character from the end; other
// names lose their last character to '$'; non-ASCII bytes never match a letter.
TEST(ExpandedName, KnownSuffixesComeBackOthersEndInDollar) {
    const std::pair<std::string, std::string> cases[] = {
        {"SETUP.EX_", "SETUP.EXE"},
        {"readme.tx_", "readme.txt"},
        {"TABLE.DA_", "TABLE.DAT"},
        {"table.dt_", "table.dta"},
        {"Setup.Ex_", "Setup.ExE"},
        {"INDEX.HtM_", "INDEX.HtMl"},
        {"photo.jPE_", "photo.jPEG"},
        {"EX_EX_", "EX_EXE"},
        {"README.TXT", "README.TX$"},
        {"DRIVER.SY_", "DRIVER.SY$"},
        {"SETUP.EXE", "SETUP.EX$"},
        {"EX_.TXT", "EX_.TX$"},
        {"setup.ex_.bak", "setup.ex_.ba$"},
        {"Makefile", "Makefil$"},
        {"archive.", "archive$"},
        {"", ""},
        {"A", "$"},
        {"_", "$"},
        {"X_", "X$"},
        {"EX_", "EXE"},
        {"ex_", "exe"},
        {"HTM_", "HTML"},
        {"jpe_", "jpeg"},
        {"caf\xC3\xA9x_", "caf\xC3\xA9x$"}, // the third byte from the end is not 'e'
        {"\xC3\xA9.ex_", "\xC3\xA9.exe"},
    };
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(BuildExpandedName(name), expected) << "name: " << name;
}

TEST(ProposedName, TheMissingCharacterReplacesDollarWhenNoSuffixMatches) {
    struct Row {
        const char* name;
        std::uint8_t missing;
        const char* expected;
    };
    for (const Row& row : {
             Row{"READM_", 'E', "README"},                     // the round trip of README
             Row{"notes.tx_", 'q', "notes.txt"},               // a suffix row wins
             Row{"READM_", 0, "READM$"}, Row{"a_", '/', "a$"}, // would name a folder
             Row{"_", '.', "$"},                               // would be "."
             Row{"._", '.', ".$"},                             // would be ".."
             Row{"x_", '\n', "x$"},                            // a control character
             Row{"caf_", 0xE9, "caf\xE9"},                     // a name that was not UTF-8
         })
        EXPECT_EQ(BuildExpandedName(row.name, row.missing), row.expected) << row.name;
}

TEST(ProposedName, AKwajStoredNameIsProposedOnlyWhenItStaysInTheFolder) {
    struct Row {
        const char* stored;
        const char* expected; // for the file "setup.ex_"
    };
    CompressedInfo kwaj;
    kwaj.format = szdd::Format::kwaj;
    for (const Row& row :
         {Row{"INSTALL.EXE", "INSTALL.EXE"}, Row{"", "setup.exe"}, Row{"../x", "setup.exe"},
          Row{"a/b", "setup.exe"}, Row{"..", "setup.exe"}, Row{".", "setup.exe"},
          Row{".profile", "setup.exe"}, Row{"a\nb", "setup.exe"}}) {
        kwaj.storedName = row.stored;
        EXPECT_EQ(ProposedExpandedName("setup.ex_", kwaj), row.expected) << row.stored;
    }
    // The missing character counts only for SZDD; a KWAJ or SZ file has none.
    CompressedInfo info;
    info.missingChar = 'E';
    for (const auto format : {szdd::Format::szdd, szdd::Format::sz, szdd::Format::kwaj}) {
        info.format = format;
        EXPECT_EQ(ProposedExpandedName("READM_", info),
                  format == szdd::Format::szdd ? "README" : "READM$");
    }
}

TEST(ProposedName, OnlyNamesThatFitEightDotThreeAreStoredInKwaj) {
    struct Row {
        const char* file;
        const char* name; // "" when it does not fit
        const char* extension;
    };
    for (const Row& row :
         {Row{"README.TXT", "README", "TXT"}, Row{"LONGNAME.C", "LONGNAME", "C"},
          Row{"MAKEFILE", "MAKEFILE", ""}, Row{"NINECHARS.TXT", "", ""}, Row{"notes.text", "", ""},
          Row{"a.tar.gz", "", ""}, Row{".bashrc", "", ""}, Row{"my file.txt", "", ""},
          Row{"caf\xC3\xA9.txt", "", ""}, Row{"a\\b.txt", "", ""}}) {
        std::string name = "x";
        std::string extension = "x";
        EXPECT_EQ(splitShortName(row.file, name, extension), *row.name != '\0') << row.file;
        EXPECT_EQ(name, row.name);
        EXPECT_EQ(extension, row.extension);
    }
}
