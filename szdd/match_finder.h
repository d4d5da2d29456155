// SPDX-License-Identifier: GPL-3.0-or-later
// Exact longest-match search for the encoder over the last kMaxDistance bytes,
// plus the blanks the ring holds before the first byte.
//
// Every position with a whole longest match's bytes ahead of it goes into a
// binary search tree of the strings starting there, one tree per hash of the
// first four bytes (as lzma's "bt4"). The new position becomes the root, and
// the walk down that splits the tree around it passes the string's sorted
// neighbours, among which lies the longest match. Nodes are newer than their
// children, so the walk stops at the first one out of reach. A string equal to
// the new one in all kMaxMatch bytes leaves the tree in its favour, so runs
// and repeats keep the trees shallow. A match of only three bytes, wanted
// when nothing longer exists, comes from chains of 3-byte hashes. The last
// few positions of a stream, which cannot hold a whole longest match, are
// searched byte by byte instead.
#pragma once

#include "szdd/zeroed_block.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace szdd {

class MatchFinder {
public:
    // Bytes past the last source byte that must be readable (compared eight at a time).
    static constexpr std::size_t kReadPadding = 8;

    struct Match {
        unsigned length = 0;     // 0 when no match of lzss::kMinMatch bytes or more
        std::int64_t source = 0; // absolute position; negative = initial blanks
    };

    MatchFinder();

    // The longest match for `pos` among earlier positions. Positions must come
    // in order, each once. `available` bytes (plus kReadPadding) can be read
    // at `data`, as can the lzss::kMaxDistance bytes before it.
    Match next(std::uint64_t pos, const std::uint8_t* data, std::uint64_t available);

private:
    static constexpr unsigned kHashBits = 15;
    static constexpr unsigned kHash3Bits = 16;
    static constexpr std::size_t kRoots = std::size_t{1} << kHashBits;
    static constexpr std::size_t kNewest3s = std::size_t{1} << kHash3Bits;
    static unsigned hash4(const std::uint8_t* data);
    static unsigned hash3(const std::uint8_t* data);
    Match searchTree(std::uint64_t pos, const std::uint8_t* data);
    Match searchThree(std::uint64_t pos, const std::uint8_t* data) const;
    void insertThree(std::uint64_t pos, const std::uint8_t* data);
    static Match searchWindow(std::uint64_t pos, const std::uint8_t* data, unsigned maxLength);
    static Match searchBlanks(std::uint64_t pos, const std::uint8_t* data, unsigned maxLength,
                              Match best);

    ZeroedBlock tables_; // holds the four below
    // Hash -> root: the newest position + 1 (0: none).
    std::span<std::uint32_t> root_;
    // Position % window -> its smaller and greater subtrees' roots, position + 1 (0: none).
    std::span<std::uint32_t> children_;
    // Chains of 3-byte hashes: hash -> newest position + 1; position % window
    // -> the previous one + 1 with the same hash (0: none).
    std::span<std::uint32_t> newest3_;
    std::span<std::uint32_t> older3_;
};

} // namespace szdd
