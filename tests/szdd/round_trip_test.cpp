// SPDX-License-Identifier: GPL-3.0-or-later
// Compress then expand gives the source back, whole or in chunks of any size.
#include "szdd_test_data.h"

#include <gtest/gtest.h>

using namespace szdd_test;

namespace {

struct Sample {
    const char* name;
    Bytes data;
};

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

std::vector<std::size_t> oddChunks() {
    return {1, 7, 4093, 1, 65537, 13, 100003};
}

} // namespace

TEST(SzddRoundTrip, WholeBuffersGiveTheSourceBack) {
    for (const Sample& sample : samples()) {
        SCOPED_TRACE(sample.name);
        Bytes packed, unpacked;
        ASSERT_EQ(szdd::compress(sample.data, 'x', packed), szdd::Status::ok);
        ASSERT_EQ(szdd::expand(packed, unpacked), szdd::Status::ok);
        EXPECT_TRUE(unpacked == sample.data);
    }
}

TEST(SzddRoundTrip, ChunkedStreamsEqualWholeBuffers) {
    for (const Sample& sample : samples()) {
        SCOPED_TRACE(sample.name);
        Bytes packed;
        ASSERT_EQ(szdd::compress(sample.data, 0, packed), szdd::Status::ok);
        const Bytes stream(packed.begin() + szdd::kHeaderSize, packed.end());
        // The parse must not depend on how the source was cut.
        EXPECT_TRUE(encodeChunked(sample.data, oddChunks()) == stream);
        EXPECT_TRUE(encodeChunked(sample.data, {1}) == stream);

        Bytes unpacked;
        ASSERT_EQ(decodeChunked(stream, oddChunks(), unpacked), szdd::Status::ok);
        EXPECT_TRUE(unpacked == sample.data);
        ASSERT_EQ(decodeChunked(stream, {1}, unpacked), szdd::Status::ok);
        EXPECT_TRUE(unpacked == sample.data);
    }
}

TEST(SzddRoundTrip, WholeRealProgram) {
    const Bytes program = readFile("/usr/bin/cmake");
    Bytes packed, unpacked;
    ASSERT_EQ(szdd::compress(program, 'e', packed), szdd::Status::ok);
    EXPECT_LT(packed.size(), program.size());
    ASSERT_EQ(szdd::expand(packed, unpacked), szdd::Status::ok);
    EXPECT_TRUE(unpacked == program);
}

TEST(SzddRoundTrip, HeaderCarriesLengthAndMissingCharacter) {
    const Bytes text = makeText(12345, 6);
    Bytes packed;
    ASSERT_EQ(szdd::compress(text, 'l', packed), szdd::Status::ok);
    szdd::Header header;
    ASSERT_EQ(szdd::readHeader(packed, header), szdd::Status::ok);
    EXPECT_EQ(header.method, szdd::kMethodA);
    EXPECT_EQ(header.missingChar, 'l');
    EXPECT_EQ(header.length, 12345u);
}

TEST(SzddRoundTrip, ZerosShrinkToLongestMatches) {
    // A literal and then 18-byte matches: 17 bits per 18 bytes.
    const Bytes zeros(std::size_t{1} << 20, 0);
    Bytes packed;
    ASSERT_EQ(szdd::compress(zeros, 0, packed), szdd::Status::ok);
    EXPECT_LE(static_cast<double>(packed.size()) / static_cast<double>(zeros.size()), 0.119);
}

TEST(SzddRoundTrip, MatchesNeverReachBackFurtherThan4095) {
    // A 4096-byte period: the long repeats are exactly 4096 bytes back.
    const Bytes period = makeRandom(4096, 7);
    Bytes twice = period;
    twice.insert(twice.end(), period.begin(), period.end());
    Bytes packed;
    ASSERT_EQ(szdd::compress(twice, 0, packed), szdd::Status::ok);
    const Bytes stream(packed.begin() + szdd::kHeaderSize, packed.end());
    const std::vector<Item> items = walkItems(stream);
    ASSERT_FALSE(items.empty());
    for (const Item& item : items) {
        if (item.length > 0) {
            EXPECT_NE(item.ringPos, (0xFF0 + item.outputAt) & 0xFFF) << "at " << item.outputAt;
        }
    }
    EXPECT_GT(stream.size(), 9000u);
}
