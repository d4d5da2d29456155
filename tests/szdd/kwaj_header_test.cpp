// SPDX-License-Identifier: GPL-3.0-or-later
// Telling the three formats apart, and reading and writing the SZ and KWAJ
// headers, sound and damaged, beside libmspack's reading of the same bytes.
#include "tests/support/scratch_folder.h"
#include "tests/support/szdd_file.h"
#include "tests/szdd/szdd_test_data.h"

#include <gtest/gtest.h>
#include <mspack.h>

using namespace szdd_test;
using crunchwise::testing::kwajBytes;
using crunchwise::testing::ScratchFolder;

namespace {

Bytes magic(const std::uint8_t (&m)[8]) {
    return Bytes(std::begin(m), std::end(m));
}

Bytes text(const std::string& s, bool nul = true) {
    Bytes b(s.begin(), s.end());
    if (nul)
        b.push_back(0);
    return b;
}

Bytes withoutLast(Bytes b) {
    b.pop_back();
    return b;
}

using S = szdd::Status;

// What libmspack makes of a file. Version 0.11 frees a pointer it never set
// when a KWAJ file is shorter than the fixed header, so it is not asked then.
enum class Peer { accepts, refuses, crashes };

} // namespace

TEST(FormatHeader, DetectsEachFormatByItsMagic) {
    EXPECT_EQ(szdd::detectFormat(magic(szdd::kMagic)), szdd::Format::szdd);
    EXPECT_EQ(szdd::detectFormat(magic(szdd::kSzMagic)), szdd::Format::sz);
    EXPECT_EQ(szdd::detectFormat(magic(szdd::kKwajMagic)), szdd::Format::kwaj);
    EXPECT_EQ(szdd::detectFormat(Bytes(szdd::kKwajMagic, szdd::kKwajMagic + 7)),
              szdd::Format::unknown);
    EXPECT_EQ(szdd::detectFormat(text("KWAJ file")), szdd::Format::unknown);
    Bytes out = {1};
    EXPECT_EQ(szdd::expandAny(text("plain text"), out), S::notCompressed);
    EXPECT_TRUE(out.empty());
}

TEST(FormatHeader, SzHeaderHoldsTheLength) {
    Bytes header(szdd::kSzHeaderSize);
    szdd::writeSzHeader(0x12345678, std::span<std::uint8_t, 12>(header.data(), 12));
    EXPECT_EQ(header, (magic(szdd::kSzMagic) + Bytes{0x78, 0x56, 0x34, 0x12}));
    std::uint32_t length = 0;
    EXPECT_EQ(szdd::readSzHeader(header, length), S::ok);
    EXPECT_EQ(length, 0x12345678u);
    EXPECT_EQ(szdd::readSzHeader(Bytes(header.begin(), header.end() - 1), length), S::notSz);
    EXPECT_EQ(szdd::readSzHeader(magic(szdd::kMagic), length), S::notSz);
}

TEST(FormatHeader, KwajHeaderWrittenIsReadBackByUsAndLibmspack) {
    szdd::KwajHeader header;
    header.method = szdd::KwajMethod::mszip;
    header.length = 70000;
    header.name = "SETUP";
    header.extension = "EXE";
    header.extraText = text("made here", false);
    Bytes file;
    ASSERT_EQ(szdd::writeKwajHeader(header, file), S::ok);
    file.insert(file.end(), {0, 0});
    szdd::KwajHeader read;
    ASSERT_EQ(szdd::readKwajHeader(file, file.size(), read), S::ok);
    EXPECT_EQ(read.method, szdd::KwajMethod::mszip);
    EXPECT_EQ(read.dataOffset, file.size() - 2);
    EXPECT_EQ(read.flags, 0x01 | 0x08 | 0x10 | 0x20);
    EXPECT_EQ(read.length, 70000u);
    EXPECT_EQ(read.name, "SETUP");
    EXPECT_EQ(read.extension, "EXE");
    EXPECT_EQ(read.extraText, header.extraText);
    ScratchFolder dir;
    std::string name;
    EXPECT_EQ(kwajNameByLibmspack(dir.path(), file, name), MSPACK_ERR_OK);
    EXPECT_EQ(name, "SETUP.EXE");
}

TEST(FormatHeader, KwajWriterRefusesWhatTheFormatCannotHold) {
    const struct {
        const char* name;
        std::optional<std::string> fileName, extension;
        std::size_t extra;
        szdd::Status expected;
    } cases[] = {
        {"nameOfNine", "ABCDEFGHI", "TXT", 0, S::badName},
        {"extensionOfFour", "A", "HTML", 0, S::badName},
        {"nulInName", std::string("A\0B", 3), std::nullopt, 0, S::badName},
        {"headerPast64KiB", "A", "B", 65535 - 14, S::tooLarge},
        {"largestHeader", std::nullopt, std::nullopt, 65535 - 16, S::ok},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        szdd::KwajHeader header;
        header.name = c.fileName;
        header.extension = c.extension;
        header.extraText = Bytes(c.extra, 'x');
        Bytes out;
        EXPECT_EQ(szdd::writeKwajHeader(header, out), c.expected);
        EXPECT_EQ(out.empty(), c.expected != S::ok);
    }
}

TEST(FormatHeader, DamagedKwajHeadersAreRefusedAsLibmspackRefusesThem) {
    const Bytes length = {0x10, 0, 0, 0};
    const struct {
        const char* name;
        Bytes file;
        szdd::Status expected;
        Peer libmspack;
    } cases[] = {
        {"onlyTheMagic", magic(szdd::kKwajMagic), S::headerTruncated, Peer::crashes},
        {"fixedPartCut", withoutLast(kwajBytes(0, 0, {})), S::headerTruncated, Peer::crashes},
        {"lengthCut", kwajBytes(0, 0x01, {0x10, 0}), S::headerTruncated, Peer::refuses},
        {"unknown2Cut", kwajBytes(0, 0x03, length + Bytes{7}), S::headerTruncated, Peer::refuses},
        {"unknownBlockLengthCut", kwajBytes(0, 0x04, {5}), S::headerTruncated, Peer::refuses},
        {"nameWithoutRoom", kwajBytes(0, 0x08, {0}), S::headerTruncated, Peer::refuses},
        // The longest name and extension, as libmspack's own suite reads them, and one more.
        {"nameOfEight", kwajBytes(0, 0x08, text("ABCDEFGH")), S::ok, Peer::accepts},
        {"nameOfNine", kwajBytes(0, 0x08, text("ABCDEFGHI")), S::badName, Peer::refuses},
        {"extensionOfThree", kwajBytes(0, 0x10, text("BCD")), S::ok, Peer::accepts},
        {"extensionOfFour", kwajBytes(0, 0x10, text("ABCD")), S::badName, Peer::refuses},
        {"extraTextCut", kwajBytes(0, 0x20, {9, 0, 'a', 'b'}), S::headerTruncated, Peer::refuses},
        {"methodFive", kwajBytes(5, 0, {}, text("data")), S::unknownMethod, Peer::refuses},
        {"methodFFFF", kwajBytes(0xFFFF, 0, {}, text("data")), S::unknownMethod, Peer::refuses},
        // libmspack seeks past the end and expands nothing.
        {"dataOffsetPastTheEnd", kwajBytes(0, 0, {}, text("data"), 20), S::badDataOffset,
         Peer::accepts},
        {"extensionWithoutRoom", kwajBytes(0, 0x18, {0, 0}), S::headerTruncated, Peer::refuses},
        {"dataOffsetAtTheEnd", kwajBytes(0, 0, {}, text("data"), 19), S::ok, Peer::accepts},
    };
    ScratchFolder dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        szdd::KwajHeader header;
        header.name = "untouched";
        EXPECT_EQ(szdd::readKwajHeader(c.file, c.file.size(), header), c.expected);
        if (c.expected != S::ok) {
            EXPECT_EQ(header.name, "untouched");
        }
        Bytes ours, theirs;
        EXPECT_EQ(szdd::expandKwaj(c.file, ours), c.expected);
        if (c.libmspack != Peer::crashes) {
            EXPECT_EQ(expandWithLibmspack(dir.path(), c.file, theirs) != MSPACK_ERR_OK,
                      c.libmspack == Peer::refuses);
        }
    }
}
