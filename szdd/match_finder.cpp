// SPDX-License-Identifier: GPL-3.0-or-later
#include "szdd/match_finder.h"

#include "szdd/lzss_format.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace szdd {

namespace {

using lzss::kMaxDistance;
using lzss::kMaxMatch;
using lzss::kMinMatch;

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

} // namespace

MatchFinder::MatchFinder()
    : tables_(ZeroedBlock::roomFor<std::uint32_t>(kRoots) +
              ZeroedBlock::roomFor<std::uint32_t>(2 * lzss::kWindow) +
              ZeroedBlock::roomFor<std::uint32_t>(kNewest3s) +
              ZeroedBlock::roomFor<std::uint32_t>(lzss::kWindow)),
      root_(tables_.take<std::uint32_t>(kRoots)),
      children_(tables_.take<std::uint32_t>(2 * lzss::kWindow)),
      newest3_(tables_.take<std::uint32_t>(kNewest3s)),
      older3_(tables_.take<std::uint32_t>(lzss::kWindow)) {}

unsigned MatchFinder::hash4(const std::uint8_t* data) {
    std::uint32_t key;
    std::memcpy(&key, data, sizeof key);
    return (key * 2654435761u) >> (32 - kHashBits);
}

unsigned MatchFinder::hash3(const std::uint8_t* data) {
    const std::uint32_t key = data[0] | (data[1] << 8) | (data[2] << 16);
    return (key * 2654435761u) >> (32 - kHash3Bits);
}

MatchFinder::Match MatchFinder::next(std::uint64_t pos, const std::uint8_t* data,
                                     std::uint64_t available) {
    const auto maxLength = static_cast<unsigned>(std::min<std::uint64_t>(available, kMaxMatch));
    if (maxLength < kMinMatch)
        return {};
    Match best;
    if (maxLength == kMaxMatch) {
        best = searchTree(pos, data);
        if (best.length <= kMinMatch)
            best = searchThree(pos, data);
        insertThree(pos, data);
    } else {
        best = searchWindow(pos, data, maxLength);
    }
    if (pos < kMaxDistance && data[0] == lzss::kBlank && best.length < maxLength)
        best = searchBlanks(pos, data, maxLength, best);
    return best.length >= kMinMatch ? best : Match{};
}

// Inserts `pos` as the root of its tree, splitting the old tree into the
// strings smaller and greater than its own; the longest match is met on the way.
MatchFinder::Match MatchFinder::searchTree(std::uint64_t pos, const std::uint8_t* data) {
    std::uint32_t& root = root_[hash4(data)];
    std::uint32_t candidate = root;
    root = static_cast<std::uint32_t>(pos + 1);
    std::uint32_t* smaller = &children_[2 * (pos & lzss::kRingMask)];
    std::uint32_t* greater = smaller + 1;
    // Every string still below has at least min(these) bytes in common with ours.
    unsigned smallerLength = 0;
    unsigned greaterLength = 0;
    Match best;
    while (candidate != 0) {
        const std::uint64_t source = candidate - 1;
        const std::uint64_t distance = pos - source;
        if (distance > kMaxDistance)
            break;
        std::uint32_t* node = &children_[2 * (source & lzss::kRingMask)];
        const std::uint8_t* from = data - distance;
        unsigned length = std::min(smallerLength, greaterLength);
        length += commonLength(from + length, data + length, kMaxMatch - length);
        if (length > best.length) {
            best = {length, static_cast<std::int64_t>(source)};
            if (length == kMaxMatch) {
                *smaller = node[0];
                *greater = node[1];
                return best;
            }
        }
        if (from[length] < data[length]) {
            *smaller = candidate;
            smaller = &node[1];
            smallerLength = length;
            candidate = node[1];
        } else {
            *greater = candidate;
            greater = &node[0];
            greaterLength = length;
            candidate = node[0];
        }
    }
    *smaller = 0;
    *greater = 0;
    return best;
}

// Any source of kMinMatch bytes: when the trees hold nothing longer, the
// first one the chain of 3-byte hashes gives is as good as any.
MatchFinder::Match MatchFinder::searchThree(std::uint64_t pos, const std::uint8_t* data) const {
    for (std::uint32_t candidate = newest3_[hash3(data)];
         candidate != 0 && pos + 1 - candidate <= kMaxDistance;
         candidate = older3_[(candidate - 1) & lzss::kRingMask]) {
        const std::uint8_t* from = data - (pos + 1 - candidate);
        if (from[0] == data[0] && from[1] == data[1] && from[2] == data[2])
            return {kMinMatch, static_cast<std::int64_t>(candidate) - 1};
    }
    return {};
}

void MatchFinder::insertThree(std::uint64_t pos, const std::uint8_t* data) {
    std::uint32_t& newest = newest3_[hash3(data)];
    older3_[pos & lzss::kRingMask] = newest;
    newest = static_cast<std::uint32_t>(pos + 1);
}

// Every source in reach, nearest first.
MatchFinder::Match MatchFinder::searchWindow(std::uint64_t pos, const std::uint8_t* data,
                                             unsigned maxLength) {
    Match best;
    const std::uint64_t reach = std::min<std::uint64_t>(pos, kMaxDistance);
    for (std::uint64_t distance = 1; distance <= reach && best.length < maxLength; ++distance) {
        const std::uint8_t* from = data - distance;
        if (from[0] == data[0]) {
            const unsigned length = commonLength(from, data, maxLength);
            if (length > best.length)
                best = {length, static_cast<std::int64_t>(pos - distance)};
        }
    }
    return best;
}

// Near the start the ring still holds blanks never written: a source b bytes
// before the first is b blanks followed by the data from its start. It is in
// reach while pos + b does not exceed kMaxDistance.
MatchFinder::Match MatchFinder::searchBlanks(std::uint64_t pos, const std::uint8_t* data,
                                             unsigned maxLength, Match best) {
    const std::uint8_t* start = data - pos;
    const auto room = static_cast<unsigned>(kMaxDistance - pos);
    unsigned run = 0;
    while (run < std::min(maxLength, room) && data[run] == lzss::kBlank)
        ++run;
    for (unsigned b = 1; b <= run; ++b) {
        const unsigned length = b + commonLength(start, data + b, maxLength - b);
        if (length > best.length)
            best = {length, -static_cast<std::int64_t>(b)};
    }
    return best;
}

} // namespace szdd
