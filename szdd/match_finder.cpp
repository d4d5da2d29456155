// SPDX-License-Identifier: GPL-3.0-or-later
#include "szdd/match_finder.h"

namespace szdd {

namespace {

constexpr std::uint8_t kBlank = 0x20;

unsigned commonLength(const std::uint8_t* a, const std::uint8_t* b, unsigned maxLength) {
    unsigned n = 0;
    while (n < maxLength && a[n] == b[n]) {
        ++n;
    }
    return n;
}

unsigned blankRun(const std::uint8_t* data, unsigned maxLength) {
    unsigned n = 0;
    while (n < maxLength && data[n] == kBlank) {
        ++n;
    }
    return n;
}

} // namespace

MatchFinder::MatchFinder() : head_(std::size_t{1} << kHashBits, 0), chain_(4096, 0) {}

unsigned MatchFinder::hash(const std::uint8_t* data) {
    const std::uint32_t key = data[0] | (data[1] << 8) | (data[2] << 16);
    return (key * 2654435761u) >> (32 - kHashBits);
}

void MatchFinder::insert(std::uint64_t pos, const std::uint8_t* data) {
    std::uint32_t& slot = head_[hash(data)];
    chain_[pos & 4095] = slot;
    slot = static_cast<std::uint32_t>(pos + 1);
}

MatchFinder::Match MatchFinder::find(std::uint64_t pos, const std::uint8_t* data,
                                     unsigned maxLength) const {
    Match best;
    if (maxLength < kMinMatch) {
        return best;
    }
    const std::uint64_t oldest = pos > kMaxDistance ? pos - kMaxDistance : 0;
    unsigned bestLength = kMinMatch - 1;
    std::uint32_t candidate = head_[hash(data)];
    for (unsigned steps = 0; candidate != 0 && steps < kChainLimit; ++steps) {
        const std::uint64_t source = candidate - 1;
        if (source < oldest) {
            break;
        }
        const std::uint8_t* from = data - (pos - source);
        if (from[bestLength] == data[bestLength]) {
            const unsigned length = commonLength(from, data, maxLength);
            if (length > bestLength) {
                bestLength = length;
                best = {length, static_cast<std::int64_t>(source)};
                if (length == maxLength) {
                    return best;
                }
            }
        }
        candidate = chain_[source & 4095];
    }
    // Near the start the ring still holds blanks never written: a source b
    // bytes before the first is b blanks followed by the data from its start.
    if (pos < kMaxDistance && data[0] == kBlank) {
        const std::uint8_t* start = data - pos;
        const auto room = static_cast<unsigned>(kMaxDistance - pos);
        const unsigned run = blankRun(data, maxLength < room ? maxLength : room);
        for (unsigned b = 1; b <= run; ++b) {
            const unsigned length = b + commonLength(start, data + b, maxLength - b);
            if (length > bestLength) {
                bestLength = length;
                best = {length, -static_cast<std::int64_t>(b)};
            }
        }
    }
    return best;
}

} // namespace szdd
