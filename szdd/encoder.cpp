// SPDX-License-Identifier: GPL-3.0-or-later
// The LZSS compressor: optimal parse per block.
//
// Source bytes gather in a linear buffer that keeps 4096 bytes of history.
// For every position the match finder gives the longest match; a backwards
// pass over all positions found so far then picks the cheapest parse (a
// literal costs 9 bits, a match 17, and every prefix of 3 bytes or more of a
// match is a match too). Only the parse up to kHorizon bytes before the last
// position found is written: by then the cheapest paths from any later end
// have merged, so cutting the source into blocks costs nothing in practice.
// The matches found past the written part are kept for the next block.
#include "szdd/group_writer.h"
#include "szdd/lzss_format.h"
#include "szdd/match_finder.h"
#include "szdd/szdd.h"
#include "szdd/zeroed_block.h"

#include <algorithm>
#include <cstring>

namespace szdd {

namespace {

using lzss::kLiteralBits;
using lzss::kMatchBits;
using lzss::kMaxMatch;
using lzss::kMinMatch;

constexpr std::size_t kHistory = lzss::kWindow;
constexpr std::size_t kBlock = std::size_t{1} << 16;
constexpr std::size_t kHorizon = 2048;
constexpr std::size_t kLookahead = kMaxMatch - 1;
constexpr std::size_t kCapacity = kHistory + kBlock + kHorizon + kLookahead;

} // namespace

struct Encoder::State {
    State(Sink sink, Lzss variant)
        : storage(ZeroedBlock::roomFor<std::uint8_t>(kCapacity + MatchFinder::kReadPadding) +
                  ZeroedBlock::roomFor<std::uint8_t>(kCapacity) +
                  ZeroedBlock::roomFor<std::uint16_t>(kCapacity) +
                  ZeroedBlock::roomFor<std::uint32_t>(kCapacity + kMaxMatch)),
          buffer(storage.take<std::uint8_t>(kCapacity + MatchFinder::kReadPadding)),
          writer(std::move(sink)), length(storage.take<std::uint8_t>(kCapacity)),
          ring(storage.take<std::uint16_t>(kCapacity)),
          cost(storage.take<std::uint32_t>(kCapacity + kMaxMatch)),
          firstSlot(lzss::firstRingPos(variant)) {}

    ZeroedBlock storage;            // holds buffer, length, ring and cost
    std::span<std::uint8_t> buffer; // source bytes from position `base`
    std::uint64_t base = 0;
    std::size_t fill = 0;
    std::uint64_t consumed = 0;
    std::uint64_t parsed = 0; // the items written cover the source up to here
    std::uint64_t found = 0;  // positions below this have their match found
    MatchFinder finder;
    GroupWriter writer;
    // Per position from `parsed` on.
    std::span<std::uint8_t> length; // longest match
    std::span<std::uint16_t> ring;  // its ring position
    std::span<std::uint32_t> cost;  // bits from here to the last position found
    unsigned firstSlot;             // ring slot of the first byte
    Status status = Status::ok;

    const std::uint8_t* at(std::uint64_t pos) const { return buffer.data() + (pos - base); }
    void encodeBlock(bool last);
    void findMatches(std::uint64_t end, std::uint64_t dataEnd);
    void chooseParse(std::size_t count);
    unsigned choiceAt(std::size_t i) const;
    std::uint64_t emit(std::size_t count);
    void keepUnwritten(std::uint64_t newParsed);
    void slide();
};

void Encoder::State::findMatches(std::uint64_t end, std::uint64_t dataEnd) {
    for (std::uint64_t pos = found; pos < end; ++pos) {
        const MatchFinder::Match match = finder.next(pos, at(pos), dataEnd - pos);
        const std::size_t i = pos - parsed;
        length[i] = static_cast<std::uint8_t>(match.length);
        ring[i] = static_cast<std::uint16_t>(lzss::ringSlot(match.source, firstSlot));
    }
    found = end;
}

// The cheapest cost from every position to the last one found. A match costs
// the same whatever its length, so only the cheapest of the positions it can
// reach counts: a fixed-length minimum the compiler turns into vector code.
void Encoder::State::chooseParse(std::size_t count) {
    constexpr std::uint32_t kUnreachable = std::uint32_t{1} << 30;
    // Past the last position found nothing is left to pay; only the entries a
    // match from below can reach are read.
    std::fill(cost.begin() + count, cost.begin() + std::min(count + kMaxMatch + 1, cost.size()), 0);
    for (std::size_t i = count; i-- > 0;) {
        const std::uint32_t* after = cost.data() + i;
        const unsigned longest = length[i];
        std::uint32_t cheapest = kUnreachable;
        for (unsigned n = kMinMatch; n <= kMaxMatch; ++n)
            cheapest = std::min(cheapest, n <= longest ? after[n] : kUnreachable);
        cost[i] = std::min(after[1] + kLiteralBits, cheapest + kMatchBits);
    }
}

// The step chosen at `i`: on equal cost the longest match wins, which leaves
// any slack of a long run at its end, past the part written, rather than at
// its start. 1 is a literal.
unsigned Encoder::State::choiceAt(std::size_t i) const {
    for (unsigned n = length[i]; n >= kMinMatch; --n)
        if (cost[i + n] + kMatchBits == cost[i])
            return n;
    return 1;
}

// Writes the chosen items covering at least `count` positions; returns where they end.
std::uint64_t Encoder::State::emit(std::size_t count) {
    std::size_t i = 0;
    while (i < count) {
        const unsigned step = choiceAt(i);
        if (step == 1)
            writer.literal(*at(parsed + i));
        else
            writer.match(ring[i], step);
        i += step;
    }
    return parsed + i;
}

// Moves the matches found past the written items to the front.
void Encoder::State::keepUnwritten(std::uint64_t newParsed) {
    const auto from = static_cast<std::ptrdiff_t>(newParsed - parsed);
    const auto to = static_cast<std::ptrdiff_t>(found - parsed);
    if (from < to) {
        std::copy(length.begin() + from, length.begin() + to, length.begin());
        std::copy(ring.begin() + from, ring.begin() + to, ring.begin());
    }
    parsed = newParsed;
}

void Encoder::State::encodeBlock(bool last) {
    const std::uint64_t dataEnd = base + fill;
    // Without the last bytes a match found could still grow.
    const std::uint64_t findEnd = last ? dataEnd : dataEnd - kLookahead;
    findMatches(findEnd, dataEnd);
    if (found <= parsed)
        return;
    const std::uint64_t writeEnd = last ? found : found - kHorizon;
    if (writeEnd > parsed) {
        chooseParse(static_cast<std::size_t>(found - parsed));
        keepUnwritten(emit(static_cast<std::size_t>(writeEnd - parsed)));
    }
    if (!writer.flush(last))
        status = Status::sinkFailed;
}

// Drops bytes neither a later match nor a literal still to be written can need.
void Encoder::State::slide() {
    const std::uint64_t reach = found > kHistory ? found - kHistory : 0;
    const std::uint64_t keepFrom = std::min(parsed, reach);
    if (keepFrom <= base)
        return;
    const auto drop = static_cast<std::size_t>(keepFrom - base);
    std::memmove(buffer.data(), buffer.data() + drop, fill - drop);
    fill -= drop;
    base = keepFrom;
}

Encoder::Encoder(Sink sink, Lzss variant)
    : state_(std::make_unique<State>(std::move(sink), variant)) {}

Encoder::~Encoder() = default;

Status Encoder::feed(std::span<const std::uint8_t> chunk) {
    State& s = *state_;
    if (s.status != Status::ok)
        return s.status;
    if (chunk.size() > kMaxLength - s.consumed)
        return Status::tooLarge;
    while (!chunk.empty()) {
        const std::size_t take = std::min(chunk.size(), kCapacity - s.fill);
        std::memcpy(s.buffer.data() + s.fill, chunk.data(), take);
        s.fill += take;
        s.consumed += take;
        chunk = chunk.subspan(take);
        if (s.fill == kCapacity) {
            s.encodeBlock(false);
            s.slide();
            if (s.status != Status::ok)
                return s.status;
        }
    }
    return Status::ok;
}

Status Encoder::finish() {
    State& s = *state_;
    if (s.status != Status::ok)
        return s.status;
    s.encodeBlock(true);
    if (s.status == Status::ok && !s.writer.flush(true))
        s.status = Status::sinkFailed;
    return s.status;
}

std::uint64_t Encoder::consumed() const {
    return state_->consumed;
}

} // namespace szdd
