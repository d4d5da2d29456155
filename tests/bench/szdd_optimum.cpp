// SPDX-License-Identifier: GPL-3.0-or-later
// The smallest SZDD file any encoder can write for a source: the exact longest
// match at every position over every distance 1..4095 (blanks before the
// start), then the cheapest parse (a literal 9 bits, a match 17), counted in
// whole bytes. Independent of the codec's match finder: it walks complete
// chains of all earlier positions with the same hash of their first three bytes.
//   szdd_optimum SOURCE
// Prints one line: "optimum_bytes=<bytes, header included>".
#include "tests/bench/bench_support.h"

#include <cstdio>

namespace {

constexpr std::size_t kHeader = 14;
constexpr std::size_t kMaxDistance = 4095;
constexpr unsigned kMinMatch = 3;
constexpr unsigned kMaxMatch = 18;

unsigned hashOf(const std::uint8_t* p) {
    return ((p[0] | (p[1] << 8) | (p[2] << 16)) * 2654435761u) >> 16;
}

// Longest match at every position of `source`.
std::vector<std::uint8_t> longestMatches(const bench::Bytes& source) {
    // The source behind kMaxDistance blanks, which take part like any earlier bytes.
    bench::Bytes all(kMaxDistance, ' ');
    all.insert(all.end(), source.begin(), source.end());
    all.push_back(0); // the last position's hash reads one byte past the end
    std::vector<std::uint32_t> newest(1u << 16, 0);        // hash -> position + 1
    std::vector<std::uint32_t> older(kMaxDistance + 1, 0); // position % 4096 -> previous + 1
    std::vector<std::uint8_t> lengths(source.size(), 0);
    const std::size_t end = all.size() - 1;
    for (std::size_t pos = 0; pos + 1 < end; ++pos) {
        const std::uint8_t* here = all.data() + pos;
        if (pos >= kMaxDistance) {
            const auto limit = static_cast<unsigned>(std::min<std::size_t>(end - pos, kMaxMatch));
            unsigned best = 0;
            for (std::uint32_t c = newest[hashOf(here)]; c != 0 && best < limit;
                 c = older[(c - 1) & kMaxDistance]) {
                if (pos - (c - 1) > kMaxDistance)
                    break;
                const std::uint8_t* from = all.data() + (c - 1);
                unsigned n = 0;
                while (n < limit && from[n] == here[n])
                    ++n;
                best = n > best ? n : best;
            }
            lengths[pos - kMaxDistance] = static_cast<std::uint8_t>(best >= kMinMatch ? best : 0);
        }
        std::uint32_t& head = newest[hashOf(here)];
        older[pos & kMaxDistance] = head;
        head = static_cast<std::uint32_t>(pos + 1);
    }
    return lengths;
}

// Bytes of the cheapest parse, header and control bytes included.
std::uint64_t cheapestBytes(const std::vector<std::uint8_t>& lengths) {
    // Cost in bits and items from each position to the end, for the next kMaxMatch positions.
    constexpr std::size_t kRing = 32;
    std::uint64_t bits[kRing] = {};
    std::uint64_t items[kRing] = {};
    for (std::size_t i = lengths.size(); i-- > 0;) {
        std::uint64_t bestBits = bits[(i + 1) % kRing] + 9;
        std::uint64_t bestItems = items[(i + 1) % kRing] + 1;
        for (unsigned n = kMinMatch; n <= lengths[i]; ++n) {
            if (bits[(i + n) % kRing] + 17 < bestBits) {
                bestBits = bits[(i + n) % kRing] + 17;
                bestItems = items[(i + n) % kRing] + 1;
            }
        }
        bits[i % kRing] = bestBits;
        items[i % kRing] = bestItems;
    }
    // One control bit per item; the rest is whole bytes.
    return kHeader + (items[0] + 7) / 8 + (bits[0] - items[0]) / 8;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: szdd_optimum SOURCE\n");
        return 2;
    }
    try {
        const bench::Bytes source = bench::readFile(argv[1]);
        std::printf("optimum_bytes=%llu\n",
                    static_cast<unsigned long long>(cheapestBytes(longestMatches(source))));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "szdd_optimum: %s\n", e.what());
        return 1;
    }
    return 0;
}
