// SPDX-License-Identifier: GPL-3.0-or-later
// Recognising SZDD headers, and the older or other containers that are not;
// how the streaming codec ends, fails and refuses.
#include "tests/szdd/szdd_test_data.h"

#include <gtest/gtest.h>
#include <sys/mman.h>

using namespace szdd_test;

namespace {

Bytes validHeader() {
    return {0x53, 0x5A, 0x44, 0x44, 0x88, 0xF0, 0x27, 0x33, 'A', 'e', 0x34, 0x12, 0x00, 0x80};
}

Bytes changed(std::size_t at, std::uint8_t value) {
    Bytes bytes = validHeader();
    bytes[at] = value;
    return bytes;
}

} // namespace

TEST(SzddHeader, ReadsAndWritesEveryField) {
    szdd::Header header;
    ASSERT_EQ(szdd::readHeader(validHeader(), header), szdd::Status::ok);
    EXPECT_EQ(header.method, 'A');
    EXPECT_EQ(header.missingChar, 'e');
    EXPECT_EQ(header.length, 0x80001234u);
    Bytes written(szdd::kHeaderSize);
    szdd::writeHeader(header, std::span<std::uint8_t, szdd::kHeaderSize>(written.data(), 14));
    EXPECT_EQ(written, validHeader());
}

TEST(SzddHeader, RefusesWhatIsNotSzddMethodA) {
    const struct {
        const char* name;
        Bytes bytes;
        szdd::Status expected;
    } cases[] = {
        {"empty", {}, szdd::Status::notSzdd},
        {"shortHeader",
         {0x53, 0x5A, 0x44, 0x44, 0x88, 0xF0, 0x27, 0x33, 'A', 'e', 0x34, 0x12, 0x00},
         szdd::Status::notSzdd},
        {"olderSzVariant",
         {0x53, 0x5A, 0x20, 0x88, 0xF0, 0x27, 0x33, 0xD1, 20, 0, 0, 0, 0xFF, 'a'},
         szdd::Status::notSzdd},
        {"kwaj",
         {0x4B, 0x57, 0x41, 0x4A, 0x88, 0xF0, 0x27, 0xD1, 0, 0, 0x12, 0, 0, 0, 0},
         szdd::Status::notSzdd},
        {"lastMagicByteWrong", changed(7, 0x34), szdd::Status::notSzdd},
        {"plainText",
         {'S', 'Z', 'D', 'D', ' ', 'i', 's', ' ', 'a', ' ', 'n', 'a', 'm', 'e'},
         szdd::Status::notSzdd},
        {"methodZero", changed(8, 0x00), szdd::Status::unknownMethod},
        {"methodB", changed(8, 'B'), szdd::Status::unknownMethod},
        {"methodLowerCaseA", changed(8, 'a'), szdd::Status::unknownMethod},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        szdd::Header header;
        header.missingChar = 'z';
        EXPECT_EQ(szdd::readHeader(c.bytes, header), c.expected);
        EXPECT_EQ(header.missingChar, 'z'); // untouched on failure
        Bytes out;
        EXPECT_EQ(szdd::expand(c.bytes, out), c.expected);
        EXPECT_TRUE(out.empty());
    }
}

TEST(SzddStream, EndsAnywhereButInsideAMatch) {
    const struct {
        const char* name;
        Bytes stream;
        szdd::Status expected;
        Bytes out; // on truncated, what came before the cut
    } cases[] = {
        {"noItems", {}, szdd::Status::ok, {}},
        {"afterControlByte", {0x01}, szdd::Status::ok, {}},
        {"afterLiteral", {0x03, 'a', 'b'}, szdd::Status::ok, {'a', 'b'}},
        {"afterMatch", {0x01, 'z', 0xF0, 0xF1}, szdd::Status::ok, {'z', 'z', 'z', 'z', 'z'}},
        {"insideMatch", {0x03, 'a', 'b', 0xF0}, szdd::Status::truncated, {'a', 'b'}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes out;
        EXPECT_EQ(szdd::expand(withHeader(c.stream), out), c.expected);
        EXPECT_EQ(out, c.out);
    }
}

TEST(SzddStream, RefusingSinkStopsTheCodec) {
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

    szdd::Encoder encoder([](const std::uint8_t*, std::size_t) { return false; });
    EXPECT_EQ(encoder.feed(std::span(source).first(1000)), szdd::Status::ok); // nothing written yet
    EXPECT_EQ(encoder.finish(), szdd::Status::sinkFailed);
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
