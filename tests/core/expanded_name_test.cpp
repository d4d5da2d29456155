// SPDX-License-Identifier: GPL-3.0-or-later
// The expanded name proposed for compressed file names.
#include "core/expanded_name.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using crunchwise::BuildExpandedName;

namespace {

using Case = std::pair<std::string, std::string>; // name, expected expansion

void expectAll(const std::vector<Case>& cases) {
    for (const auto& [name, expected] : cases) {
        EXPECT_EQ(BuildExpandedName(name), expected) << "name: " << name;
    }
}

} // namespace

TEST(ExpandedName, KnownSuffixesTakeTheCaseOfTheThirdCharacterFromTheEnd) {
    expectAll({
        {"SETUP.EX_", "SETUP.EXE"},
        {"readme.tx_", "readme.txt"},
        {"TABLE.DA_", "TABLE.DAT"},
        {"table.dt_", "table.dta"},
        {"Setup.Ex_", "Setup.ExE"},
        {"INDEX.HtM_", "INDEX.HtMl"},
        {"photo.jPE_", "photo.jPEG"},
        {"EX_EX_", "EX_EXE"},
    });
}

TEST(ExpandedName, NamesWithoutAKnownSuffixLoseTheirLastCharacterToDollar) {
    expectAll({
        {"README.TXT", "README.TX$"},
        {"DRIVER.SY_", "DRIVER.SY$"},
        {"SETUP.EXE", "SETUP.EX$"},
        {"EX_.TXT", "EX_.TX$"},
        {"setup.ex_.bak", "setup.ex_.ba$"},
        {"Makefile", "Makefil$"},
        {"archive.", "archive$"},
    });
}

TEST(ExpandedName, ShortNames) {
    expectAll({
        {"", ""},
        {"A", "$"},
        {"_", "$"},
        {"X_", "X$"},
        {"EX_", "EXE"},
        {"ex_", "exe"},
        {"HTM_", "HTML"},
        {"jpe_", "jpeg"},
    });
}

TEST(ExpandedName, NonAsciiBytesNeverMatchALetter) {
    // "é" in UTF-8 followed by "x_": the third byte from the end is not 'e'.
    expectAll({
        {"caf\xC3\xA9x_", "caf\xC3\xA9x$"},
        {"\xC3\xA9.ex_", "\xC3\xA9.exe"},
    });
}
