// SPDX-License-Identifier: GPL-3.0-or-later
// Canonical Huffman codes of KWAJ method 3: lengths from counts, codes from
// lengths, and the table that decodes them. Internal to the codec.
#pragma once

#include "szdd/lzh_format.h"

#include <span>
#include <vector>

namespace szdd::lzh {

// Lengths of a complete prefix code for `counts` (0: symbol unused), none
// longer than `maxLength`. At least two counts must be non-zero.
std::vector<std::uint8_t> codeLengths(std::span<const std::uint32_t> counts, unsigned maxLength);

// The canonical codes for `lengths`: shorter codes first, then by symbol.
std::vector<std::uint16_t> canonicalCodes(std::span<const std::uint8_t> lengths);

// Decodes symbols from the next 16 bits of the stream, most significant first.
class CodeTable {
public:
    // False when lengths 1 to kMaxCodeLength do not make a complete code
    // (over- or under-subscribed); other lengths leave their symbol out.
    bool build(std::span<const std::uint8_t> lengths);

    struct Symbol {
        unsigned value;
        unsigned length;
    };
    Symbol decode(unsigned next16) const {
        const std::uint16_t entry = fast_[next16 >> (16 - kFastBits)];
        if (entry != 0)
            return {static_cast<unsigned>(entry >> 5), entry & 31u};
        return decodeLong(next16);
    }

private:
    static constexpr unsigned kFastBits = 10;
    Symbol decodeLong(unsigned next16) const;

    // Codes up to kFastBits long: symbol << 5 | length; 0 for longer ones.
    std::array<std::uint16_t, 1u << kFastBits> fast_{};
    // Longer codes: per length, the first code and where its symbols start.
    std::array<std::uint32_t, kMaxCodeLength + 1> first_{};
    std::array<std::uint32_t, kMaxCodeLength + 1> count_{};
    std::array<std::uint32_t, kMaxCodeLength + 1> start_{};
    std::vector<std::uint16_t> sorted_;
};

} // namespace szdd::lzh
