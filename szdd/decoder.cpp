// SPDX-License-Identifier: GPL-3.0-or-later
// The LZSS expander.
//
// Output is decoded into one linear buffer whose first 4096 bytes always
// hold the last 4096 bytes produced (blanks before the first byte), so a
// match is a plain copy from `out - distance`: no ring arithmetic per byte
// and no bounds check per byte. Each flush hands the new bytes to the sink
// and moves the last 4096 to the front.
#include "szdd/lzss_format.h"
#include "szdd/szdd.h"
#include "szdd/zeroed_block.h"

#include <bit>
#include <cstring>

namespace szdd {

namespace {

using lzss::kMaxMatch;
using lzss::kRingMask;
using lzss::kWindow;

constexpr std::size_t kSpan = std::size_t{1} << 17; // output between two flushes
constexpr std::size_t kMaxCopy = 24;                // bytes a match may write, its length or more
// Room one group can need: eight longest matches, plus the over-copy of the last.
constexpr std::size_t kSlack = lzss::kItemsPerGroup * kMaxMatch + kMaxCopy;
// Input one group can need: its own bytes, plus the over-read of a run of literals.
constexpr std::size_t kGroupInput = lzss::kMaxGroupBytes + 8;

// Copies a match to `out`, writing up to kMaxCopy bytes there. `ringOfOut` is the ring
// position `out` is written to; the source is the same ring slot's last value.
inline std::uint8_t* copyMatch(std::uint8_t* out, unsigned ringOfOut, std::uint8_t b1,
                               std::uint8_t b2) {
    const unsigned ringPos = b1 | ((b2 & 0xF0u) << 4);
    const unsigned length = (b2 & 0x0Fu) + 3;
    std::size_t distance = (ringOfOut - ringPos) & 0xFFFu;
    if (distance == 0)
        distance = kWindow; // the slot about to be written still holds its old byte
    const std::uint8_t* from = out - distance;
    if (distance >= 8) {
        // Eight bytes at a time: each piece's source lies wholly before it, so
        // a source that overlaps the output still repeats it. The excess past
        // `length` is overwritten later.
        std::memcpy(out, from, 8);
        std::memcpy(out + 8, from + 8, 8);
        std::memcpy(out + 16, from + 16, 8);
    } else if (distance == 1) {
        std::memset(out, out[-1], kMaxMatch);
    } else {
        for (unsigned i = 0; i < length; ++i)
            out[i] = from[i]; // overlapping source repeats what was just written
    }
    return out + length;
}

} // namespace

struct Decoder::State {
    // Only the ring's start is blanks; the rest stays untouched zero pages
    // until output reaches it.
    State(Sink s, Lzss variant)
        : sink(std::move(s)), storage(ZeroedBlock::roomFor<std::uint8_t>(kWindow + kSpan + kSlack)),
          buffer(storage.take<std::uint8_t>(kWindow + kSpan + kSlack)),
          ringOfStart(lzss::firstRingPos(variant)) {
        std::fill(buffer.begin(), buffer.begin() + kWindow, std::uint8_t{0x20});
    }

    Sink sink;
    ZeroedBlock storage;
    std::span<std::uint8_t> buffer;
    std::size_t out = kWindow; // next write index in `buffer`
    unsigned ringOfStart;      // ring position of buffer[0]
    unsigned control = 0;
    unsigned mask = 0;    // bit of `control` for the next item; 0 before a control byte
    int pendingByte = -1; // first byte of a match whose second byte has not come
    std::uint64_t produced = 0;
    Status status = Status::ok;

    unsigned ringOf(std::size_t index) const { return (ringOfStart + index) & 0xFFFu; }
    bool flush();
    const std::uint8_t* decodeGroups(const std::uint8_t* in, const std::uint8_t* end);
    const std::uint8_t* decodeItem(const std::uint8_t* in);
};

bool Decoder::State::flush() {
    const std::size_t fresh = out - kWindow;
    if (fresh == 0)
        return true;
    if (!sink(buffer.data() + kWindow, fresh)) {
        status = Status::sinkFailed;
        return false;
    }
    produced += fresh;
    std::memmove(buffer.data(), buffer.data() + fresh, kWindow);
    ringOfStart = (ringOfStart + static_cast<unsigned>(fresh)) & 0xFFFu;
    out = kWindow;
    return true;
}

// Whole groups while the input and the buffer have room for one. A group is
// taken as runs of literals, each copied at once, between single matches, so
// that the branches follow the matches rather than every item.
const std::uint8_t* Decoder::State::decodeGroups(const std::uint8_t* in, const std::uint8_t* end) {
    std::uint8_t* const base = buffer.data();
    std::uint8_t* o = base + out;
    const std::uint8_t* const limit = base + buffer.size() - kSlack;
    while (end - in >= static_cast<std::ptrdiff_t>(kGroupInput) && o <= limit) {
        unsigned bits = *in++;
        if (bits == 0xFF) { // eight literals, common in data that does not compress
            std::memcpy(o, in, 8);
            o += 8;
            in += 8;
            continue;
        }
        unsigned left = lzss::kItemsPerGroup;
        for (;;) {
            // The bits past the group's last item are zero, so a run stops there.
            const auto run = static_cast<unsigned>(std::countr_one(bits));
            std::memcpy(o, in, 8);
            o += run;
            in += run;
            left -= run;
            if (left == 0)
                break;
            o = copyMatch(o, ringOf(static_cast<std::size_t>(o - base)), in[0], in[1]);
            in += 2;
            bits >>= run + 1;
            if (--left == 0)
                break;
        }
    }
    out = static_cast<std::size_t>(o - base);
    return in;
}

// One byte of input: a control byte, a literal, or half of a match.
const std::uint8_t* Decoder::State::decodeItem(const std::uint8_t* in) {
    const std::uint8_t byte = *in++;
    if (mask == 0) {
        control = byte;
        mask = 1;
        return in;
    }
    if (control & mask) {
        buffer[out++] = byte;
    } else if (pendingByte < 0) {
        pendingByte = byte;
        return in;
    } else {
        std::uint8_t* o = buffer.data() + out;
        o = copyMatch(o, ringOf(out), static_cast<std::uint8_t>(pendingByte), byte);
        out = static_cast<std::size_t>(o - buffer.data());
        pendingByte = -1;
    }
    mask = (mask << 1) & 0xFFu;
    return in;
}

Decoder::Decoder(Sink sink, Lzss variant)
    : state_(std::make_unique<State>(std::move(sink), variant)) {}

Decoder::~Decoder() = default;

Status Decoder::feed(std::span<const std::uint8_t> chunk) {
    State& s = *state_;
    if (s.status != Status::ok)
        return s.status;
    const std::uint8_t* in = chunk.data();
    const std::uint8_t* const end = in + chunk.size();
    while (in < end) {
        if (s.out + kSlack > s.buffer.size() && !s.flush())
            return s.status;
        if (s.mask == 0) {
            const std::uint8_t* next = s.decodeGroups(in, end);
            if (next != in) {
                in = next;
                continue;
            }
        }
        in = s.decodeItem(in);
    }
    return Status::ok;
}

Status Decoder::finish() {
    State& s = *state_;
    if (s.status != Status::ok)
        return s.status;
    if (!s.flush())
        return s.status;
    return s.pendingByte >= 0 ? Status::truncated : Status::ok;
}

std::uint64_t Decoder::produced() const {
    return state_->produced;
}

} // namespace szdd
