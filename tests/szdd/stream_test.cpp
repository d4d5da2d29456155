// SPDX-License-Identifier: GPL-3.0-or-later
// How the streaming codec ends, fails and refuses.
#include "tests/szdd/szdd_test_data.h"

#include <gtest/gtest.h>
#include <sys/mman.h>

using namespace szdd_test;

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
