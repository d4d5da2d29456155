// SPDX-License-Identifier: GPL-3.0-or-later
// KWAJ method 3's fixed figures, shared by its decoder and encoder. Internal
// to the codec.
//
// The stream is read most significant bit first: six 4-bit table types (the
// sixth unused), the code lengths of five canonical Huffman codes, then
// items. An item starts with a symbol of the match-length code (the second
// one right after a literal run of fewer than 32): symbol 0 is a literal run
// (a literal-run-length symbol r, then r + 1 literal symbols), any other s
// a match of s + 2 bytes whose distance is an offset symbol (high 6 bits)
// and 6 plain bits; distance 0 means 4096. The ring of 4096 bytes starts
// full of blanks. Nothing marks the end: see lzh_decoder.cpp.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace szdd::lzh {

enum Table { kMatchLength1, kMatchLength2, kRunLength, kOffset, kLiteral, kTables };
inline constexpr std::array<unsigned, kTables> kSymbols = {16, 16, 32, 64, 256};
// Type 0: every symbol of the table has this length.
inline constexpr std::array<std::uint8_t, kTables> kFixedLength = {4, 4, 5, 6, 8};
inline constexpr unsigned kTypeFields = 6;
inline constexpr unsigned kTypeBits = 4;

// A code length as read can be anything from 0 to 255; lengths 1 to
// kMaxCodeLength form the code, the others leave their symbol out. Written
// lengths fit the 4-bit fields.
inline constexpr unsigned kMaxCodeLength = 16;
inline constexpr unsigned kMaxWrittenLength = 15;

inline constexpr std::size_t kWindow = 4096;
inline constexpr std::uint8_t kBlank = 0x20;
inline constexpr unsigned kMinMatch = 3;
inline constexpr unsigned kMaxMatch = 17;
inline constexpr unsigned kMaxRun = 32;
inline constexpr unsigned kOffsetLowBits = 6;

// A reader makes sure of this many bits before every Huffman symbol, and
// stops at the next item once that reached past the end of the data.
inline constexpr unsigned kLookaheadBits = 16;
// The longest item: a match-length and a run-length symbol, 32 literals.
inline constexpr unsigned kMaxItemBits = 2 * kMaxCodeLength + kMaxRun * kMaxCodeLength;

} // namespace szdd::lzh
