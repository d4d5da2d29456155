// SPDX-License-Identifier: GPL-3.0-or-later
// Longest-match search for the encoder over the last 4095 bytes, plus the
// blanks the ring holds before the first byte. Matches of 4 bytes or more come
// from hash chains of 4-byte prefixes; a 3-byte match, worth looking for only
// when nothing longer exists, from chains of 3-byte prefixes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace szdd {

class MatchFinder {
public:
    static constexpr unsigned kMinMatch = 3;
    static constexpr unsigned kMaxMatch = 18;
    // Farthest source used. The ring also holds the byte 4096 back, but not
    // every decoder reads that slot before overwriting it, so it is never used.
    static constexpr std::uint64_t kMaxDistance = 4095;
    // Bytes past the last source byte that must be readable (compared eight at a time).
    static constexpr std::size_t kReadPadding = 8;

    struct Match {
        unsigned length = 0;     // 0 when no match of kMinMatch bytes or more
        std::int64_t source = 0; // absolute position; negative = initial blanks
    };

    MatchFinder();

    // Records position `pos`, whose bytes start at `data`; `available` bytes
    // (3 at least) can be read there.
    void insert(std::uint64_t pos, const std::uint8_t* data, std::uint64_t available);
    // The longest match for `pos` (not yet inserted) among earlier positions,
    // limited to `maxLength` bytes, which must be readable at `data` (plus
    // kReadPadding), as must the kMaxDistance bytes before it. `known` is a
    // match already known to hold (from the previous position's match).
    Match find(std::uint64_t pos, const std::uint8_t* data, unsigned maxLength, Match known) const;

private:
    static constexpr unsigned kHashBits = 15;
    static constexpr unsigned kHash3Bits = 16;
    // Candidates examined per position. Sources are tried newest first; past
    // this many the longest one is almost always found already.
    static constexpr unsigned kChainLimit = 128;
    static unsigned hash4(const std::uint8_t* data);
    static unsigned hash3(const std::uint8_t* data);
    Match findLonger(std::uint64_t pos, const std::uint8_t* data, unsigned maxLength,
                     Match best) const;
    Match findThree(std::uint64_t pos, const std::uint8_t* data, unsigned maxLength) const;
    Match findInBlanks(std::uint64_t pos, const std::uint8_t* data, unsigned maxLength,
                       Match best) const;

    // Hash -> newest position + 1 (0: none); position % 4096 -> the previous
    // position + 1 with the same hash.
    std::vector<std::uint32_t> head3_;
    std::vector<std::uint32_t> chain3_;
    std::vector<std::uint32_t> head4_;
    std::vector<std::uint32_t> chain4_;
};

} // namespace szdd
