// SPDX-License-Identifier: GPL-3.0-or-later
// How the batch runner reads single lines; BatchRunner runs whole batches.
#include "tools/cmd/batch_line.h"

#include <gtest/gtest.h>

using crunchwise::tools::BatchLine;
using crunchwise::tools::parseBatchLine;
using crunchwise::tools::splitBatchLines;
using Kind = BatchLine::Kind;

TEST(BatchLine, KindOfEachLine) {
    const std::pair<const char*, Kind> cases[] = {
        {"COMPRESS.EXE a b", Kind::compress},
        {"rename a b", Kind::ren},
        {"@del _tempcom.bat", Kind::del},
        {"", Kind::nothing},
        {"@echo off", Kind::nothing},
        {"ECHO ON", Kind::nothing},
        {"rem a | b", Kind::nothing},
        {":: note", Kind::nothing},
        {"echo hello", Kind::unknown},
        {"format c: & del a", Kind::refused},
        {"  DEL x", Kind::del},
    };
    for (const auto& [line, kind] : cases) {
        EXPECT_EQ(parseBatchLine(line).kind, kind) << line;
    }
}

TEST(BatchLine, SplitsOnCarriageReturnLineFeedOrLineFeed) {
    EXPECT_EQ(splitBatchLines("a\r\nb\nc\r\n"), (std::vector<std::string_view>{"a", "b", "c"}));
    EXPECT_EQ(splitBatchLines("a\r\n\r\nlast"), (std::vector<std::string_view>{"a", "", "last"}));
    EXPECT_TRUE(splitBatchLines("").empty());
}
