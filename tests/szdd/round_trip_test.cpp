// SPDX-License-Identifier: GPL-3.0-or-later
// Compress then expand gives the source back, whole or in chunks of any size.
#include "tests/szdd/format_test_data.h"

#include <gtest/gtest.h>

using namespace szdd_test;

namespace {

std::vector<Sample> samples() {
    Bytes run(70000, 0);
    std::fill(run.begin() + 30000, run.begin() + 40000, 'x');
    Bytes blanks(5000, ' ');
    blanks.push_back('!');
    return {
        {"empty", {}},
        {"oneByte", {'a'}},
        {"text4095", makeText(4095, 1)},
        {"text4096", makeText(4096, 2)},
        {"text4097", makeText(4097, 3)},
        {"longRuns", run},
        {"leadingBlanks", blanks},
        {"random", makeRandom(200000, 4)},
        {"program", makeProgram(300000, 8)},
        {"textAcrossBlocks", makeText(300000, 5)},
    };
}

const std::vector<std::size_t> kOddChunks = {1, 7, 4093, 1, 65537, 13, 100003};

} // namespace

TEST(SzddRoundTrip, WholeAndChunkedGiveTheSourceBack) {
    for (const Sample& sample : samples()) {
        SCOPED_TRACE(sample.name);
        Bytes packed, unpacked;
        ASSERT_EQ(szdd::compress(sample.data, 'x', packed), szdd::Status::ok);
        szdd::Header header;
        ASSERT_EQ(szdd::readHeader(packed, header), szdd::Status::ok);
        EXPECT_EQ(header.missingChar, 'x');
        EXPECT_EQ(header.length, sample.data.size());
        ASSERT_EQ(szdd::expand(packed, unpacked), szdd::Status::ok);
        EXPECT_TRUE(unpacked == sample.data);

        const Bytes stream(packed.begin() + szdd::kHeaderSize, packed.end());
        for (const auto& chunks : {kOddChunks, std::vector<std::size_t>{1}}) {
            // The parse must not depend on how the source was cut.
            EXPECT_TRUE(encodeChunked(sample.data, chunks) == stream);
            ASSERT_EQ(decodeChunked(stream, chunks, unpacked), szdd::Status::ok);
            EXPECT_TRUE(unpacked == sample.data);
        }
    }
}

TEST(FormatRoundTrip, EveryFormatWholeAndChunkedGivesTheSourceBack) {
    const std::vector<Sample> sources = {
        {"empty", {}},
        {"oneByte", {'a'}},
        {"thirteenBytes", makeText(13, 6)},
        {"fourteenBytes", makeText(14, 6)},
        {"zeros", Bytes(100000, 0)},
        {"random", makeRandom(70000, 7)},
        {"program", makeProgram(300000, 9)},
        {"textAcrossBlocks", makeText(600000, 10)},
    };
    for (const Writable& format : writableFormats()) {
        for (const Sample& sample : sources) {
            SCOPED_TRACE(std::string(format.name) + " " + sample.name);
            const Bytes file = compressAs(format, sample.data);
            Bytes out;
            ASSERT_EQ(szdd::expandAny(file, out), szdd::Status::ok);
            EXPECT_TRUE(out == sample.data);
            const std::size_t header = format.format == szdd::Format::sz ? 12 : 27;
            const Bytes data(file.begin() + static_cast<std::ptrdiff_t>(header), file.end());
            // The stream must not depend on how the source was cut.
            EXPECT_TRUE(encodeDataChunked(format, sample.data, kOddChunks) == data);
            for (const auto& chunks : {kOddChunks, std::vector<std::size_t>{1}}) {
                ASSERT_EQ(expandChunked(file, chunks, out), szdd::Status::ok);
                EXPECT_TRUE(out == sample.data);
            }
        }
    }
}
