// SPDX-License-Identifier: GPL-3.0-or-later
// KWAJ method 3's encoder.
//
// The five codes are fixed for the whole stream and stored at its start, so
// they come from the first block (256 KiB, or all the source if shorter):
// its cheapest parse under plain costs, then again under the costs of the
// codes that parse gives. When the source is longer, every symbol keeps a
// code for the blocks after; when not, only the symbols used get one. Later
// blocks are parsed with the same codes, written up to a horizon before the
// last match found, like the SZDD encoder.
//
// The end: readers stop at the item after one whose look ahead of 16 bits
// reached past the data (see lzh_decoder.cpp). So the last item is a run of
// literals at least 15 bits long, the items before it are thus never that
// close to the end, and the bits that fill the last byte begin an item that
// needs more bits than they hold, so it is never taken.
#include "szdd/lzh_code.h"
#include "szdd/lzh_parser.h"
#include "szdd/match_finder.h"
#include "szdd/stream_stage.h"
#include "szdd/zeroed_block.h"

#include <algorithm>
#include <cstring>

namespace szdd::detail {

namespace {

using namespace lzh;

constexpr std::size_t kHistory = kWindow;
constexpr std::size_t kBlock = std::size_t{1} << 18;
constexpr std::size_t kHorizon = 2048;
constexpr std::size_t kLookahead = 17; // the match finder wants 18 bytes ahead
constexpr std::size_t kCapacity = kHistory + kBlock + kHorizon + kLookahead;
constexpr std::size_t kFlushAt = std::size_t{1} << 16;
// The last run holds at least this many bits, and literals enough for that
// whatever the codes: each symbol takes a bit at least.
constexpr unsigned kLastRunBits = 15;
constexpr unsigned kSafeLastRun = kLastRunBits - 2;

using Counts = std::array<std::vector<std::uint32_t>, kTables>;

Counts emptyCounts() {
    Counts counts;
    for (unsigned t = 0; t < kTables; ++t)
        counts[t].assign(kSymbols[t], 0);
    return counts;
}

// Code lengths for `counts`. Every table gets at least two symbols, and each
// match-length code a match, which the last byte's filling needs; with
// `everySymbol`, all symbols get a code, the unseen ones long.
Lengths lengthsFor(Counts counts, bool everySymbol) {
    Lengths lengths;
    for (unsigned t = 0; t < kTables; ++t) {
        auto& c = counts[t];
        if (everySymbol)
            for (auto& n : c)
                n = n * 16 + 1;
        if (t == kMatchLength1 || t == kMatchLength2)
            c[1] = std::max(c[1], 1u);
        for (std::size_t s = 0;
             c.size() - static_cast<std::size_t>(std::count(c.begin(), c.end(), 0u)) < 2; ++s)
            c[s] = std::max(c[s], 1u);
        lengths[t] = codeLengths(c, kMaxWrittenLength);
    }
    return lengths;
}

class LzhEncoder final : public StreamStage {
public:
    // The tables are untouched zero pages until used, as in the SZDD encoder:
    // a small source does not pay for clearing a megabyte.
    explicit LzhEncoder(Sink sink)
        : sink_(std::move(sink)),
          storage_(ZeroedBlock::roomFor<std::uint8_t>(kCapacity + MatchFinder::kReadPadding) +
                   ZeroedBlock::roomFor<std::uint8_t>(kCapacity) +
                   ZeroedBlock::roomFor<std::uint16_t>(kCapacity)),
          buffer_(storage_.take<std::uint8_t>(kCapacity + MatchFinder::kReadPadding)),
          length_(storage_.take<std::uint8_t>(kCapacity)),
          distance_(storage_.take<std::uint16_t>(kCapacity)) {}

    Status feed(std::span<const std::uint8_t> chunk) override;
    Status finish() override;

private:
    const std::uint8_t* at(std::uint64_t pos) const { return buffer_.data() + (pos - base_); }
    std::size_t index(std::uint64_t pos) const { return static_cast<std::size_t>(pos - parsed_); }
    void findMatches(std::uint64_t end, std::uint64_t dataEnd);
    void encodeMiddle();
    void encodeLast(std::uint64_t dataEnd);
    unsigned lastRunFor(std::uint64_t dataEnd) const;
    void chooseCodes(std::size_t count, bool exactEnd, unsigned lastRun);
    void parse(std::size_t count, bool exactEnd, unsigned lastRun);
    template <typename Visit>
    std::uint64_t walk(std::uint64_t end, unsigned context, Visit visit) const;
    void count(std::size_t count, unsigned lastRun, Counts& counts) const;
    void setCodes(const Lengths& lengths);
    void writeStep(const Step& step, std::uint64_t pos);
    void writeEndFilling();
    void keepUnwritten(std::uint64_t newParsed);
    void slide();
    bool flushBytes(bool all);

    Sink sink_;
    ZeroedBlock storage_;            // holds buffer_, length_ and distance_
    std::span<std::uint8_t> buffer_; // source bytes from position base_
    std::uint64_t base_ = 0;
    std::size_t fill_ = 0;
    std::uint64_t parsed_ = 0; // items written cover the source up to here
    std::uint64_t found_ = 0;  // positions below this have their match found
    MatchFinder finder_;
    std::span<std::uint8_t> length_; // per position from parsed_ on
    std::span<std::uint16_t> distance_;
    Parser parser_;
    bool haveCodes_ = false;
    Lengths lengths_;
    std::array<std::vector<std::uint16_t>, kTables> codes_;
    Costs costs_;
    unsigned context_ = kAfterMatch;
    BitWriter bits_;
    Status status_ = Status::ok;
};

Status LzhEncoder::feed(std::span<const std::uint8_t> chunk) {
    while (!chunk.empty()) {
        const std::size_t take = std::min(chunk.size(), kCapacity - fill_);
        std::memcpy(buffer_.data() + fill_, chunk.data(), take);
        fill_ += take;
        chunk = chunk.subspan(take);
        if (fill_ == kCapacity) {
            encodeMiddle();
            slide();
            if (!flushBytes(false))
                return Status::sinkFailed;
        }
    }
    return Status::ok;
}

Status LzhEncoder::finish() {
    const std::uint64_t dataEnd = base_ + fill_;
    if (dataEnd != 0) { // an empty source is an empty stream
        findMatches(dataEnd, dataEnd);
        encodeLast(dataEnd);
    }
    return flushBytes(true) ? Status::ok : Status::sinkFailed;
}

void LzhEncoder::findMatches(std::uint64_t end, std::uint64_t dataEnd) {
    for (std::uint64_t pos = found_; pos < end; ++pos) {
        const MatchFinder::Match match = finder_.next(pos, at(pos), dataEnd - pos);
        const std::size_t i = index(pos);
        length_[i] = static_cast<std::uint8_t>(std::min(match.length, kMaxMatch));
        distance_[i] =
            match.length == 0
                ? 0
                : static_cast<std::uint16_t>(static_cast<std::int64_t>(pos) - match.source);
    }
    found_ = std::max(found_, end);
}

void LzhEncoder::encodeMiddle() {
    findMatches(base_ + fill_ - kLookahead, base_ + fill_);
    if (found_ < parsed_ + kHorizon + 1)
        return;
    const auto count = static_cast<std::size_t>(found_ - parsed_);
    if (!haveCodes_)
        chooseCodes(count, false, 0);
    else
        parse(count, false, 0);
    const std::uint64_t end =
        walk(found_ - kHorizon, context_,
             [&](const Step& step, std::uint64_t pos, unsigned) { writeStep(step, pos); });
    keepUnwritten(end);
}

void LzhEncoder::encodeLast(std::uint64_t dataEnd) {
    const unsigned lastRun =
        haveCodes_
            ? lastRunFor(dataEnd)
            : static_cast<unsigned>(std::min<std::uint64_t>(dataEnd - parsed_, kSafeLastRun));
    const auto count = static_cast<std::size_t>(dataEnd - parsed_ - lastRun);
    if (!haveCodes_)
        chooseCodes(count, true, lastRun);
    else
        parse(count, true, lastRun);
    walk(parsed_ + count, context_,
         [&](const Step& step, std::uint64_t pos, unsigned) { writeStep(step, pos); });
    writeStep({false, lastRun, 0}, dataEnd - lastRun);
    writeEndFilling();
}

// The shortest run of last literals whose bits make kLastRunBits, with the codes set.
unsigned LzhEncoder::lastRunFor(std::uint64_t dataEnd) const {
    const std::uint32_t start = std::min(costs_.matchLength[0][0], costs_.matchLength[1][0]);
    for (unsigned r = 1;; ++r)
        if (r == kSafeLastRun || r == dataEnd - parsed_ ||
            start + costs_.run(at(dataEnd - r), r) >= kLastRunBits)
            return r;
}

// The codes from the first block: parse under plain costs, count, parse
// again under the codes of those counts, count again.
void LzhEncoder::chooseCodes(std::size_t count, bool exactEnd, unsigned lastRun) {
    Lengths plain;
    for (unsigned t = 0; t < kTables; ++t)
        plain[t].assign(kSymbols[t], kFixedLength[t]);
    costs_ = Costs::of(plain);
    Counts counts = emptyCounts();
    for (int pass = 0; pass < 2; ++pass) {
        parse(count, exactEnd, lastRun);
        counts = emptyCounts();
        this->count(count, lastRun, counts);
        costs_ = Costs::of(lengthsFor(counts, true));
    }
    setCodes(lengthsFor(counts, !exactEnd));
    writeLengthLists(lengths_, bits_);
    haveCodes_ = true;
}

void LzhEncoder::parse(std::size_t count, bool exactEnd, unsigned lastRun) {
    std::array<std::uint32_t, 2> endCost{};
    if (exactEnd && lastRun != 0) {
        const std::uint32_t run = costs_.run(at(parsed_ + count), lastRun);
        endCost = {costs_.matchLength[0][0] + run, costs_.matchLength[1][0] + run};
    }
    parser_.choose(at(parsed_), length_.data(), distance_.data(), count, costs_, exactEnd, endCost);
}

// Visits the chosen items from parsed_ until one reaches `end`; returns where they end.
template <typename Visit>
std::uint64_t LzhEncoder::walk(std::uint64_t end, unsigned context, Visit visit) const {
    std::uint64_t pos = parsed_;
    while (pos < end) {
        const Step step = parser_.step(index(pos), context);
        visit(step, pos, context);
        context = step.match || step.length == kMaxRun ? kAfterMatch : kAfterShortRun;
        pos += step.length;
    }
    return pos;
}

void LzhEncoder::count(std::size_t count, unsigned lastRun, Counts& counts) const {
    auto tally = [&](const Step& step, std::uint64_t pos, unsigned context) {
        auto& matchLength = counts[context == kAfterMatch ? kMatchLength1 : kMatchLength2];
        if (step.match) {
            ++matchLength[step.length - 2];
            ++counts[kOffset][step.distance >> kOffsetLowBits];
            return;
        }
        ++matchLength[0];
        ++counts[kRunLength][step.length - 1];
        for (unsigned i = 0; i < step.length; ++i)
            ++counts[kLiteral][at(pos)[i]];
    };
    unsigned context = context_;
    const std::uint64_t end =
        walk(parsed_ + count, context_, [&](const Step& s, std::uint64_t p, unsigned c) {
            tally(s, p, c);
            context = s.match || s.length == kMaxRun ? kAfterMatch : kAfterShortRun;
        });
    if (lastRun != 0)
        tally({false, lastRun, 0}, end, context);
}

void LzhEncoder::setCodes(const Lengths& lengths) {
    lengths_ = lengths;
    for (unsigned t = 0; t < kTables; ++t)
        codes_[t] = canonicalCodes(lengths_[t]);
    costs_ = Costs::of(lengths_);
}

void LzhEncoder::writeStep(const Step& step, std::uint64_t pos) {
    auto put = [&](Table t, unsigned symbol) {
        bits_.put(codes_[t][symbol], lengths_[t][symbol]);
    };
    const Table matchLength = context_ == kAfterMatch ? kMatchLength1 : kMatchLength2;
    if (step.match) {
        put(matchLength, step.length - 2);
        put(kOffset, step.distance >> kOffsetLowBits);
        bits_.put(step.distance, kOffsetLowBits);
        context_ = kAfterMatch;
        return;
    }
    put(matchLength, 0);
    put(kRunLength, step.length - 1);
    for (unsigned i = 0; i < step.length; ++i)
        put(kLiteral, at(pos)[i]);
    context_ = step.length == kMaxRun ? kAfterMatch : kAfterShortRun;
}

// Fills the last byte with the first bits of a match item: at most 7 bits of
// an item of 8 or more, which a reader never completes.
void LzhEncoder::writeEndFilling() {
    const Table table = context_ == kAfterMatch ? kMatchLength1 : kMatchLength2;
    const auto coded = [&](Table t, unsigned from) {
        unsigned s = from;
        while (lengths_[t][s] == 0)
            ++s;
        return s;
    };
    const unsigned length = coded(table, 1);
    const unsigned offset = coded(kOffset, 0);
    std::uint64_t item = codes_[table][length];
    unsigned itemBits = lengths_[table][length];
    item = (item << lengths_[kOffset][offset] | codes_[kOffset][offset]) << kOffsetLowBits;
    itemBits += lengths_[kOffset][offset] + kOffsetLowBits;
    const unsigned filling = (8 - bits_.partialBits()) % 8;
    bits_.put(static_cast<std::uint32_t>(item >> (itemBits - filling)), filling);
}

// Moves the matches found past the written items to the front.
void LzhEncoder::keepUnwritten(std::uint64_t newParsed) {
    const auto from = static_cast<std::ptrdiff_t>(newParsed - parsed_);
    const auto to = static_cast<std::ptrdiff_t>(found_ - parsed_);
    if (from < to) {
        std::copy(length_.begin() + from, length_.begin() + to, length_.begin());
        std::copy(distance_.begin() + from, distance_.begin() + to, distance_.begin());
    }
    parsed_ = newParsed;
}

// Drops bytes neither a later match nor a literal still to be written can need.
void LzhEncoder::slide() {
    const std::uint64_t reach = found_ > kHistory ? found_ - kHistory : 0;
    const std::uint64_t keepFrom = std::min(parsed_, reach);
    if (keepFrom <= base_)
        return;
    const auto drop = static_cast<std::size_t>(keepFrom - base_);
    std::memmove(buffer_.data(), buffer_.data() + drop, fill_ - drop);
    fill_ -= drop;
    base_ = keepFrom;
}

bool LzhEncoder::flushBytes(bool all) {
    auto& bytes = bits_.bytes();
    if ((!all && bytes.size() < kFlushAt) || bytes.empty())
        return true;
    const bool ok = sink_(bytes.data(), bytes.size());
    bytes.clear();
    return ok;
}

} // namespace

std::unique_ptr<StreamStage> makeLzhEncoder(Sink sink) {
    return std::make_unique<LzhEncoder>(std::move(sink));
}

} // namespace szdd::detail
