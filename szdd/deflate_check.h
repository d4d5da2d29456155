// SPDX-License-Identifier: GPL-3.0-or-later
// Tells, from the block headers of a raw deflate stream alone, whether every
// inflater decodes it alike. Internal to the codec.
//
// libdeflate takes some data that zlib and libmspack refuse: length symbols
// 286 and 287 (as 258), distance symbols 30 and 31, and incomplete codes of
// one symbol, even for the code-length code. Whether such a symbol is used
// shows only while decoding, so a stream is let through on its headers: any
// stored blocks, then a last block that is stored, or dynamic with complete
// codes that give no length to the symbols above. Where libdeflate then
// succeeds, libmspack decodes the same bytes from the same bits.
#pragma once

#include <cstdint>
#include <span>

namespace szdd::deflate {

// True when `stream` is such a run of blocks, its last header within it.
bool decodesAlike(std::span<const std::uint8_t> stream);

// True when `stream` starts with one stored block that is the last and holds
// at most 32 KiB, all within `stream`; `data` is then its data.
bool onlyStored(std::span<const std::uint8_t> stream, std::span<const std::uint8_t>& data);

} // namespace szdd::deflate
