// SPDX-License-Identifier: GPL-3.0-or-later
// Packs codes most significant bit first into bytes, for KWAJ method 3.
// Internal to the codec.
#pragma once

#include <cstdint>
#include <vector>

namespace szdd::lzh {

class BitWriter {
public:
    // Appends the low `count` bits of `value` (count up to 32).
    void put(std::uint32_t value, unsigned count) {
        acc_ = (acc_ << count) | (value & ((std::uint64_t{1} << count) - 1));
        bits_ += count;
        while (bits_ >= 8) {
            bits_ -= 8;
            bytes_.push_back(static_cast<std::uint8_t>(acc_ >> bits_));
        }
    }
    // Bits written and not yet a whole byte.
    unsigned partialBits() const { return bits_; }
    std::vector<std::uint8_t>& bytes() { return bytes_; }

private:
    std::uint64_t acc_ = 0;
    unsigned bits_ = 0;
    std::vector<std::uint8_t> bytes_; // whole bytes not yet handed on
};

} // namespace szdd::lzh
