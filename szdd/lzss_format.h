// SPDX-License-Identifier: GPL-3.0-or-later
// The LZSS stream's fixed figures, shared by the decoder, the encoder and the
// match finder. Internal to the codec.
#pragma once

#include "szdd/szdd.h"

#include <cstddef>
#include <cstdint>

namespace szdd::lzss {

// The ring of earlier output a match copies from.
inline constexpr std::size_t kWindow = 4096;
inline constexpr unsigned kRingMask = kWindow - 1;
// Ring slot of the first output byte; every slot holds a blank before it is written.
inline constexpr unsigned kFirstRingPos = 0xFF0;
inline constexpr unsigned kFirstRingPosSz = 0xFEE;
inline constexpr std::uint8_t kBlank = 0x20;

// A match is two bytes: 12 bits of ring slot, 4 bits of length - kMinMatch.
inline constexpr unsigned kMinMatch = 3;
inline constexpr unsigned kMaxMatch = 18;
// Farthest source the encoder uses. The ring also holds the byte 4096 back,
// but not every decoder reads that slot before overwriting it.
inline constexpr std::size_t kMaxDistance = kWindow - 1;

// A control byte, then up to eight items, one bit each (1: literal).
inline constexpr unsigned kItemsPerGroup = 8;
inline constexpr std::size_t kMaxGroupBytes = 1 + kItemsPerGroup * 2;
// Cost of each item in bits, its control bit included.
inline constexpr std::uint32_t kLiteralBits = 1 + 8;
inline constexpr std::uint32_t kMatchBits = 1 + 16;

inline constexpr unsigned firstRingPos(Lzss variant) {
    return variant == Lzss::sz ? kFirstRingPosSz : kFirstRingPos;
}

// Ring slot of output position `pos`; negative positions are the blanks
// before the first byte.
inline constexpr unsigned ringSlot(std::int64_t pos, unsigned first = kFirstRingPos) {
    return static_cast<unsigned>((first + static_cast<std::uint64_t>(pos)) & kRingMask);
}

} // namespace szdd::lzss
