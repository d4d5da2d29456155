// SPDX-License-Identifier: GPL-3.0-or-later
// KWAJ method 3's decoder.
//
// Nothing marks the end of the stream, so where it ends is what the
// independent reader makes of it, and this decoder does the same: it reads
// past the last byte as zero bits; before every Huffman symbol it makes sure
// of 16 bits, before plain bits of as many as it reads; once such a look
// reached past the end, it starts no further item; and a symbol or plain bits
// that take any bit past the end stop it where it is, with the literals of a
// run before them kept. A stream that ends within its six types is empty;
// one that ends within its code lengths is cut short.
//
// Input gathers in a buffer; items are decoded without any check while the
// longest item and its look ahead are buffered, and only the last few with
// the checks above, once finish() says no more input comes. Where every
// literal's code is 8 bits long (random data: the literal list is then of
// type 0), the code of a literal is the byte itself, and runs of literals are
// copied out of the stream rather than decoded one symbol at a time.
#include "szdd/lzh_code.h"
#include "szdd/lzh_tables.h"
#include "szdd/stream_stage.h"

#include <algorithm>
#include <cstring>

namespace szdd::detail {

namespace {

using namespace lzh;

constexpr std::size_t kInputCapacity = std::size_t{1} << 16;
constexpr std::size_t kReadPadding = 8; // zero bytes after the input, for 8-byte loads
// Bytes that hold the six types and the longest code-length lists.
constexpr std::size_t kTablesBytes = 400;
// Bits past an item's start that an item can read, with its look ahead and loads.
constexpr std::uint64_t kGuardBits = kMaxItemBits + kLookaheadBits + 64;
constexpr std::size_t kSpan = std::size_t{1} << 17; // output between two flushes
constexpr std::size_t kSlack = kMaxRun + 24;        // one item and the over-copy of a match

class LzhDecoder final : public StreamStage, private LengthSource {
public:
    explicit LzhDecoder(Sink sink)
        : sink_(std::move(sink)), input_(kInputCapacity + kReadPadding, 0),
          output_(kWindow + kSpan + kSlack, kBlank) {}

    Status feed(std::span<const std::uint8_t> chunk) override;
    Status finish() override;

private:
    enum class Phase { tables, items, stopped };

    // Where decoding stands; kept in a local while items are decoded, out of
    // reach of the output's byte stores, so that it can live in registers.
    struct Cursor {
        const std::uint8_t* input;
        std::uint64_t bitPos;
        std::uint8_t* out;
        bool afterShortRun;
        std::uint64_t bits = 0; // the next `held` bits, most significant first
        unsigned held = 0;
    };

    Status run();
    Status readTables();
    Status decodeItems();
    void decodeUnchecked();
    template <bool Raw> void decodeUnchecked(Cursor& c);
    template <bool Careful, bool Raw = false> bool decodeItem(Cursor& c);
    template <bool Careful> bool symbol(Cursor& c, Table table, unsigned& value);
    template <bool Careful> bool plain(Cursor& c, unsigned count, unsigned& value);
    bool bits(unsigned count, unsigned& value) override;
    static void copyMatch(Cursor& c, unsigned length, unsigned offset);
    static void copyRawLiterals(Cursor& c, unsigned count);
    Cursor cursor() { return {input_.data(), bitPos_, output_.data() + out_, afterShortRun_}; }
    // Makes at least 32 bits held; reads up to 7 bytes past bitPos + 32 bits.
    static void refill(Cursor& c) {
        if (c.held < 32) {
            std::uint64_t word;
            std::memcpy(&word, c.input + (c.bitPos >> 3), sizeof word);
            c.bits = __builtin_bswap64(word) << (c.bitPos & 7); // the stream is big-endian
            c.held = 64 - static_cast<unsigned>(c.bitPos & 7);
        }
    }
    static void consume(Cursor& c, unsigned count) {
        c.bits <<= count;
        c.held -= count;
        c.bitPos += count;
    }
    void store(const Cursor& c) {
        bitPos_ = c.bitPos;
        out_ = static_cast<std::size_t>(c.out - output_.data());
        afterShortRun_ = c.afterShortRun;
    }
    bool flush();
    void compactInput();

    std::uint64_t remainingBits() const { return inputSize_ * 8 - bitPos_; }
    static unsigned peek(Cursor& c, unsigned count) {
        refill(c);
        return static_cast<unsigned>(c.bits >> (64 - count));
    }

    Sink sink_;
    std::vector<std::uint8_t> input_;
    std::size_t inputSize_ = 0;
    std::uint64_t bitPos_ = 0;
    bool final_ = false;   // no more input comes: the checks are on
    bool endSeen_ = false; // a look ahead reached past the end
    Phase phase_ = Phase::tables;
    Status tablesStatus_ = Status::ok;
    std::array<CodeTable, kTables> tables_;
    bool rawLiterals_ = false; // every literal's code is 8 bits: the byte itself
    bool afterShortRun_ = false;
    std::vector<std::uint8_t> output_; // the last kWindow bytes, then new ones
    std::size_t out_ = kWindow;
};

Status LzhDecoder::feed(std::span<const std::uint8_t> chunk) {
    while (!chunk.empty() && phase_ != Phase::stopped) { // once stopped, the rest is ignored
        const std::size_t take = std::min(chunk.size(), kInputCapacity - inputSize_);
        std::memcpy(input_.data() + inputSize_, chunk.data(), take);
        inputSize_ += take;
        chunk = chunk.subspan(take);
        if (const Status s = run(); s != Status::ok)
            return s;
        compactInput();
    }
    return Status::ok;
}

Status LzhDecoder::finish() {
    final_ = true;
    if (const Status s = run(); s != Status::ok)
        return s;
    return flush() ? tablesStatus_ : Status::sinkFailed;
}

void LzhDecoder::compactInput() {
    const std::size_t used = bitPos_ >> 3;
    std::memmove(input_.data(), input_.data() + used, inputSize_ - used);
    inputSize_ -= used;
    bitPos_ &= 7;
    std::memset(input_.data() + inputSize_, 0, kReadPadding);
}

Status LzhDecoder::run() {
    if (phase_ == Phase::tables && (final_ || inputSize_ >= kTablesBytes)) {
        if (const Status s = readTables(); s != Status::ok)
            return s;
    }
    return phase_ == Phase::items ? decodeItems() : Status::ok;
}

Status LzhDecoder::readTables() {
    std::array<unsigned, kTypeFields> types{};
    for (unsigned& type : types) {
        if (!bits(kTypeBits, type)) {
            phase_ = Phase::stopped; // ends within the types: an empty stream
            return Status::ok;
        }
    }
    for (unsigned t = 0; t < kTables; ++t) {
        std::vector<std::uint8_t> lengths;
        const ListResult read = readLengthList(*this, types[t], t, lengths);
        if (read == ListResult::cut) {
            phase_ = Phase::stopped;
            tablesStatus_ = Status::truncated;
            return Status::ok;
        }
        if (read == ListResult::badType || !tables_[t].build(lengths))
            return Status::damaged;
        if (t == kLiteral) {
            rawLiterals_ =
                std::all_of(lengths.begin(), lengths.end(), [](std::uint8_t l) { return l == 8; });
        }
    }
    phase_ = Phase::items;
    return Status::ok;
}

Status LzhDecoder::decodeItems() {
    for (;;) {
        if (out_ + kSlack > output_.size() && !flush())
            return Status::sinkFailed;
        if (remainingBits() >= kGuardBits) {
            decodeUnchecked();
            continue;
        }
        if (!final_)
            return Status::ok; // wait for more input
        Cursor c = cursor();
        const bool whole = !endSeen_ && decodeItem<true>(c);
        store(c);
        if (!whole) {
            phase_ = Phase::stopped;
            return Status::ok;
        }
    }
}

// Items while the longest one and its look ahead are buffered, and there is room for it.
void LzhDecoder::decodeUnchecked() {
    Cursor c = cursor();
    if (rawLiterals_)
        decodeUnchecked<true>(c);
    else
        decodeUnchecked<false>(c);
    store(c);
}

template <bool Raw> void LzhDecoder::decodeUnchecked(Cursor& c) {
    const std::uint64_t lastStart = inputSize_ * 8 - kGuardBits;
    const std::uint8_t* const outLimit = output_.data() + output_.size() - kSlack;
    while (c.bitPos <= lastStart && c.out <= outLimit)
        decodeItem<false, Raw>(c);
}

bool LzhDecoder::bits(unsigned count, unsigned& value) {
    Cursor c = cursor();
    const bool read = plain<true>(c, count, value);
    store(c);
    return read;
}

// One item; false when a read took bits past the end.
template <bool Careful, bool Raw> bool LzhDecoder::decodeItem(Cursor& c) {
    unsigned s = 0;
    if (!symbol<Careful>(c, c.afterShortRun ? kMatchLength2 : kMatchLength1, s))
        return false;
    if (s != 0) {
        unsigned high = 0;
        unsigned low = 0;
        if (!symbol<Careful>(c, kOffset, high) || !plain<Careful>(c, kOffsetLowBits, low))
            return false;
        c.afterShortRun = false;
        copyMatch(c, s + 2, high << kOffsetLowBits | low);
        return true;
    }
    unsigned run = 0;
    if (!symbol<Careful>(c, kRunLength, run))
        return false;
    ++run;
    c.afterShortRun = run != kMaxRun;
    if (Raw) {
        copyRawLiterals(c, run);
        return true;
    }
    for (unsigned i = 0; i < run; ++i) {
        unsigned literal = 0;
        if (!symbol<Careful>(c, kLiteral, literal))
            return false;
        *c.out++ = static_cast<std::uint8_t>(literal);
    }
    return true;
}

template <bool Careful> bool LzhDecoder::symbol(Cursor& c, Table table, unsigned& value) {
    const std::uint64_t left = Careful ? inputSize_ * 8 - c.bitPos : 0;
    if (Careful && left < kLookaheadBits)
        endSeen_ = true;
    const CodeTable::Symbol s = tables_[table].decode(peek(c, 16));
    if (Careful && s.length > left)
        return false;
    consume(c, s.length);
    value = s.value;
    return true;
}

template <bool Careful> bool LzhDecoder::plain(Cursor& c, unsigned count, unsigned& value) {
    if (Careful && inputSize_ * 8 - c.bitPos < count) {
        endSeen_ = true;
        return false;
    }
    value = peek(c, count);
    consume(c, count);
    return true;
}

// Distance 0 is the byte 4096 back, the ring slot about to be written.
void LzhDecoder::copyMatch(Cursor& c, unsigned length, unsigned offset) {
    const std::size_t distance = offset == 0 ? kWindow : offset;
    std::uint8_t* to = c.out;
    const std::uint8_t* from = to - distance;
    if (distance >= 8) {
        std::memcpy(to, from, 8);
        std::memcpy(to + 8, from + 8, 8);
        std::memcpy(to + 16, from + 16, 8);
    } else {
        for (unsigned i = 0; i < length; ++i)
            to[i] = from[i];
    }
    c.out += length;
}

// Literals whose code is the byte itself, taken straight from the stream
// seven bytes at a time; writes up to 7 bytes past them.
void LzhDecoder::copyRawLiterals(Cursor& c, unsigned count) {
    const std::uint8_t* in = c.input + (c.bitPos >> 3);
    const unsigned shift = static_cast<unsigned>(c.bitPos & 7);
    for (unsigned i = 0; i < count; i += 7) {
        std::uint64_t word;
        std::memcpy(&word, in + i, sizeof word);
        word = __builtin_bswap64(__builtin_bswap64(word) << shift);
        std::memcpy(c.out + i, &word, sizeof word);
    }
    c.out += count;
    c.bitPos += 8 * count;
    c.held = 0; // the bits held are behind
}

bool LzhDecoder::flush() {
    const std::size_t fresh = out_ - kWindow;
    if (fresh == 0)
        return true;
    if (!sink_(output_.data() + kWindow, fresh))
        return false;
    std::memmove(output_.data(), output_.data() + fresh, kWindow);
    out_ = kWindow;
    return true;
}

} // namespace

std::unique_ptr<StreamStage> makeLzhDecoder(Sink sink) {
    return std::make_unique<LzhDecoder>(std::move(sink));
}

} // namespace szdd::detail
