// SPDX-License-Identifier: GPL-3.0-or-later
#include "szdd/match_finder.h"

#include <bit>
#include <cstring>

namespace szdd {

namespace {

constexpr std::uint8_t kBlank = 0x20;

std::uint64_t load64(const std::uint8_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Equal leading bytes, at most `maxLength`; reads up to 7 bytes past that.
unsigned commonLength(const std::uint8_t* a, const std::uint8_t* b, unsigned maxLength) {
    unsigned n = 0;
    while (n < maxLength) {
        const std::uint64_t diff = load64(a + n) ^ load64(b + n);
        if (diff != 0) {
            n += static_cast<unsigned>(std::countr_zero(diff)) / 8;
            break;
        }
        n += 8;
    }
    return n < maxLength ? n : maxLength;
}

unsigned blankRun(const std::uint8_t* data, unsigned maxLength) {
    unsigned n = 0;
    while (n < maxLength && data[n] == kBlank) {
        ++n;
    }
    return n;
}

} // namespace

MatchFinder::MatchFinder()
    : head3_(std::size_t{1} << kHash3Bits, 0), chain3_(4096, 0),
      head4_(std::size_t{1} << kHashBits, 0), chain4_(4096, 0) {}

unsigned MatchFinder::hash4(const std::uint8_t* data) {
    std::uint32_t key;
    std::memcpy(&key, data, sizeof key);
    return (key * 2654435761u) >> (32 - kHashBits);
}

unsigned MatchFinder::hash3(const std::uint8_t* data) {
    const std::uint32_t key = data[0] | (data[1] << 8) | (data[2] << 16);
    return (key * 2654435761u) >> (32 - kHash3Bits);
}

void MatchFinder::insert(std::uint64_t pos, const std::uint8_t* data, std::uint64_t available) {
    const auto entry = static_cast<std::uint32_t>(pos + 1);
    std::uint32_t& slot3 = head3_[hash3(data)];
    chain3_[pos & 4095] = slot3;
    slot3 = entry;
    if (available >= 4) {
        std::uint32_t& slot4 = head4_[hash4(data)];
        chain4_[pos & 4095] = slot4;
        slot4 = entry;
    }
}

MatchFinder::Match MatchFinder::find(std::uint64_t pos, const std::uint8_t* data,
                                     unsigned maxLength, Match known) const {
    if (maxLength < kMinMatch) {
        return {};
    }
    Match best = known.length >= kMinMatch ? known : Match{};
    if (best.length >= maxLength) {
        return best;
    }
    if (maxLength > kMinMatch) {
        best = findLonger(pos, data, maxLength, best);
    }
    if (best.length < kMinMatch) {
        best = findThree(pos, data, maxLength);
    }
    if (pos < kMaxDistance && data[0] == kBlank) {
        best = findInBlanks(pos, data, maxLength, best);
    }
    return best;
}

// Matches longer than 3 bytes, along the 4-byte chain.
MatchFinder::Match MatchFinder::findLonger(std::uint64_t pos, const std::uint8_t* data,
                                           unsigned maxLength, Match best) const {
    const std::uint64_t oldest = pos > kMaxDistance ? pos - kMaxDistance : 0;
    unsigned bestLength = best.length >= kMinMatch ? best.length : kMinMatch;
    std::uint32_t candidate = head4_[hash4(data)];
    for (unsigned steps = 0; candidate != 0 && steps < kChainLimit; ++steps) {
        const std::uint64_t source = candidate - 1;
        if (source < oldest) {
            break;
        }
        const std::uint8_t* from = data - (pos - source);
        // A longer match must agree at the current best length first.
        if (from[bestLength] == data[bestLength]) {
            const unsigned length = commonLength(from, data, maxLength);
            if (length > bestLength) {
                bestLength = length;
                best = {length, static_cast<std::int64_t>(source)};
                if (length == maxLength) {
                    break;
                }
            }
        }
        candidate = chain4_[source & 4095];
    }
    return best;
}

// Any match of 3 bytes (when no longer one exists, the first found is as good as any).
MatchFinder::Match MatchFinder::findThree(std::uint64_t pos, const std::uint8_t* data,
                                          unsigned maxLength) const {
    const std::uint64_t oldest = pos > kMaxDistance ? pos - kMaxDistance : 0;
    std::uint32_t candidate = head3_[hash3(data)];
    for (unsigned steps = 0; candidate != 0 && steps < kChainLimit; ++steps) {
        const std::uint64_t source = candidate - 1;
        if (source < oldest) {
            break;
        }
        const std::uint8_t* from = data - (pos - source);
        const unsigned length = commonLength(from, data, maxLength);
        if (length >= kMinMatch) {
            return {length, static_cast<std::int64_t>(source)};
        }
        candidate = chain3_[source & 4095];
    }
    return {};
}

// Near the start the ring still holds blanks never written: a source b bytes
// before the first is b blanks followed by the data from its start. It is in
// reach while pos + b does not exceed kMaxDistance.
MatchFinder::Match MatchFinder::findInBlanks(std::uint64_t pos, const std::uint8_t* data,
                                             unsigned maxLength, Match best) const {
    const std::uint8_t* start = data - pos;
    const auto room = static_cast<unsigned>(kMaxDistance - pos);
    const unsigned run = blankRun(data, maxLength < room ? maxLength : room);
    for (unsigned b = 1; b <= run; ++b) {
        const unsigned length = b + commonLength(start, data + b, maxLength - b);
        if (length > best.length && length >= kMinMatch) {
            best = {length, -static_cast<std::int64_t>(b)};
        }
    }
    return best;
}

} // namespace szdd
