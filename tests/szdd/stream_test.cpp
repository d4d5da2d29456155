// SPDX-License-Identifier: GPL-3.0-or-later
// How the streaming codec ends, fails and refuses.
#include "szdd_test_data.h"

#include <gtest/gtest.h>
#include <sys/mman.h>

using namespace szdd_test;

namespace {

Bytes fileWithStream(const Bytes& stream) {
    Bytes file(szdd::kHeaderSize);
    szdd::writeHeader({}, std::span<std::uint8_t, szdd::kHeaderSize>(file.data(), 14));
    file.insert(file.end(), stream.begin(), stream.end());
    return file;
}

} // namespace

TEST(SzddStream, EndingInsideAMatchIsTruncated) {
    // 'a', 'b', then a match whose second byte is missing.
    Bytes out;
    EXPECT_EQ(szdd::expand(fileWithStream({0x03, 'a', 'b', 0xF0}), out), szdd::Status::truncated);
    EXPECT_EQ(out, (Bytes{'a', 'b'})); // what came before the cut
}

TEST(SzddStream, EndingBetweenItemsIsComplete) {
    const struct {
        const char* name;
        Bytes stream;
        Bytes expected;
    } cases[] = {
        {"noItems", {}, {}},
        {"afterControlByte", {0x01}, {}},
        {"afterLiteral", {0x03, 'a', 'b'}, {'a', 'b'}},
        {"afterMatch", {0x01, 'z', 0xF0, 0xF1}, {'z', 'z', 'z', 'z', 'z'}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes out;
        EXPECT_EQ(szdd::expand(fileWithStream(c.stream), out), szdd::Status::ok);
        EXPECT_EQ(out, c.expected);
    }
}

TEST(SzddStream, TruncationIsSeenWhateverTheChunks) {
    const Bytes source = makeText(20000, 21);
    Bytes packed;
    ASSERT_EQ(szdd::compress(source, 0, packed), szdd::Status::ok);
    Bytes stream(packed.begin() + szdd::kHeaderSize, packed.end());
    // Cut right after the first byte of the last match.
    const std::vector<Item> items = walkItems(stream);
    auto lastMatch = std::find_if(items.rbegin(), items.rend(),
                                  [](const Item& item) { return item.length > 0; });
    ASSERT_NE(lastMatch, items.rend());
    stream.resize(lastMatch->streamAt + 1);
    for (const std::size_t chunk :
         {std::size_t{1}, std::size_t{2}, std::size_t{17}, stream.size()}) {
        Bytes out;
        EXPECT_EQ(decodeChunked(stream, {chunk}, out), szdd::Status::truncated) << chunk;
        EXPECT_EQ(out.size(), lastMatch->outputAt);
        EXPECT_TRUE(std::equal(out.begin(), out.end(), source.begin()));
    }
}

TEST(SzddStream, RefusingSinkStopsTheDecoder) {
    const Bytes source = makeText(500000, 22);
    Bytes packed;
    ASSERT_EQ(szdd::compress(source, 0, packed), szdd::Status::ok);
    int calls = 0;
    szdd::Decoder decoder([&](const std::uint8_t*, std::size_t) { return ++calls < 2; });
    const std::span<const std::uint8_t> stream(packed.data() + 14, packed.size() - 14);
    EXPECT_EQ(decoder.feed(stream), szdd::Status::sinkFailed);
    EXPECT_EQ(decoder.feed(stream), szdd::Status::sinkFailed);
    EXPECT_EQ(decoder.finish(), szdd::Status::sinkFailed);
    EXPECT_EQ(calls, 2);
}

TEST(SzddStream, RefusingSinkStopsTheEncoder) {
    szdd::Encoder encoder([](const std::uint8_t*, std::size_t) { return false; });
    const Bytes text = makeText(1000, 23);
    EXPECT_EQ(encoder.feed(text), szdd::Status::ok); // nothing written yet
    EXPECT_EQ(encoder.finish(), szdd::Status::sinkFailed);
}

TEST(SzddStream, ProducedAndConsumedCount) {
    const Bytes text = makeText(70001, 24);
    Bytes stream;
    szdd::Encoder encoder([&](const std::uint8_t* d, std::size_t n) {
        stream.insert(stream.end(), d, d + n);
        return true;
    });
    ASSERT_EQ(encoder.feed(text), szdd::Status::ok);
    ASSERT_EQ(encoder.finish(), szdd::Status::ok);
    EXPECT_EQ(encoder.consumed(), 70001u);
    szdd::Decoder decoder([](const std::uint8_t*, std::size_t) { return true; });
    ASSERT_EQ(decoder.feed(stream), szdd::Status::ok);
    ASSERT_EQ(decoder.finish(), szdd::Status::ok);
    EXPECT_EQ(decoder.produced(), 70001u);
}

TEST(SzddStream, SourcesPastTheLengthFieldAreRefused) {
    // 4 GiB of untouched zero pages: the size is refused before any byte is read.
    const std::size_t size = std::size_t{szdd::kMaxLength} + 1;
    void* memory =
        mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    ASSERT_NE(memory, MAP_FAILED);
    const std::span<const std::uint8_t> huge(static_cast<const std::uint8_t*>(memory), size);
    Bytes out;
    EXPECT_EQ(szdd::compress(huge, 0, out), szdd::Status::tooLarge);

    szdd::Encoder encoder([](const std::uint8_t*, std::size_t) { return true; });
    ASSERT_EQ(encoder.feed(huge.first(10)), szdd::Status::ok);
    EXPECT_EQ(encoder.feed(huge.subspan(10, szdd::kMaxLength - 9)), szdd::Status::tooLarge);
    EXPECT_EQ(encoder.consumed(), 10u); // the refused chunk was not taken
    EXPECT_EQ(encoder.finish(), szdd::Status::ok);
    munmap(memory, size);
}
