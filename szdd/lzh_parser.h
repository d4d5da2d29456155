// SPDX-License-Identifier: GPL-3.0-or-later
// The cheapest parse of a stretch of source into KWAJ method 3 items, for
// given symbol costs. Internal to the codec.
#pragma once

#include "szdd/lzh_tables.h"

#include <array>
#include <cstdint>
#include <vector>

namespace szdd::lzh {

// The match-length code an item starts with: the first one at the start,
// after a match and after a run of 32 literals, the second after a shorter run.
enum Context : unsigned { kAfterMatch = 0, kAfterShortRun = 1 };

// Bits each symbol costs.
struct Costs {
    std::array<std::array<std::uint32_t, 16>, 2> matchLength{}; // by context
    std::array<std::uint32_t, 32> runLength{};
    std::array<std::uint32_t, 64> offset{};
    std::array<std::uint32_t, 256> literal{};

    // From code lengths; a symbol without a code costs kNoCode.
    static Costs of(const Lengths& lengths);
    static constexpr std::uint32_t kNoCode = 64;
    // A run of `count` literals taken from `bytes`, after its match-length symbol.
    std::uint32_t run(const std::uint8_t* bytes, unsigned count) const;
};

struct Step {
    bool match = false;
    unsigned length = 0;   // literals of a run, or bytes of a match
    unsigned distance = 0; // of a match, 1 to 4095
};

class Parser {
public:
    // Chooses items for positions [0, count) of `source`, whose longest
    // matches are `length` (0: none) at `distance`. With `exactEnd`, items end
    // at `count` exactly, where a context costs `endCost`; without, matches
    // may run past `count`, where nothing costs anything.
    void choose(const std::uint8_t* source, const std::uint8_t* length,
                const std::uint16_t* distance, std::size_t count, const Costs& costs, bool exactEnd,
                std::array<std::uint32_t, 2> endCost);
    // The item chosen at `position` in `context`.
    Step step(std::size_t position, unsigned context) const;

private:
    static constexpr std::uint8_t kMatchChoice = 64; // choice = this + match length
    std::array<std::vector<std::uint32_t>, 2> cost_;
    std::array<std::vector<std::uint8_t>, 2> choice_;
    const std::uint16_t* distance_ = nullptr;
};

} // namespace szdd::lzh
