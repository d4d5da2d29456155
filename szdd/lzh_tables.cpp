// SPDX-License-Identifier: GPL-3.0-or-later
#include "szdd/lzh_tables.h"

#include <algorithm>

namespace szdd::lzh {

namespace {

constexpr unsigned kLengthBits = 4;

// Bits a list takes in each type; ~0u where the type cannot store it.
std::array<unsigned, 4> listCosts(unsigned table, const std::vector<std::uint8_t>& l) {
    std::array<unsigned, 4> cost = {~0u, kLengthBits, kLengthBits, 0};
    if (std::all_of(l.begin(), l.end(), [&](std::uint8_t v) { return v == kFixedLength[table]; }))
        cost[0] = 0;
    for (std::size_t i = 1; i < l.size(); ++i) {
        const int step = l[i] - l[i - 1];
        cost[1] += step == 0 ? 1 : step == 1 ? 2 : 2 + kLengthBits;
        cost[2] += (step >= -1 && step <= 1) ? 2 : 2 + kLengthBits;
    }
    cost[3] = kLengthBits * static_cast<unsigned>(l.size());
    return cost;
}

void writeList(unsigned type, const std::vector<std::uint8_t>& l, BitWriter& out) {
    if (type == 0)
        return;
    out.put(l[0], kLengthBits);
    for (std::size_t i = 1; i < l.size(); ++i) {
        const int step = l[i] - (type == 3 ? 0 : l[i - 1]);
        if (type == 3) {
            out.put(l[i], kLengthBits);
        } else if (type == 1) {
            if (step == 0) {
                out.put(0, 1);
            } else if (step == 1) {
                out.put(2, 2);
            } else {
                out.put(3, 2);
                out.put(l[i], kLengthBits);
            }
        } else if (step >= -1 && step <= 1) {
            out.put(static_cast<unsigned>(step + 1), 2);
        } else {
            out.put(3, 2);
            out.put(l[i], kLengthBits);
        }
    }
}

} // namespace

ListResult readLengthList(LengthSource& in, unsigned type, unsigned table,
                          std::vector<std::uint8_t>& lengths) {
    const unsigned symbols = kSymbols[table];
    lengths.assign(symbols, kFixedLength[table]);
    if (type == 0)
        return ListResult::ok;
    if (type > 3)
        return ListResult::badType;
    unsigned c = 0;
    if (!in.bits(kLengthBits, c))
        return ListResult::cut;
    lengths[0] = static_cast<std::uint8_t>(c);
    for (unsigned i = 1; i < symbols; ++i) {
        unsigned sel = 0;
        if (type == 3) {
            if (!in.bits(kLengthBits, c))
                return ListResult::cut;
        } else if (type == 1) {
            if (!in.bits(1, sel))
                return ListResult::cut;
            if (sel == 1) {
                if (!in.bits(1, sel))
                    return ListResult::cut;
                if (sel == 0)
                    ++c;
                else if (!in.bits(kLengthBits, c))
                    return ListResult::cut;
            }
        } else {
            if (!in.bits(2, sel))
                return ListResult::cut;
            if (sel == 3) {
                if (!in.bits(kLengthBits, c))
                    return ListResult::cut;
            } else {
                c = c + sel - 1;
            }
        }
        lengths[i] = static_cast<std::uint8_t>(c);
    }
    return ListResult::ok;
}

void writeLengthLists(const Lengths& lengths, BitWriter& out) {
    std::array<unsigned, kTables> types{};
    for (unsigned t = 0; t < kTables; ++t) {
        const auto cost = listCosts(t, lengths[t]);
        types[t] = static_cast<unsigned>(std::min_element(cost.begin(), cost.end()) - cost.begin());
    }
    for (unsigned t = 0; t < kTypeFields; ++t)
        out.put(t < kTables ? types[t] : 0, kTypeBits);
    for (unsigned t = 0; t < kTables; ++t)
        writeList(types[t], lengths[t], out);
}

} // namespace szdd::lzh
