// SPDX-License-Identifier: GPL-3.0-or-later
// A backward pass finds, for every position and both contexts, the cheapest
// way to the end: a run of 1 to 32 literals (which leaves the next item in
// the short-run context unless it takes 32), or a match of any length from 3
// to the longest found there (every prefix of a match is a match).
#include "szdd/lzh_parser.h"

#include <algorithm>

namespace szdd::lzh {

Costs Costs::of(const Lengths& lengths) {
    Costs c;
    auto fill = [](auto& costs, const std::vector<std::uint8_t>& l) {
        for (std::size_t s = 0; s < costs.size(); ++s)
            costs[s] = l[s] == 0 ? kNoCode : l[s];
    };
    fill(c.matchLength[kAfterMatch], lengths[kMatchLength1]);
    fill(c.matchLength[kAfterShortRun], lengths[kMatchLength2]);
    fill(c.runLength, lengths[kRunLength]);
    fill(c.offset, lengths[kOffset]);
    fill(c.literal, lengths[kLiteral]);
    return c;
}

std::uint32_t Costs::run(const std::uint8_t* bytes, unsigned count) const {
    std::uint32_t bits = runLength[count - 1];
    for (unsigned i = 0; i < count; ++i)
        bits += literal[bytes[i]];
    return bits;
}

void Parser::choose(const std::uint8_t* source, const std::uint8_t* length,
                    const std::uint16_t* distance, std::size_t count, const Costs& costs,
                    bool exactEnd, std::array<std::uint32_t, 2> endCost) {
    distance_ = distance;
    for (unsigned c = 0; c < 2; ++c) {
        cost_[c].assign(count + kMaxMatch + 1, 0);
        cost_[c][count] = exactEnd ? endCost[c] : 0;
        choice_[c].resize(count);
    }
    auto& afterMatch = cost_[kAfterMatch];
    auto& afterShortRun = cost_[kAfterShortRun];
    for (std::size_t i = count; i-- > 0;) {
        // The cheapest run from here, whatever the context.
        const auto maxRun = static_cast<unsigned>(std::min<std::size_t>(kMaxRun, count - i));
        std::uint32_t literals = 0;
        std::uint32_t bestRun = ~0u;
        unsigned runLength = 1;
        for (unsigned r = 1; r <= maxRun; ++r) {
            literals += costs.literal[source[i + r - 1]];
            const std::uint32_t after = r == kMaxRun ? afterMatch[i + r] : afterShortRun[i + r];
            const std::uint32_t total = literals + costs.runLength[r - 1] + after;
            if (total < bestRun) {
                bestRun = total;
                runLength = r;
            }
        }
        unsigned longest = std::min<unsigned>(length[i], kMaxMatch);
        if (exactEnd)
            longest = static_cast<unsigned>(std::min<std::size_t>(longest, count - i));
        const std::uint32_t matchBase =
            costs.offset[distance[i] >> kOffsetLowBits] + kOffsetLowBits;
        for (unsigned c = 0; c < 2; ++c) {
            const auto& symbolCost = costs.matchLength[c];
            std::uint32_t best = symbolCost[0] + bestRun;
            std::uint8_t choice = static_cast<std::uint8_t>(runLength - 1);
            for (unsigned n = kMinMatch; n <= longest; ++n) {
                const std::uint32_t total = symbolCost[n - 2] + matchBase + afterMatch[i + n];
                if (total <= best) { // on a tie the longer match
                    best = total;
                    choice = static_cast<std::uint8_t>(kMatchChoice + n);
                }
            }
            cost_[c][i] = best;
            choice_[c][i] = choice;
        }
    }
}

Step Parser::step(std::size_t position, unsigned context) const {
    const std::uint8_t choice = choice_[context][position];
    if (choice >= kMatchChoice)
        return {true, static_cast<unsigned>(choice - kMatchChoice), distance_[position]};
    return {false, choice + 1u, 0};
}

} // namespace szdd::lzh
