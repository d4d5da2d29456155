// SPDX-License-Identifier: GPL-3.0-or-later
// The names that a compressed file's header proposes: the SZDD missing
// character, a KWAJ stored name (hostile ones refused), and the 8.3 name a
// KWAJ file stores.
#include "core/compressed_name.h"
#include "core/expanded_name.h"

#include <gtest/gtest.h>

using namespace crunchwise;

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
