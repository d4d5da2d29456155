// SPDX-License-Identifier: GPL-3.0-or-later
// The expanded name proposed for compressed file names.
#include "commands/expanded_name.h"

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

TEST(ExpandedName, EveryRowOfTheTableInUpperCase) {
    expectAll({
        {"SETUP.EX_", "SETUP.EXE"},   {"LIB.DL_", "LIB.DLL"},       {"GRID.OC_", "GRID.OCX"},
        {"SETUP.IN_", "SETUP.INF"},   {"APP.HL_", "APP.HLP"},       {"APP.CN_", "APP.CNT"},
        {"PAGE.HT_", "PAGE.HTM"},     {"STYLE.CS_", "STYLE.CSS"},   {"BUSY.AN_", "BUSY.ANI"},
        {"LOGO.GI_", "LOGO.GIF"},     {"README.TX_", "README.TXT"}, {"BACK.BM_", "BACK.BMP"},
        {"PHOTO.JPE_", "PHOTO.JPEG"}, {"DATA.ZI_", "DATA.ZIP"},     {"LETTER.DO_", "LETTER.DOC"},
        {"NOTE.WR_", "NOTE.WRI"},     {"PHOTO.JP_", "PHOTO.JPG"},   {"TUNE.MI_", "TUNE.MID"},
        {"APP.IC_", "APP.ICO"},       {"DING.WA_", "DING.WAV"},     {"MANUAL.PD_", "MANUAL.PDF"},
        {"TABLE.DT_", "TABLE.DTA"},   {"TABLE.DA_", "TABLE.DAT"},   {"DOSAPP.PI_", "DOSAPP.PIF"},
        {"START.BA_", "START.BAT"},   {"STOCK.MD_", "STOCK.MDB"},   {"ARROW.CU_", "ARROW.CUR"},
        {"SHEET.XL_", "SHEET.XLS"},   {"INDEX.HTM_", "INDEX.HTML"},
    });
}

TEST(ExpandedName, EveryRowOfTheTableInLowerCase) {
    expectAll({
        {"setup.ex_", "setup.exe"},   {"lib.dl_", "lib.dll"},       {"grid.oc_", "grid.ocx"},
        {"setup.in_", "setup.inf"},   {"app.hl_", "app.hlp"},       {"app.cn_", "app.cnt"},
        {"page.ht_", "page.htm"},     {"style.cs_", "style.css"},   {"busy.an_", "busy.ani"},
        {"logo.gi_", "logo.gif"},     {"readme.tx_", "readme.txt"}, {"back.bm_", "back.bmp"},
        {"photo.jpe_", "photo.jpeg"}, {"data.zi_", "data.zip"},     {"letter.do_", "letter.doc"},
        {"note.wr_", "note.wri"},     {"photo.jp_", "photo.jpg"},   {"tune.mi_", "tune.mid"},
        {"app.ic_", "app.ico"},       {"ding.wa_", "ding.wav"},     {"manual.pd_", "manual.pdf"},
        {"table.dt_", "table.dta"},   {"table.da_", "table.dat"},   {"dosapp.pi_", "dosapp.pif"},
        {"start.ba_", "start.bat"},   {"stock.md_", "stock.mdb"},   {"arrow.cu_", "arrow.cur"},
        {"sheet.xl_", "sheet.xls"},   {"index.htm_", "index.html"},
    });
}

TEST(ExpandedName, CaseFollowsTheThirdCharacterFromTheEndOnly) {
    expectAll({
        {"Setup.Ex_", "Setup.ExE"},
        {"SETUP.eX_", "SETUP.eXe"},
        {"INDEX.HtM_", "INDEX.HtMl"},
        {"INDEX.hTM_", "INDEX.hTML"},
        {"photo.jPE_", "photo.jPEG"},
        {"PHOTO.JpE_", "PHOTO.JpEg"},
    });
}

TEST(ExpandedName, NamesWithoutAKnownSuffixLoseTheirLastCharacterToDollar) {
    expectAll({
        {"README.TXT", "README.TX$"},
        {"DRIVER.SY_", "DRIVER.SY$"},
        {"SETUP.EXE", "SETUP.EX$"},
        {"EX_.TXT", "EX_.TX$"},
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

TEST(ExpandedName, MatchIgnoresCaseAndLooksOnlyAtTheEnd) {
    expectAll({
        {"A.Ex_", "A.ExE"},
        {"A.eX_", "A.eXe"},
        {"A.EX_", "A.EXE"},
        {"EX_EX_", "EX_EXE"},
        {"setup.ex_.bak", "setup.ex_.ba$"},
    });
}

TEST(ExpandedName, NamesKeepTheirLengthAndOtherCharacters) {
    const std::string name = "My Setup File (v2).Ex_";
    const std::string expanded = BuildExpandedName(name);
    ASSERT_EQ(expanded.size(), name.size());
    EXPECT_EQ(expanded.substr(0, name.size() - 1), name.substr(0, name.size() - 1));
    EXPECT_EQ(expanded.back(), 'E');
}

TEST(ExpandedName, NonAsciiBytesNeverMatchALetter) {
    // "é" in UTF-8 followed by "x_": the third byte from the end is not 'e'.
    expectAll({
        {"caf\xC3\xA9x_", "caf\xC3\xA9x$"},
        {"\xC3\xA9.ex_", "\xC3\xA9.exe"},
    });
}
