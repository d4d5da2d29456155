// SPDX-License-Identifier: GPL-3.0-or-later
// Recognising SZDD headers, and the older or other containers that are not.
#include "tests/szdd/szdd_test_data.h"

#include <gtest/gtest.h>

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
    }
}
