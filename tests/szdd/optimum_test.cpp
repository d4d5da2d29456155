// SPDX-License-Identifier: GPL-3.0-or-later
// The encoder's output against the best any encoder can do, worked out here
// by brute force on inputs small enough for it: the longest match at every
// position over every distance 1..4095 (blanks before the first byte), then
// the cheapest parse.
#include "tests/szdd/szdd_test_data.h"

#include <gtest/gtest.h>

#include <random>

using namespace szdd_test;

namespace {

constexpr std::int64_t kMaxDistance = 4095;
constexpr std::uint64_t kLiteralBits = 9;
constexpr std::uint64_t kMatchBits = 17;

unsigned longestMatch(const Bytes& source, std::size_t pos) {
    const auto limit = static_cast<unsigned>(std::min<std::size_t>(18, source.size() - pos));
    const std::uint8_t* here = source.data() + pos;
    const auto inData = static_cast<std::int64_t>(std::min<std::size_t>(pos, kMaxDistance));
    unsigned best = 0;
    for (std::int64_t distance = 1; distance <= inData && best < limit; ++distance) {
        unsigned length = 0;
        while (length < limit && here[length - distance] == here[length]) {
            ++length;
        }
        best = std::max(best, length);
    }
    // Sources before the first byte: blanks, then the data from its start.
    const auto byteAt = [&](std::int64_t i) {
        return i < 0 ? std::uint8_t{' '} : source[i];
    };
    for (std::int64_t distance = inData + 1;
         distance <= kMaxDistance && here[0] == ' ' && best < limit; ++distance) {
        const std::int64_t from = static_cast<std::int64_t>(pos) - distance;
        unsigned length = 0;
        while (length < limit && byteAt(from + length) == here[length]) {
            ++length;
        }
        best = std::max(best, length);
    }
    return best;
}

std::uint64_t optimumBits(const Bytes& source) {
    std::vector<std::uint64_t> cost(source.size() + 1, 0);
    for (std::size_t i = source.size(); i-- > 0;) {
        cost[i] = cost[i + 1] + kLiteralBits;
        const unsigned longest = longestMatch(source, i);
        for (unsigned length = 3; length <= longest; ++length) {
            cost[i] = std::min(cost[i], cost[i + length] + kMatchBits);
        }
    }
    return cost[0];
}

std::uint64_t streamBits(const Bytes& source, const Bytes& packed) {
    const Bytes stream(packed.begin() + szdd::kHeaderSize, packed.end());
    std::uint64_t bits = 0;
    for (const Item& item : walkItems(stream)) {
        bits += item.length == 0 ? kLiteralBits : kMatchBits;
        // A source 4096 back shares the slot about to be written: never used.
        EXPECT_TRUE(item.length == 0 || item.ringPos != ((0xFF0 + item.outputAt) & 0xFFF))
            << "at " << item.outputAt << " of " << source.size();
    }
    return bits;
}

} // namespace

TEST(SzddOptimum, EncoderReachesTheOptimumOnSmallInputs) {
    std::mt19937 rng(4095);
    std::vector<Bytes> inputs;
    for (int round = 0; round < 240; ++round) {
        // Sizes spread evenly over 16 bytes to 4 KiB on a log scale.
        const std::size_t size = 1 + rng() % (std::size_t{16} << rng() % 9);
        switch (round % 4) {
        case 0:
            inputs.push_back(makePieces(size, rng(), 40));
            break;
        case 1: { // a small alphabet: 1 to 6 letters
            const unsigned letters = 1 + rng() % 6;
            inputs.emplace_back(size);
            for (auto& b : inputs.back()) {
                b = static_cast<std::uint8_t>(' ' + rng() % letters);
            }
            break;
        }
        case 2:
            inputs.push_back(makeText(size, rng()));
            break;
        default:
            inputs.push_back(makeProgram(size, rng()));
        }
    }
    // Everything repeats exactly 4096 bytes back, one byte out of reach.
    const Bytes period = makeRandom(4096, 7);
    Bytes twice = period;
    twice.insert(twice.end(), period.begin(), period.end());
    inputs.push_back(twice);

    for (const Bytes& source : inputs) {
        Bytes packed, unpacked;
        ASSERT_EQ(szdd::compress(source, 0, packed), szdd::Status::ok);
        ASSERT_EQ(szdd::expand(packed, unpacked), szdd::Status::ok);
        ASSERT_TRUE(unpacked == source) << source.size();
        EXPECT_EQ(streamBits(source, packed), optimumBits(source)) << source.size();
    }
}
