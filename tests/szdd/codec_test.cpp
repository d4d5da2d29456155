// SPDX-License-Identifier: GPL-3.0-or-later
// The codec on its own: recognising SZDD headers and the containers that are
// not, telling the three formats apart and reading and writing the SZ and KWAJ
// headers (beside libmspack's reading of the same bytes); how the streaming
// codec ends, fails and refuses; and compress then expand giving the source
// back in every format, whole or in chunks of any size.
#include "tests/support/scratch_folder.h"
#include "tests/support/szdd_file.h"
#include "tests/szdd/szdd_test_data.h"

#include <gtest/gtest.h>
#include <mspack.h>
#include <sys/mman.h>

using namespace szdd_test;
using crunchwise::testing::kwajBytes;
using crunchwise::testing::ScratchFolder;

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

TEST(FormatRoundTrip, EveryFormatWholeAndChunkedGivesTheSourceBack) {
    const std::vector<std::size_t> oddChunks = {1, 7, 4093, 1, 65537, 13, 100003};
    for (const Writable& format : writableFormats()) {
        for (const Sample& sample : samples()) {
            SCOPED_TRACE(std::string(format.name) + " " + sample.name);
            const Bytes file = compressAs(format, sample.data);
            Bytes out;
            ASSERT_EQ(szdd::expandAny(file, out), szdd::Status::ok);
            EXPECT_TRUE(out == sample.data);
            szdd::Header header;
            if (format.format == szdd::Format::szdd) {
                ASSERT_EQ(szdd::readHeader(file, header), szdd::Status::ok);
                EXPECT_EQ(header.missingChar, 'x');
                EXPECT_EQ(header.length, sample.data.size());
            }
            const Bytes data(file.begin() + long(format.dataAt), file.end());
            for (const auto& chunks : {oddChunks, std::vector<std::size_t>{1}}) {
                // The stream must not depend on how the source was cut.
                EXPECT_TRUE(encodeDataChunked(format, sample.data, chunks) == data);
                ASSERT_EQ(expandChunked(file, chunks, out), szdd::Status::ok);
                EXPECT_TRUE(out == sample.data);
            }
        }
    }
}
