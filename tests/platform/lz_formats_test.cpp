// SPDX-License-Identifier: GPL-3.0-or-later
// The LZ library on damaged files of every format, refused or cut short
// without costing an existing file, and headers read for lists.
#include "platform/compressed_info.h"
#include "szdd/kwaj.h"
#include "tests/platform/lz_test_files.h"

#include <gtest/gtest.h>

#include <fcntl.h>

using namespace crunchwise;
using namespace crunchwise::testing;

namespace {

Bytes text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

const Bytes kData = testData(100000, 7);

} // namespace

TEST(LzFormats, ADamagedFileNeverReplacesAFileAndARefusedHeaderWritesNothing) {
    const Bytes mszip = kwajOf(4, kData);
    Bytes noCk = mszip;
    noCk[20] = 'X'; // the first block's "CK"
    Bytes wrongLength;
    ASSERT_EQ(szdd::compressSz(kData, wrongLength), szdd::Status::ok);
    wrongLength[8] ^= 1;
    // Method 4 data after a header that stores no length.
    Bytes noLength = kwajBytes(4, 0);
    noLength.insert(noLength.end(), mszip.begin() + 18, mszip.begin() + 5000);
    const Bytes szdd = compressed(testData(78737));
    Bytes methodB = compressed(testData(1000));
    methodB[kMethodOffset] = 'B';
    Bytes noise = compressed(testData(5000));
    for (std::size_t i = szdd::kHeaderSize; i < noise.size(); ++i)
        noise[i] = static_cast<std::uint8_t>(i * 7919 % 251);
    struct Row {
        const char* what;
        Bytes file;
        std::int64_t code;
        szdd::Status damage;
        bool headerRefused;
    };
    const std::vector<Row> rows = {
        {"name without NUL", kwajBytes(0, 0x08, text("LONGNAME.TXT"), {}, 30), LZERROR_DAMAGED,
         szdd::Status::badName, true},
        {"unknown method", kwajBytes(7, 0), LZERROR_UNKNOWNALG, szdd::Status::unknownMethod, true},
        {"SZDD method B", methodB, LZERROR_UNKNOWNALG, szdd::Status::unknownMethod, true},
        {"offset past the end", kwajBytes(0, 0, {}, text("abc"), 400), LZERROR_DAMAGED,
         szdd::Status::badDataOffset, true},
        {"KWAJ header cut", Bytes(mszip.begin(), mszip.begin() + 16), LZERROR_DAMAGED,
         szdd::Status::headerTruncated, true},
        {"SZDD header cut", Bytes(kReferenceCompressed.begin(), kReferenceCompressed.begin() + 12),
         LZERROR_DAMAGED, szdd::Status::headerTruncated, true},
        {"no CK", noCk, LZERROR_DAMAGED, szdd::Status::damaged, false},
        {"cut, no length", noLength, LZERROR_DAMAGED, szdd::Status::truncated, false},
        {"cut, with length", Bytes(mszip.begin(), mszip.begin() + 5000), LZERROR_BADLENGTH,
         szdd::Status::ok, false},
        {"SZ of a wrong length", wrongLength, LZERROR_BADLENGTH, szdd::Status::ok, false},
        // SZDD: cut, cut inside a match, noise after the header, another compressor's length.
        {"SZDD cut", Bytes(szdd.begin(), szdd.begin() + 5000), LZERROR_BADLENGTH, szdd::Status::ok,
         false},
        {"SZDD cut in a match", cutInsideMatch(), LZERROR_BADLENGTH, szdd::Status::ok, false},
        {"SZDD noise", noise, LZERROR_BADLENGTH, szdd::Status::ok, false},
        {"SZDD reference", kReferenceCompressed, LZERROR_BADLENGTH, szdd::Status::ok, false},
    };
    ScratchFolder folder;
    for (const Row& row : rows) {
        writeBytes(folder / "in", row.file);
        writeText(folder / "old", "kept");
        LZCOPYINFO info;
        EXPECT_EQ(expandFile(folder / "in", folder / "old", &info), row.code) << row.what;
        EXPECT_EQ(info.damage, row.damage) << row.what;
        EXPECT_EQ(readText(folder / "old"), "kept") << row.what;
        // A new file keeps what could be expanded of damaged data only.
        info = {};
        expandFile(folder / "in", folder / "new", &info);
        EXPECT_FALSE(info.replacesExisting);
        EXPECT_EQ(fs::exists(folder / "new"), !row.headerRefused) << row.what;
        EXPECT_EQ(folder.entries().size(), row.headerRefused ? 2u : 3u) << row.what;
        if (!row.headerRefused) {
            Bytes part;
            szdd::expandAny(row.file, part);
            EXPECT_EQ(info.written, part.size()) << row.what;
            EXPECT_TRUE(readBytes(folder / "new") == part) << row.what;
        }
        fs::remove(folder / "new");
    }
}

TEST(LzFormats, HeadersAreReadForListsWithoutExpanding) {
    Bytes methodB = compressed(kData, 'E');
    methodB[kMethodOffset] = 'B';
    struct Row {
        Bytes file;
        const char* text;
        std::optional<std::uint32_t> length;
        const char* storedName;
        szdd::Status header;
    };
    const std::vector<Row> rows = {
        {{}, "not compressed", {}, "", szdd::Status::ok},
        {compressed(kData, 'E'), "SZDD", 100000, "", szdd::Status::ok},
        {methodB, "SZDD method B", 100000, "", szdd::Status::unknownMethod},
        {kwajOf(3, kData, "README"), "KWAJ method 3 (LZH)", 100000, "README", szdd::Status::ok},
        {kwajBytes(1, 0), "KWAJ method 1 (XOR)", {}, "", szdd::Status::ok},
        // The name lies past the first 4 KiB, after a long unknown field.
        {kwajBytes(0, 0x0C,
                   text(std::string("\x88\x13", 2) + std::string(5000, '\0') + "FAR.TXT" + '\0')),
         "KWAJ method 0 (stored)",
         {},
         "FAR.TXT",
         szdd::Status::ok},
        {kwajBytes(9, 0), "KWAJ method 9", {}, "", szdd::Status::unknownMethod},
    };
    ScratchFolder folder;
    for (const Row& row : rows) {
        writeBytes(folder / "in", row.file);
        PosixFile file;
        ASSERT_EQ(file.open(folder / "in", O_RDONLY), 0);
        CompressedInfo info;
        ASSERT_EQ(readCompressedInfo(file, info), 0);
        EXPECT_EQ(formatAndMethodText(info), row.text);
        EXPECT_EQ(info.expandedLength, row.length) << row.text;
        EXPECT_EQ(info.storedName, row.storedName) << row.text;
        EXPECT_EQ(info.header, row.header) << row.text;
        EXPECT_EQ(info.missingChar, row.text[1] == 'Z' && row.text[2] == 'D' ? 'E' : 0);
    }
}
