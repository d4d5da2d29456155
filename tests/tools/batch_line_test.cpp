// SPDX-License-Identifier: GPL-3.0-or-later
// How the batch runner reads single lines.
#include "tools/cmd/batch_line.h"

#include <gtest/gtest.h>

using crunchwise::tools::BatchLine;
using crunchwise::tools::parseBatchLine;
using crunchwise::tools::splitBatchLines;
using Kind = BatchLine::Kind;
using Words = std::vector<std::string>;

TEST(BatchLine, CommandNamesInAnyCaseWithTheirArguments) {
    const BatchLine compress = parseBatchLine("Compress C:/A/SETUP.EXE D:/OUT/SETUP.EX_");
    EXPECT_EQ(compress.kind, Kind::compress);
    EXPECT_EQ(compress.arguments, (Words{"C:/A/SETUP.EXE", "D:/OUT/SETUP.EX_"}));
    EXPECT_EQ(parseBatchLine("COMPRESS.EXE a b").kind, Kind::compress);
    const BatchLine ren = parseBatchLine(R"(REN D:/OUT/README~1.TX_ "Read Me.tx_")");
    EXPECT_EQ(ren.kind, Kind::ren);
    EXPECT_EQ(ren.arguments, (Words{"D:/OUT/README~1.TX_", "Read Me.tx_"}));
    EXPECT_EQ(parseBatchLine("rename a b").kind, Kind::ren);
    EXPECT_EQ(parseBatchLine("@del _tempcom.bat").kind, Kind::del);
    EXPECT_EQ(parseBatchLine("erase x").kind, Kind::del);
}

TEST(BatchLine, RemarksAndEchoSwitchesDoNothing) {
    for (const char* line : {"", "   ", "@echo off", "ECHO ON", "echo", "rem a | b", ":: note"}) {
        EXPECT_EQ(parseBatchLine(line).kind, Kind::nothing) << line;
    }
    EXPECT_EQ(parseBatchLine("echo hello").kind, Kind::unknown);
}

TEST(BatchLine, OperatorsOutsideQuotesRefuseTheLine) {
    EXPECT_EQ(parseBatchLine("del a&del b").kind, Kind::refused);
    EXPECT_EQ(parseBatchLine("format c: & del a").kind, Kind::refused);
    EXPECT_EQ(parseBatchLine(R"(del "a&b")").kind, Kind::del);
}

TEST(BatchLine, SplitsOnCarriageReturnLineFeedOrLineFeed) {
    EXPECT_EQ(splitBatchLines("a\r\nb\nc\r\n"), (std::vector<std::string_view>{"a", "b", "c"}));
    EXPECT_EQ(splitBatchLines("a\r\n\r\nlast"), (std::vector<std::string_view>{"a", "", "last"}));
    EXPECT_TRUE(splitBatchLines("").empty());
}
