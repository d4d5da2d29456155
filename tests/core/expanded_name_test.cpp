// SPDX-License-Identifier: GPL-3.0-or-later
// The expanded name proposed for compressed file names.
#include "core/expanded_name.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

using crunchwise::BuildExpandedName;

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
