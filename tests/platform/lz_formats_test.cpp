// SPDX-License-Identifier: GPL-3.0-or-later
// The LZ library on SZ and KWAJ files: every method expanded, headers read
// for lists, and damaged files refused without costing an existing file.
#include "platform/compressed_info.h"
#include "szdd/kwaj.h"
#include "tests/platform/lz_test_files.h"

#include <gtest/gtest.h>

#include <fcntl.h>

using namespace crunchwise;
using namespace crunchwise::testing;

namespace {

Bytes kwajFile(szdd::KwajMethod method, const Bytes& data, const char* name = nullptr) {
    szdd::KwajHeader header;
    header.method = method;
    if (name != nullptr)
        header.name = name;
    Bytes file;
    EXPECT_EQ(szdd::compressKwaj(data, header, file), szdd::Status::ok);
    return file;
}

// A KWAJ header of its own: method, data offset, flags, fields.
Bytes kwajHeader(std::uint16_t method, std::uint16_t offset, std::uint16_t flags,
                 const std::string& fields) {
    Bytes file(szdd::kKwajMagic, szdd::kKwajMagic + 8);
    for (const std::uint16_t v : {method, offset, flags}) {
        file.push_back(static_cast<std::uint8_t>(v));
        file.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    file.insert(file.end(), fields.begin(), fields.end());
    return file;
}

Bytes cut(Bytes file, std::size_t size) {
    file.resize(size);
    return file;
}

LZCOPYINFO copyInfo(const fs::path& source, const fs::path& destination, std::int64_t& copied) {
    OFSTRUCT record;
    const int in = LZOpenFileA(source.string(), record, OF_READ);
    const int out = LZOpenFileA(destination.string(), record, OF_CREATE);
    copied = LZCopy(in, out);
    LZCOPYINFO info;
    LZCopyInfo(out, info);
    LZClose(in);
    LZClose(out);
    return info;
}

const Bytes kData = testData(100000, 7);

} // namespace

TEST(LzFormats, EveryFormatAndMethodIsExpandedAndNamed) {
    ScratchFolder folder;
    Bytes sz;
    ASSERT_EQ(szdd::compressSz(kData, sz), szdd::Status::ok);
    writeBytes(folder / "in", sz);
    std::int64_t copied = 0;
    LZCOPYINFO info = copyInfo(folder / "in", folder / "out", copied);
    EXPECT_EQ(copied, static_cast<std::int64_t>(kData.size()));
    EXPECT_EQ(info.format, szdd::Format::sz);
    EXPECT_EQ(info.headerLength, kData.size());
    EXPECT_TRUE(readBytes(folder / "out") == kData);
    for (int method = 0; method <= 4; ++method) {
        writeBytes(folder / "in", kwajFile(static_cast<szdd::KwajMethod>(method), kData));
        info = copyInfo(folder / "in", folder / "out", copied);
        EXPECT_EQ(copied, static_cast<std::int64_t>(kData.size())) << method;
        EXPECT_EQ(info.format, szdd::Format::kwaj);
        EXPECT_EQ(info.method, method);
        EXPECT_TRUE(info.compressed);
        EXPECT_TRUE(readBytes(folder / "out") == kData) << method;
    }
}

TEST(LzFormats, ADamagedFileNeverReplacesAFileAndARefusedHeaderWritesNothing) {
    const Bytes mszip = kwajFile(szdd::KwajMethod::mszip, kData);
    Bytes noCk = mszip;
    noCk[20] = 'X'; // the first block's "CK"
    Bytes wrongLength;
    ASSERT_EQ(szdd::compressSz(kData, wrongLength), szdd::Status::ok);
    wrongLength[8] ^= 1;
    // Method 4 data after a header that stores no length.
    Bytes noLength = kwajHeader(4, 14, 0, "");
    noLength.insert(noLength.end(), mszip.begin() + 18, mszip.begin() + 5000);
    struct Row {
        const char* what;
        Bytes file;
        std::int64_t code;
        szdd::Status damage;
        bool headerRefused;
    };
    const std::vector<Row> rows = {
        {"name without NUL", kwajHeader(0, 30, 0x08, "LONGNAME.TXT\0"), LZERROR_DAMAGED,
         szdd::Status::badName, true},
        {"unknown method", kwajHeader(7, 14, 0, ""), LZERROR_UNKNOWNALG,
         szdd::Status::unknownMethod, true},
        {"offset past the end", kwajHeader(0, 400, 0, "abc"), LZERROR_DAMAGED,
         szdd::Status::badDataOffset, true},
        {"KWAJ header cut", cut(mszip, 16), LZERROR_DAMAGED, szdd::Status::headerTruncated, true},
        {"SZDD header cut", cut(compressed(kData), 12), LZERROR_DAMAGED,
         szdd::Status::headerTruncated, true},
        {"no CK", noCk, LZERROR_DAMAGED, szdd::Status::damaged, false},
        {"cut, no length", noLength, LZERROR_DAMAGED, szdd::Status::truncated, false},
        {"cut, with length", cut(mszip, 5000), LZERROR_BADLENGTH, szdd::Status::ok, false},
        {"SZ of a wrong length", wrongLength, LZERROR_BADLENGTH, szdd::Status::ok, false},
    };
    ScratchFolder folder;
    for (const Row& row : rows) {
        writeBytes(folder / "in", row.file);
        writeText(folder / "old", "kept");
        std::int64_t copied = 0;
        LZCOPYINFO info = copyInfo(folder / "in", folder / "old", copied);
        EXPECT_EQ(copied, row.code) << row.what;
        EXPECT_EQ(info.damage, row.damage) << row.what;
        EXPECT_EQ(readText(folder / "old"), "kept") << row.what;
        // A new file keeps what could be expanded of damaged data only.
        info = copyInfo(folder / "in", folder / "new", copied);
        EXPECT_EQ(fs::exists(folder / "new"), !row.headerRefused) << row.what;
        EXPECT_EQ(folder.entries().size(), row.headerRefused ? 2u : 3u) << row.what;
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
        {kwajFile(szdd::KwajMethod::lzh, kData, "README"), "KWAJ method 3 (LZH)", 100000, "README",
         szdd::Status::ok},
        {kwajHeader(1, 14, 0, ""), "KWAJ method 1 (XOR)", {}, "", szdd::Status::ok},
        {kwajHeader(9, 14, 0, ""), "KWAJ method 9", {}, "", szdd::Status::unknownMethod},
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
