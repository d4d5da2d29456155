// SPDX-License-Identifier: GPL-3.0-or-later
// KWAJ method 4's decoder.
//
// Like the other readers, it takes a block's length field as "another block
// follows" (not 0) or "the end" (0) and lets the deflate stream say where the
// block ends; a file may end without the closing 0. A block expands into the
// frame and is handed on only when its stream ends, so a damaged block gives
// nothing; one that expands past 32 KiB is damaged.
//
// Two inflaters share the work. A block's bytes are gathered as far as its
// length field says, and libdeflate expands them in one call where it can
// decide alike (mszip_whole_inflater.h). zlib takes the rest, and every block
// libdeflate does not finish within the gathered bytes: it inflates them as a
// stream, reading on past them where the stream goes on, so it decides what
// is damaged (mszip_stream_inflater.h). Bytes gathered past a stream's end
// are read as what follows it; a block that starts among them goes to zlib.
// A block that refers to frame bytes no block has written is damaged.
//
// A block that is one stored deflate block needs no inflater: it is handed on
// from the caller's chunk where it lies there whole.
#include "szdd/deflate_check.h"
#include "szdd/mszip_stream_inflater.h"
#include "szdd/mszip_whole_inflater.h"
#include "szdd/stream_stage.h"

#include <algorithm>
#include <cstring>

namespace szdd::detail {

namespace {

using mszip::kBlockOutput;

class MszipDecoder final : public StreamStage {
public:
    explicit MszipDecoder(Sink sink) : sink_(std::move(sink)) {}

    Status feed(std::span<const std::uint8_t> chunk) override {
        const Status s = readAll(chunk);
        settleFrame(); // the chunk is the caller's only until we return
        return s;
    }
    Status finish() override;

private:
    enum class Step { lengthLow, lengthHigh, signatureC, signatureK, gathering, inflating, done };

    std::uint8_t* frame() { return whole_.frame(); }
    void settleFrame() {
        if (lent_ != nullptr) {
            std::memcpy(frame(), lent_, lentSize_);
            lent_ = nullptr;
        }
    }
    Status readAll(std::span<const std::uint8_t> chunk);
    Status advance(std::span<const std::uint8_t>& from);
    Status readHeaderByte(std::uint8_t byte);
    Status gather(std::span<const std::uint8_t>& from);
    Status runGathered();
    Status startStream();
    Status inflateSome(std::span<const std::uint8_t>& from);
    Status endBlock(const std::uint8_t* output, std::size_t size);
    Status endBlockInChunk(std::span<const std::uint8_t> data);

    Sink sink_;
    MszipWholeInflater whole_;              // holds the frame and the gathered bytes
    MszipStreamInflater stream_;            // zlib
    std::span<const std::uint8_t> pending_; // gathered bytes not yet read
    const std::uint8_t* lent_ = nullptr;    // the frame's start, still in the caller's chunk
    std::size_t lentSize_ = 0;
    std::size_t set_ = 0;  // bytes of the frame that blocks have written
    std::size_t want_ = 0; // bytes the length field gives the block
    std::size_t gathered_ = 0;
    Step step_ = Step::lengthLow;
    unsigned length_ = 0;
};

Status MszipDecoder::readAll(std::span<const std::uint8_t> chunk) {
    while (step_ != Step::done) {
        std::span<const std::uint8_t>& from = pending_.empty() ? chunk : pending_;
        if (from.empty())
            break;
        if (const Status s = advance(from); s != Status::ok)
            return s;
    }
    return Status::ok;
}

Status MszipDecoder::advance(std::span<const std::uint8_t>& from) {
    switch (step_) {
    case Step::inflating:
        return inflateSome(from);
    case Step::gathering:
        return gather(from);
    default: {
        const std::uint8_t byte = from.front();
        from = from.subspan(1);
        return readHeaderByte(byte);
    }
    }
}

Status MszipDecoder::readHeaderByte(std::uint8_t byte) {
    switch (step_) {
    case Step::lengthLow:
        length_ = byte;
        step_ = Step::lengthHigh;
        return Status::ok;
    case Step::lengthHigh:
        length_ |= unsigned{byte} << 8;
        step_ = length_ == 0 ? Step::done : Step::signatureC;
        return Status::ok;
    case Step::signatureC:
        step_ = Step::signatureK;
        return byte == mszip::kSignature[0] ? Status::ok : Status::damaged;
    default:
        if (byte != mszip::kSignature[1])
            return Status::damaged;
        if (!pending_.empty())
            return startStream(); // the block starts among bytes gathered for another
        want_ = length_ < 2 ? 0 : length_ - 2;
        gathered_ = 0;
        step_ = Step::gathering;
        return want_ == 0 ? runGathered() : Status::ok;
    }
}

Status MszipDecoder::gather(std::span<const std::uint8_t>& from) {
    // A stored block at hand needs no gathering.
    std::span<const std::uint8_t> data;
    if (gathered_ == 0 && deflate::onlyStored(from.first(std::min(from.size(), want_)), data)) {
        from = from.subspan(static_cast<std::size_t>(data.end() - from.begin()));
        return endBlockInChunk(data);
    }
    const std::size_t n = std::min(from.size(), want_ - gathered_);
    std::memcpy(whole_.block() + gathered_, from.data(), n);
    gathered_ += n;
    from = from.subspan(n);
    return gathered_ == want_ ? runGathered() : Status::ok;
}

// Expands the gathered bytes with libdeflate where it decides, else hands
// them to zlib.
Status MszipDecoder::runGathered() {
    const std::span<const std::uint8_t> block(whole_.block(), gathered_);
    if (std::span<const std::uint8_t> data; deflate::onlyStored(block, data)) {
        pending_ = block.subspan(static_cast<std::size_t>(data.end() - block.begin()));
        return endBlock(data.data(), data.size());
    }
    settleFrame();
    std::size_t used = 0;
    std::span<const std::uint8_t> output;
    switch (whole_.expand(gathered_, set_, used, output)) {
    case MszipWholeInflater::Result::expanded:
        pending_ = block.subspan(used);
        return endBlock(output.data(), output.size());
    case MszipWholeInflater::Result::damaged:
        return Status::damaged;
    case MszipWholeInflater::Result::undecided:
        break;
    }
    pending_ = block;
    return startStream();
}

Status MszipDecoder::startStream() {
    settleFrame();
    step_ = Step::inflating;
    return stream_.start(frame(), set_);
}

Status MszipDecoder::inflateSome(std::span<const std::uint8_t>& from) {
    bool ended = false;
    if (const Status s = stream_.inflateSome(from, ended); s != Status::ok)
        return s;
    return ended ? endBlock(frame(), stream_.produced()) : Status::ok;
}

// The block's `size` bytes at `output` become the start of the frame.
Status MszipDecoder::endBlock(const std::uint8_t* output, std::size_t size) {
    if (output != frame()) {
        settleFrame();
        std::memcpy(frame(), output, size);
    }
    set_ = std::max(set_, size);
    step_ = Step::lengthLow;
    if (size != 0 && !sink_(frame(), size))
        return Status::sinkFailed;
    return Status::ok;
}

// A stored block read in place from the caller's chunk: handed on from there,
// and copied into the frame only once the frame is needed or the chunk goes.
Status MszipDecoder::endBlockInChunk(std::span<const std::uint8_t> data) {
    if (data.size() < lentSize_)
        settleFrame(); // the part of the frame past this block comes from the one before
    lent_ = data.data();
    lentSize_ = data.size();
    set_ = std::max(set_, data.size());
    step_ = Step::lengthLow;
    return data.empty() || sink_(data.data(), data.size()) ? Status::ok : Status::sinkFailed;
}

Status MszipDecoder::finish() {
    // No more input: a block still gathering gets what there is.
    while (step_ == Step::gathering) {
        if (const Status s = runGathered(); s != Status::ok)
            return s;
        if (const Status s = readAll({}); s != Status::ok)
            return s;
    }
    switch (step_) {
    case Step::lengthLow:
    case Step::done:
        return Status::ok;
    case Step::lengthHigh: // the missing high byte reads as 0
        return length_ == 0 ? Status::ok : Status::truncated;
    default:
        return Status::truncated;
    }
}

} // namespace

std::unique_ptr<StreamStage> makeMszipDecoder(Sink sink) {
    return std::make_unique<MszipDecoder>(std::move(sink));
}

} // namespace szdd::detail
