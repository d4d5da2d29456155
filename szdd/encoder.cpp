// SPDX-License-Identifier: GPL-3.0-or-later
// The LZSS compressor: optimal parse per block.
//
// Source bytes gather in a linear buffer that keeps 4096 bytes of history
// before the block being encoded and 17 bytes of look-ahead after it. For
// every position of a block the match finder gives the longest match; a
// backwards pass then picks the cheapest parse (a literal costs 9 bits, a
// match 17, and every prefix of 3 bytes or more of a match is a match too),
// which is optimal for the block. A parse may end up to 17 bytes past the
// block; the next block starts where it ended.
#include "szdd/group_writer.h"
#include "szdd/match_finder.h"
#include "szdd/szdd.h"

#include <algorithm>
#include <cstring>

namespace szdd {

namespace {

constexpr std::size_t kHistory = 4096;
constexpr std::size_t kBlock = std::size_t{1} << 16;
constexpr std::size_t kLookahead = MatchFinder::kMaxMatch - 1;
constexpr std::size_t kCapacity = kHistory + kBlock + kLookahead;
constexpr std::uint32_t kLiteralBits = 9;
constexpr std::uint32_t kMatchBits = 17;
constexpr unsigned kFirstRingPos = 0xFF0;

} // namespace

struct Encoder::State {
    explicit State(Sink sink)
        : buffer(kCapacity + MatchFinder::kReadPadding), writer(std::move(sink)), length(kCapacity),
          ring(kCapacity), cost(kCapacity + MatchFinder::kMaxMatch), choice(kCapacity) {}

    std::vector<std::uint8_t> buffer; // source bytes from position `base`
    std::uint64_t base = 0;
    std::size_t fill = 0;
    std::uint64_t consumed = 0;
    std::uint64_t parsed = 0;   // the next block starts here
    std::uint64_t inserted = 0; // positions below this are in the match finder
    MatchFinder finder;
    GroupWriter writer;
    // Per position of the block being encoded.
    std::vector<std::uint8_t> length; // longest match
    std::vector<std::uint16_t> ring;  // its ring position
    std::vector<std::uint32_t> cost;  // bits from here to the block's end
    std::vector<std::uint8_t> choice; // 1: literal, else match length
    Status status = Status::ok;

    const std::uint8_t* at(std::uint64_t pos) const { return buffer.data() + (pos - base); }
    void encodeBlock(bool last);
    void findMatches(std::uint64_t blockEnd, std::uint64_t dataEnd);
    void chooseParse(std::size_t count);
    std::uint64_t emit(std::size_t count);
    void slide();
};

void Encoder::State::findMatches(std::uint64_t blockEnd, std::uint64_t dataEnd) {
    MatchFinder::Match previous;
    for (std::uint64_t pos = inserted; pos < blockEnd; ++pos) {
        const std::uint8_t* data = at(pos);
        if (pos >= parsed) {
            const auto left = static_cast<unsigned>(std::min<std::uint64_t>(dataEnd - pos, 18));
            // The previous match, one byte on, still holds here.
            const MatchFinder::Match known{previous.length - 1, previous.source + 1};
            previous =
                finder.find(pos, data, left, previous.length > 0 ? known : MatchFinder::Match{});
            const std::size_t i = pos - parsed;
            length[i] = static_cast<std::uint8_t>(previous.length);
            ring[i] = static_cast<std::uint16_t>(
                (kFirstRingPos + static_cast<std::uint64_t>(previous.source)) & 0xFFFu);
        }
        if (pos + MatchFinder::kMinMatch <= dataEnd) {
            finder.insert(pos, data, dataEnd - pos);
        }
    }
    inserted = blockEnd;
}

void Encoder::State::chooseParse(std::size_t count) {
    std::fill(cost.begin() + static_cast<std::ptrdiff_t>(count), cost.end(), 0);
    for (std::size_t i = count; i-- > 0;) {
        std::uint32_t best = cost[i + 1] + kLiteralBits;
        std::uint8_t pick = 1;
        for (unsigned n = MatchFinder::kMinMatch; n <= length[i]; ++n) {
            const std::uint32_t c = cost[i + n] + kMatchBits;
            if (c < best) {
                best = c;
                pick = static_cast<std::uint8_t>(n);
            }
        }
        cost[i] = best;
        choice[i] = pick;
    }
}

// Writes the chosen items; returns where the parse ended.
std::uint64_t Encoder::State::emit(std::size_t count) {
    std::size_t i = 0;
    while (i < count) {
        if (choice[i] == 1) {
            writer.literal(*at(parsed + i));
            ++i;
        } else {
            writer.match(ring[i], choice[i]);
            i += choice[i];
        }
    }
    return parsed + i;
}

void Encoder::State::encodeBlock(bool last) {
    const std::uint64_t dataEnd = base + fill;
    const std::uint64_t blockEnd = last ? dataEnd : dataEnd - kLookahead;
    if (blockEnd <= parsed) {
        return;
    }
    findMatches(blockEnd, dataEnd);
    const auto count = static_cast<std::size_t>(blockEnd - parsed);
    chooseParse(count);
    parsed = emit(count);
    if (!writer.flush(last)) {
        status = Status::sinkFailed;
    }
}

// Drops bytes no later match can reach.
void Encoder::State::slide() {
    const std::uint64_t keepFrom = inserted > kHistory ? inserted - kHistory : 0;
    if (keepFrom <= base) {
        return;
    }
    const auto drop = static_cast<std::size_t>(keepFrom - base);
    std::memmove(buffer.data(), buffer.data() + drop, fill - drop);
    fill -= drop;
    base = keepFrom;
}

Encoder::Encoder(Sink sink) : state_(std::make_unique<State>(std::move(sink))) {}

Encoder::~Encoder() = default;

Status Encoder::feed(std::span<const std::uint8_t> chunk) {
    State& s = *state_;
    if (s.status != Status::ok) {
        return s.status;
    }
    if (chunk.size() > kMaxLength - s.consumed) {
        return Status::tooLarge;
    }
    while (!chunk.empty()) {
        const std::size_t take = std::min(chunk.size(), kCapacity - s.fill);
        std::memcpy(s.buffer.data() + s.fill, chunk.data(), take);
        s.fill += take;
        s.consumed += take;
        chunk = chunk.subspan(take);
        if (s.fill == kCapacity) {
            s.encodeBlock(false);
            s.slide();
            if (s.status != Status::ok) {
                return s.status;
            }
        }
    }
    return Status::ok;
}

Status Encoder::finish() {
    State& s = *state_;
    if (s.status != Status::ok) {
        return s.status;
    }
    s.encodeBlock(true);
    if (s.status == Status::ok && !s.writer.flush(true)) {
        s.status = Status::sinkFailed;
    }
    return s.status;
}

std::uint64_t Encoder::consumed() const {
    return state_->consumed;
}

} // namespace szdd
