// SPDX-License-Identifier: GPL-3.0-or-later
// Interoperation with independent implementations: Debian's msexpand and
// mscompress, and libmspack, on real files in a temporary folder.
#include "tests/support/program_runner.h"
#include "tests/support/scratch_folder.h"
#include "tests/szdd/szdd_test_data.h"

#include <gtest/gtest.h>
#include <mspack.h>

#include <random>

using namespace szdd_test;
using namespace crunchwise::testing;

namespace {

const std::filesystem::path msexpand = MSEXPAND_PATH;
const std::filesystem::path mscompress = MSCOMPRESS_PATH;
const std::filesystem::path referenceDir = REFERENCE_DIR;

Bytes expandWithMsexpand(const ScratchFolder& dir, const Bytes& packed) {
    writeBytes(dir / "in.sz_", packed);
    RunOptions redirected;
    redirected.input = dir / "in.sz_";
    redirected.output = dir / "out.bin";
    EXPECT_EQ(runProgram(msexpand, {}, redirected), 0);
    return readBytes(dir / "out.bin");
}

// A stream of 4096 distinct-looking literals and then matches at fixed slots.
Bytes streamAfter4096Literals(const std::vector<std::pair<unsigned, unsigned>>& matches) {
    Bytes stream;
    for (unsigned i = 0; i < 4096; ++i) {
        if (i % 8 == 0)
            stream.push_back(0xFF);
        stream.push_back(static_cast<std::uint8_t>((i * 7 + 3) % 251));
    }
    stream.push_back(0x00);
    for (const auto& [ringPos, length] : matches) {
        stream.push_back(static_cast<std::uint8_t>(ringPos & 0xFF));
        stream.push_back(static_cast<std::uint8_t>(((ringPos >> 4) & 0xF0) | (length - 3)));
    }
    return stream;
}

} // namespace

TEST(SzddPeers, MscompressFilesExpandWithOurDecoder) {
    ScratchFolder dir;
    for (const Sample& sample : samples()) {
        if (sample.data.size() < 16)
            continue; // mscompress corrupts shorter inputs
        SCOPED_TRACE(sample.name);
        writeBytes(dir / "src.bin", sample.data);
        std::filesystem::remove(dir / "src.bin_"); // mscompress does not overwrite
        ASSERT_EQ(runProgram(mscompress, {(dir / "src.bin").string()}), 0);
        const Bytes theirs = readBytes(dir / "src.bin_");
        Bytes unpacked;
        ASSERT_EQ(szdd::expand(theirs, unpacked), szdd::Status::ok);
        EXPECT_TRUE(unpacked == sample.data);
    }
}

TEST(SzddPeers, ReferenceFileExpandsToItsTwentyBytes) {
    const Bytes packed = readBytes(referenceDir / "testfile.tx_");
    const Bytes expected = readBytes(referenceDir / "testfile.txt");
    ASSERT_EQ(expected.size(), 20u);
    szdd::Header header;
    ASSERT_EQ(szdd::readHeader(packed, header), szdd::Status::ok);
    EXPECT_EQ(header.missingChar, 't');
    EXPECT_EQ(header.length, 0x1475u); // the field lies; the data decides
    Bytes unpacked;
    ASSERT_EQ(szdd::expand(packed, unpacked), szdd::Status::ok);
    EXPECT_TRUE(unpacked == expected);
}

TEST(SzddPeers, RingSlotsDecodeLikeThePeers) {
    const struct {
        const char* name;
        Bytes stream;
        std::size_t size;
    } cases[] = {
        // Slot 0xFF0 is about to be written: its old byte, 4096 back, is read
        // first. Slot 0x000 is 4080 back; 0xFFE overlaps the bytes being produced.
        {"writtenSlots",
         streamAfter4096Literals({{0xFF0, 18}, {0x000, 5}, {0xFFE, 3}, {0x123, 16}}),
         4096 + 18 + 5 + 3 + 16},
        // Before anything is written every slot holds a blank; 0xFEF straddles
        // the last never-written slot and the first output byte.
        {"neverWrittenSlots", {0x00, 0x00, 0x0F, 0xEF, 0xF2, 0x10, 0x05}, 18 + 5 + 8},
    };
    ScratchFolder dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes file = withHeader(c.stream);
        Bytes ours, theirs;
        ASSERT_EQ(szdd::expand(file, ours), szdd::Status::ok);
        EXPECT_EQ(ours.size(), c.size);
        EXPECT_TRUE(expandWithMsexpand(dir, file) == ours);
        EXPECT_EQ(expandWithLibmspack(dir.path(), file, theirs), MSPACK_ERR_OK);
        EXPECT_TRUE(theirs == ours);
    }
}

// And SZDD files with msexpand as well.
TEST(FormatPeers, OurFilesExpandWithLibmspackByteForByte) {
    ScratchFolder dir;
    for (const Writable& format : writableFormats()) {
        for (const Sample& sample : samples()) {
            SCOPED_TRACE(std::string(format.name) + " " + sample.name);
            const Bytes file = compressAs(format, sample.data);
            Bytes theirs;
            EXPECT_EQ(expandWithLibmspack(dir.path(), file, theirs), MSPACK_ERR_OK);
            EXPECT_TRUE(theirs == sample.data);
            if (format.format == szdd::Format::szdd) {
                EXPECT_TRUE(expandWithMsexpand(dir, file) == sample.data);
            }
        }
    }
}

namespace {

// A damaged copy of `file`: bits flipped, bytes overwritten, or cut.
Bytes damage(Bytes file, std::mt19937& rng, std::size_t from) {
    const std::size_t span = file.size() - from;
    switch (rng() % 3) {
    case 0:
        for (unsigned n = 1 + rng() % 4; n > 0; --n)
            file[from + rng() % span] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
        break;
    case 1:
        for (unsigned n = 1 + rng() % 4; n > 0; --n)
            file[from + rng() % span] = static_cast<std::uint8_t>(rng());
        break;
    default:
        file.resize(from + rng() % span);
        break;
    }
    return file;
}

bool startsWith(const Bytes& whole, const Bytes& start) {
    return start.size() <= whole.size() && std::equal(start.begin(), start.end(), whole.begin());
}

} // namespace

// What libmspack refuses we refuse, and what we accept it expands alike.
// Where it accepts and we do not, ours is a cut stream whose bytes up to
// the cut are its bytes: it takes a match cut after its first byte as the
// end, reads past the end of a deflate stream as zeros, seeks past the end
// of the file over header fields and to the data, and lets a deflate stream
// refer to frame bytes no block has written, reading memory it never set.
TEST(FormatPeers, ReaderAgreesWithLibmspackOnDamagedFiles) {
    std::mt19937 rng(19);
    ScratchFolder dir;
    const Bytes source = makeText(3000, 41);
    const Bytes twoBlocks = makeText(32768 + 3000, 42); // for MS-ZIP: history in use
    for (const Writable& format : writableFormats()) {
        const bool mszip = format.method == szdd::KwajMethod::mszip;
        const Bytes file = compressAs(format, mszip ? twoBlocks : source);
        for (int round = 0; round < 150; ++round) {
            SCOPED_TRACE(std::string(format.name) + " round " + std::to_string(round));
            const Bytes damaged = damage(file, rng, round % 10 == 0 ? 8 : format.dataAt);
            if (damaged.size() < szdd::kKwajFixedHeaderSize)
                continue; // libmspack 0.11 crashes on KWAJ files this short
            Bytes ours, theirs;
            const szdd::Status status = szdd::expandAny(damaged, ours);
            const int error = expandWithLibmspack(dir.path(), damaged, theirs);
            if (status == szdd::Status::ok) {
                ASSERT_EQ(error, MSPACK_ERR_OK);
                ASSERT_TRUE(ours == theirs);
            } else if (error == MSPACK_ERR_OK) {
                const bool unsetHistory = mszip && status == szdd::Status::damaged;
                ASSERT_TRUE(status == szdd::Status::truncated ||
                            status == szdd::Status::headerTruncated ||
                            status == szdd::Status::badDataOffset || unsetHistory)
                    << szdd::statusText(status);
                ASSERT_TRUE(startsWith(theirs, ours));
            }
        }
    }
}
