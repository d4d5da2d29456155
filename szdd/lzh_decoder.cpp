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
// the checks above, once finish() says no more input comes.
#include "szdd/lzh_code.h"
#include "szdd/lzh_tables.h"
#include "szdd/stream_stage.h"

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

    Status run();
    Status readTables();
    Status decodeItems();
    template <bool Careful> bool decodeItem();
    template <bool Careful> bool symbol(Table table, unsigned& value);
    template <bool Careful> bool plain(unsigned count, unsigned& value);
    bool bits(unsigned count, unsigned& value) override { return plain<true>(count, value); }
    void copyMatch(unsigned length, unsigned offset);
    bool flush();
    void compactInput();

    std::uint64_t remainingBits() const { return inputSize_ * 8 - bitPos_; }
    unsigned peek(unsigned count) const {
        std::uint64_t word;
        std::memcpy(&word, input_.data() + (bitPos_ >> 3), sizeof word);
        word = __builtin_bswap64(word) << (bitPos_ & 7); // the stream is big-endian
        return static_cast<unsigned>(word >> (64 - count));
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
        if (const Status s = run(); s != Status::ok) {
            return s;
        }
        compactInput();
    }
    return Status::ok;
}

Status LzhDecoder::finish() {
    final_ = true;
    if (const Status s = run(); s != Status::ok) {
        return s;
    }
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
        if (const Status s = readTables(); s != Status::ok) {
            return s;
        }
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
        if (read == ListResult::badType || !tables_[t].build(lengths)) {
            return Status::damaged;
        }
    }
    phase_ = Phase::items;
    return Status::ok;
}

Status LzhDecoder::decodeItems() {
    for (;;) {
        if (out_ + kSlack > output_.size() && !flush()) {
            return Status::sinkFailed;
        }
        if (remainingBits() >= kGuardBits) {
            decodeItem<false>();
            continue;
        }
        if (!final_) {
            return Status::ok; // wait for more input
        }
        if (endSeen_ || !decodeItem<true>()) {
            phase_ = Phase::stopped;
            return Status::ok;
        }
    }
}

// One item; false when a read took bits past the end.
template <bool Careful> bool LzhDecoder::decodeItem() {
    unsigned s = 0;
    if (!symbol<Careful>(afterShortRun_ ? kMatchLength2 : kMatchLength1, s)) {
        return false;
    }
    if (s != 0) {
        unsigned high = 0;
        unsigned low = 0;
        if (!symbol<Careful>(kOffset, high) || !plain<Careful>(kOffsetLowBits, low)) {
            return false;
        }
        afterShortRun_ = false;
        copyMatch(s + 2, high << kOffsetLowBits | low);
        return true;
    }
    unsigned run = 0;
    if (!symbol<Careful>(kRunLength, run)) {
        return false;
    }
    ++run;
    afterShortRun_ = run != kMaxRun;
    for (unsigned i = 0; i < run; ++i) {
        unsigned literal = 0;
        if (!symbol<Careful>(kLiteral, literal)) {
            return false;
        }
        output_[out_++] = static_cast<std::uint8_t>(literal);
    }
    return true;
}

template <bool Careful> bool LzhDecoder::symbol(Table table, unsigned& value) {
    const std::uint64_t left = Careful ? remainingBits() : 0;
    if (Careful && left < kLookaheadBits) {
        endSeen_ = true;
    }
    const CodeTable::Symbol s = tables_[table].decode(peek(16));
    if (Careful && s.length > left) {
        return false;
    }
    bitPos_ += s.length;
    value = s.value;
    return true;
}

template <bool Careful> bool LzhDecoder::plain(unsigned count, unsigned& value) {
    if (Careful && remainingBits() < count) {
        endSeen_ = true;
        return false;
    }
    value = peek(count);
    bitPos_ += count;
    return true;
}

// Distance 0 is the byte 4096 back, the ring slot about to be written.
void LzhDecoder::copyMatch(unsigned length, unsigned offset) {
    const std::size_t distance = offset == 0 ? kWindow : offset;
    std::uint8_t* to = output_.data() + out_;
    const std::uint8_t* from = to - distance;
    if (distance >= 8) {
        std::memcpy(to, from, 8);
        std::memcpy(to + 8, from + 8, 8);
        std::memcpy(to + 16, from + 16, 8);
    } else {
        for (unsigned i = 0; i < length; ++i) {
            to[i] = from[i];
        }
    }
    out_ += length;
}

bool LzhDecoder::flush() {
    const std::size_t fresh = out_ - kWindow;
    if (fresh == 0) {
        return true;
    }
    if (!sink_(output_.data() + kWindow, fresh)) {
        return false;
    }
    std::memmove(output_.data(), output_.data() + fresh, kWindow);
    out_ = kWindow;
    return true;
}

} // namespace

std::unique_ptr<StreamStage> makeLzhDecoder(Sink sink) {
    return std::make_unique<LzhDecoder>(std::move(sink));
}

} // namespace szdd::detail
