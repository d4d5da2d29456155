// SPDX-License-Identifier: GPL-3.0-or-later
// Mutated, truncated and random streams, built with the address and undefined
// behaviour sanitizers: the codec must not crash, hang or touch memory out of
// bounds. LZSS has no end marker and no check value, so any byte string after
// a valid header is some stream; what is decidable is a bad header (SzddHeader's
// table) and a stream cut inside a match (truncated). Everything else is
// compared with a plain ring-buffer expander written here.
#include "tests/szdd/szdd_test_data.h"

#include <gtest/gtest.h>

#include <random>

using namespace szdd_test;

namespace {

// Straightforward expander: the items of a plain walk replayed through a
// 4096-byte ring, one byte at a time.
szdd::Status ringExpand(const Bytes& stream, Bytes& out) {
    std::uint8_t ring[4096];
    std::fill(std::begin(ring), std::end(ring), 0x20);
    unsigned write = 0xFF0;
    out.clear();
    bool cut = false;
    for (const Item& item : walkItems(stream, &cut)) {
        unsigned read = item.ringPos;
        for (unsigned i = 0; i < std::max(item.length, 1u); ++i, read = (read + 1) & 0xFFF) {
            const std::uint8_t byte = item.length == 0 ? stream[item.streamAt] : ring[read];
            out.push_back(ring[write] = byte);
            write = (write + 1) & 0xFFF;
        }
    }
    return cut ? szdd::Status::truncated : szdd::Status::ok;
}

Bytes streamOf(const Bytes& source) {
    Bytes packed;
    EXPECT_EQ(szdd::compress(source, 0, packed), szdd::Status::ok);
    return Bytes(packed.begin() + szdd::kHeaderSize, packed.end());
}

Bytes mutate(Bytes stream, std::mt19937& rng) {
    auto pick = [&](std::size_t n) {
        return n == 0 ? 0 : rng() % n;
    };
    switch (rng() % 6) {
    case 0: // flip bits
        for (unsigned n = 1 + rng() % 8; n > 0 && !stream.empty(); --n)
            stream[pick(stream.size())] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
        break;
    case 1: // overwrite bytes
        for (unsigned n = 1 + rng() % 16; n > 0 && !stream.empty(); --n)
            stream[pick(stream.size())] = static_cast<std::uint8_t>(rng());
        break;
    case 2: // cut
        stream.resize(pick(stream.size() + 1));
        break;
    case 3: { // insert
        const Bytes extra = makeRandom(1 + rng() % 40, rng());
        stream.insert(stream.begin() + static_cast<std::ptrdiff_t>(pick(stream.size() + 1)),
                      extra.begin(), extra.end());
        break;
    }
    case 4: { // delete a range
        const std::size_t from = pick(stream.size() + 1);
        const std::size_t count = std::min<std::size_t>(rng() % 64, stream.size() - from);
        stream.erase(stream.begin() + static_cast<std::ptrdiff_t>(from),
                     stream.begin() + static_cast<std::ptrdiff_t>(from + count));
        break;
    }
    default: // all matches: control bytes of zero bits everywhere
        stream = makeRandom(rng() % 3000, rng());
        for (std::size_t i = 0; i < stream.size(); i += 17)
            stream[i] = static_cast<std::uint8_t>(rng() % 4 == 0 ? rng() : 0);
        break;
    }
    return stream;
}

} // namespace

TEST(SzddFuzz, EveryCutIsTruncatedExactlyInsideAMatch) {
    const Bytes source = makeText(3000, 35);
    const Bytes stream = streamOf(source);
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        const Bytes head(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(cut));
        bool insideMatch = false;
        const std::vector<Item> items = walkItems(head, &insideMatch);
        Bytes out;
        const szdd::Status status = szdd::expand(withHeader(head), out);
        ASSERT_EQ(status, insideMatch ? szdd::Status::truncated : szdd::Status::ok) << cut;
        // Whatever came out is the source up to the last complete item.
        const std::uint64_t complete =
            items.empty() ? 0 : items.back().outputAt + std::max(1u, items.back().length);
        ASSERT_EQ(out.size(), complete) << cut;
        ASSERT_TRUE(std::equal(out.begin(), out.end(), source.begin())) << cut;
    }
}

TEST(SzddFuzz, EncoderRoundTripsStructuredInputs) {
    std::mt19937 rng(99);
    for (int round = 0; round < 60; ++round) {
        const Bytes source = makePieces(rng() % 120000, rng(), 300);
        const std::vector<std::size_t> chunks = {1 + rng() % 7, 1 + rng() % 70000};
        const Bytes stream = encodeDataChunked(writableFormats()[0], source, chunks); // SZDD
        Bytes out;
        ASSERT_EQ(ringExpand(stream, out), szdd::Status::ok) << round;
        ASSERT_TRUE(out == source) << round;
    }
}

// Every format: mutated data and headers expand without a fault, and alike
// whether the data comes whole or in chunks of any size; SZDD data as the
// plain ring expander expands it.
TEST(FormatFuzz, MutatedFilesExpandAlikeWholeAndChunked) {
    std::mt19937 rng(20240619);
    Bytes mixed = makeText(5000, 61);
    const Bytes code = makeProgram(4000, 62);
    mixed.insert(mixed.end(), code.begin(), code.end());
    mixed.insert(mixed.end(), 900, 0);
    // MS-ZIP: a stored block, then one that refers back into it.
    Bytes twoBlocks = makeRandom(32768, 63);
    twoBlocks.insert(twoBlocks.end(), mixed.begin(), mixed.end());
    std::vector<std::pair<Writable, Bytes>> files;
    for (const Writable& format : writableFormats()) {
        const bool mszip = format.method == szdd::KwajMethod::mszip;
        files.emplace_back(format, compressAs(format, mszip ? twoBlocks : mixed));
        if (format.method == szdd::KwajMethod::lzh) // literals of 8 bits each: read as bytes
            files.emplace_back(format, compressAs(format, makeRandom(20000, 64)));
        if (format.format == szdd::Format::szdd) // runs: long matches
            files.emplace_back(format, compressAs(format, Bytes(5000, 'z')));
    }
    for (const auto& [format, file] : files) {
        const std::size_t data = format.dataAt;
        const int rounds = format.format == szdd::Format::szdd ? 2000 : 700;
        for (int round = 0; round < rounds; ++round) {
            SCOPED_TRACE(std::string(format.name) + " round " + std::to_string(round));
            Bytes damaged = file;
            Bytes stream(file.begin() + long(data), file.end());
            if (round % 8 == 0) { // the header
                damaged[8 + rng() % (data - 8)] = static_cast<std::uint8_t>(rng());
            } else {
                stream = mutate(stream, rng);
                damaged.resize(data);
                damaged.insert(damaged.end(), stream.begin(), stream.end());
            }
            Bytes whole, chunked, expected;
            const szdd::Status status = szdd::expandAny(damaged, whole);
            const std::vector<std::size_t> chunks = {1 + rng() % 3, 1 + rng() % 40,
                                                     1 + rng() % 5000};
            ASSERT_EQ(expandChunked(damaged, chunks, chunked), status);
            ASSERT_TRUE(whole == chunked);
            if (format.format == szdd::Format::szdd && damaged[8] == file[8]) {
                ASSERT_EQ(ringExpand(stream, expected), status);
                ASSERT_TRUE(whole == expected);
            }
        }
    }
}
