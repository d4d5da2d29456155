// SPDX-License-Identifier: GPL-3.0-or-later
// Longest-match search for the encoder: hash chains over the last 4095 bytes,
// plus the blanks the ring holds before the first byte.
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

    struct Match {
        unsigned length = 0;     // 0 when no match of kMinMatch bytes or more
        std::int64_t source = 0; // absolute position; negative = initial blanks
    };

    MatchFinder();

    // Records position `pos`, whose bytes start at `data`; needs 3 bytes there.
    void insert(std::uint64_t pos, const std::uint8_t* data);
    // The longest match for `pos` (not yet inserted) among earlier positions,
    // limited to `maxLength` bytes, which must all be readable at `data`.
    // Bytes up to kMaxDistance before `data` must be readable too.
    Match find(std::uint64_t pos, const std::uint8_t* data, unsigned maxLength) const;

private:
    static constexpr unsigned kHashBits = 15;
    static constexpr unsigned kChainLimit = 192;
    static unsigned hash(const std::uint8_t* data);

    std::vector<std::uint32_t> head_;  // hash -> position + 1 (0: none)
    std::vector<std::uint32_t> chain_; // position % 4096 -> previous position + 1
};

} // namespace szdd
