// SPDX-License-Identifier: GPL-3.0-or-later
// The five code-length lists at the start of a KWAJ method 3 stream.
// Internal to the codec.
//
// Each list is stored in one of four ways, given by its 4-bit type: 0 all
// lengths fixed by the table's size (nothing stored); 1 the first length in
// 4 bits, then per symbol "0" same as before, "10" one more, "11" and 4 bits;
// 2 the first length in 4 bits, then per symbol 2 bits s: 3 and 4 bits, or
// the length before plus s - 1; 3 every length in 4 bits. Lengths follow the
// arithmetic of a byte: 15 plus one is 16, 0 minus one 255.
#pragma once

#include "szdd/bit_writer.h"
#include "szdd/lzh_format.h"

#include <span>
#include <vector>

namespace szdd::lzh {

using Lengths = std::array<std::vector<std::uint8_t>, kTables>;

// Reads bits as the stream gives them; returns false once a read reaches past the end.
class LengthSource {
public:
    virtual ~LengthSource() = default;
    virtual bool bits(unsigned count, unsigned& value) = 0;
};

enum class ListResult { ok, cut, badType };
// Reads the list of table `table` (an lzh::Table) stored with `type`.
ListResult readLengthList(LengthSource& in, unsigned type, unsigned table,
                          std::vector<std::uint8_t>& lengths);

// Writes the six types and the five lists, each in its cheapest way.
// Lengths must be 0 to kMaxWrittenLength.
void writeLengthLists(const Lengths& lengths, BitWriter& out);

} // namespace szdd::lzh
