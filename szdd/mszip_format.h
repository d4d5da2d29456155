// SPDX-License-Identifier: GPL-3.0-or-later
// KWAJ method 4's fixed figures, shared by its decoder and encoder. Internal
// to the codec.
//
// The data is a run of blocks, each a 16-bit little-endian length, the bytes
// "CK" and one raw deflate stream of at most kBlockOutput bytes of output;
// the length counts "CK" and the deflate bytes, and 0 ends the data. Each
// block's deflate stream may refer back into the 32 KiB frame the blocks
// before it were expanded into: every block is expanded to the start of the
// frame, over what the one before left there.
#pragma once

#include <cstddef>
#include <cstdint>

namespace szdd::mszip {

inline constexpr std::size_t kBlockOutput = 32768;
inline constexpr std::uint8_t kSignature[2] = {'C', 'K'};
inline constexpr int kRawWindowBits = -15; // zlib: raw deflate, 32 KiB window

} // namespace szdd::mszip
