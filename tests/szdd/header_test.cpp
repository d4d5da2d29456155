// SPDX-License-Identifier: GPL-3.0-or-later
// Recognising SZDD headers, and the older or other containers that are not.
#include "szdd_test_data.h"

#include <gtest/gtest.h>

using namespace szdd_test;

namespace {

Bytes validHeader() {
    return {0x53, 0x5A, 0x44, 0x44, 0x88, 0xF0, 0x27, 0x33, 'A', 'e', 0x34, 0x12, 0x00, 0x80};
}

} // namespace

TEST(SzddHeader, ReadsEveryField) {
    szdd::Header header;
    ASSERT_EQ(szdd::readHeader(validHeader(), header), szdd::Status::ok);
    EXPECT_EQ(header.method, 'A');
    EXPECT_EQ(header.missingChar, 'e');
    EXPECT_EQ(header.length, 0x80001234u);
}

TEST(SzddHeader, WritesWhatItReads) {
    const szdd::Header written{szdd::kMethodA, '_', 0xFEDCBA98u};
    Bytes bytes(szdd::kHeaderSize);
    szdd::writeHeader(written, std::span<std::uint8_t, szdd::kHeaderSize>(bytes.data(), 14));
    const Bytes expected = {0x53, 0x5A, 0x44, 0x44, 0x88, 0xF0, 0x27,
                            0x33, 'A',  '_',  0x98, 0xBA, 0xDC, 0xFE};
    EXPECT_EQ(bytes, expected);
}

TEST(SzddHeader, RecognisesWhatIsNotSzdd) {
    const struct {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"empty", {}},
        {"shortHeader",
         [] {
             Bytes b = validHeader();
             b.pop_back();
             return b;
         }()},
        {"olderSzVariant",
         {0x53, 0x5A, 0x20, 0x88, 0xF0, 0x27, 0x33, 0xD1, 20, 0, 0, 0, 0xFF, 'a'}},
        {"kwaj", {0x4B, 0x57, 0x41, 0x4A, 0x88, 0xF0, 0x27, 0xD1, 0, 0, 0x12, 0, 0, 0, 0}},
        {"lastMagicByteWrong",
         [] {
             Bytes b = validHeader();
             b[7] = 0x34;
             return b;
         }()},
        {"plainText", Bytes{'S', 'Z', 'D', 'D', ' ', 'i', 's', ' ', 'a', ' ', 'n', 'a', 'm', 'e'}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        szdd::Header header;
        header.missingChar = 'z';
        EXPECT_EQ(szdd::readHeader(c.bytes, header), szdd::Status::notSzdd);
        EXPECT_EQ(header.missingChar, 'z'); // untouched on failure
        Bytes out;
        EXPECT_EQ(szdd::expand(c.bytes, out), szdd::Status::notSzdd);
    }
}

TEST(SzddHeader, OtherMethodsAreUnknown) {
    for (const std::uint8_t method : {0x00, 0x42, 0x61, 0xFF}) {
        Bytes bytes = validHeader();
        bytes[8] = method;
        szdd::Header header;
        EXPECT_EQ(szdd::readHeader(bytes, header), szdd::Status::unknownMethod) << int(method);
        Bytes out;
        EXPECT_EQ(szdd::expand(bytes, out), szdd::Status::unknownMethod);
    }
}

TEST(SzddHeader, EveryStatusHasItsOwnText) {
    const szdd::Status all[] = {
        szdd::Status::ok,        szdd::Status::notSzdd,  szdd::Status::unknownMethod,
        szdd::Status::truncated, szdd::Status::tooLarge, szdd::Status::sinkFailed};
    std::set<std::string> texts;
    for (const szdd::Status status : all) {
        ASSERT_NE(szdd::statusText(status), nullptr);
        texts.insert(szdd::statusText(status));
    }
    EXPECT_EQ(texts.size(), std::size(all));
}
