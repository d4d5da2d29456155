// SPDX-License-Identifier: GPL-3.0-or-later
// KWAJ method 4's decoder: zlib's raw inflate, one stream per block, with the
// frame the blocks before left as its preset dictionary.
//
// Like the other readers, it takes a block's length field as "another block
// follows" (not 0) or "the end" (0) and lets the deflate stream say where the
// block ends; a file may end without the closing 0. A block expands into the
// frame and is handed on only when its stream ends, so a damaged block gives
// nothing; one that expands past 32 KiB is damaged.
#include "szdd/mszip_format.h"
#include "szdd/stream_stage.h"

#include <zlib.h>

#include <new>
#include <vector>

namespace szdd::detail {

namespace {

using mszip::kBlockOutput;

class MszipDecoder final : public StreamStage {
public:
    explicit MszipDecoder(Sink sink) : sink_(std::move(sink)), frame_(kBlockOutput, 0) {
        if (inflateInit2(&z_, mszip::kRawWindowBits) != Z_OK) {
            throw std::bad_alloc();
        }
    }
    ~MszipDecoder() override { inflateEnd(&z_); }

    Status feed(std::span<const std::uint8_t> chunk) override;
    Status finish() override;

private:
    enum class Step { lengthLow, lengthHigh, signatureC, signatureK, inflating, done };

    Status startBlock();
    Status inflateSome(std::span<const std::uint8_t>& chunk);
    Status endBlock();

    Sink sink_;
    z_stream z_{};
    std::vector<std::uint8_t> frame_;
    std::uint8_t spare_ = 0;      // catches a byte past a full frame
    std::size_t blockOutput_ = 0; // bytes of the current block in the frame
    bool haveHistory_ = false;    // a block was expanded into the frame
    Step step_ = Step::lengthLow;
    std::uint8_t lengthLow_ = 0;
};

Status MszipDecoder::feed(std::span<const std::uint8_t> chunk) {
    while (!chunk.empty() && step_ != Step::done) {
        if (step_ == Step::inflating) {
            if (const Status s = inflateSome(chunk); s != Status::ok) {
                return s;
            }
            continue;
        }
        const std::uint8_t byte = chunk.front();
        chunk = chunk.subspan(1);
        switch (step_) {
        case Step::lengthLow:
            lengthLow_ = byte;
            step_ = Step::lengthHigh;
            break;
        case Step::lengthHigh:
            step_ = (lengthLow_ | byte) == 0 ? Step::done : Step::signatureC;
            break;
        case Step::signatureC:
            if (byte != mszip::kSignature[0]) {
                return Status::damaged;
            }
            step_ = Step::signatureK;
            break;
        default:
            if (byte != mszip::kSignature[1]) {
                return Status::damaged;
            }
            if (const Status s = startBlock(); s != Status::ok) {
                return s;
            }
            break;
        }
    }
    return Status::ok;
}

Status MszipDecoder::startBlock() {
    if (inflateReset(&z_) != Z_OK) {
        return Status::damaged;
    }
    if (haveHistory_ && inflateSetDictionary(&z_, frame_.data(), kBlockOutput) != Z_OK) {
        return Status::damaged;
    }
    blockOutput_ = 0;
    step_ = Step::inflating;
    return Status::ok;
}

// Inflates from `chunk`, taking what zlib consumed off its front.
Status MszipDecoder::inflateSome(std::span<const std::uint8_t>& chunk) {
    z_.next_in = const_cast<Bytef*>(chunk.data());
    z_.avail_in = static_cast<uInt>(std::min<std::size_t>(chunk.size(), 1u << 30));
    const bool full = blockOutput_ == kBlockOutput;
    z_.next_out = full ? &spare_ : frame_.data() + blockOutput_;
    z_.avail_out = full ? 1 : static_cast<uInt>(kBlockOutput - blockOutput_);
    const uInt roomBefore = z_.avail_out;
    const int rc = inflate(&z_, Z_NO_FLUSH);
    chunk = chunk.subspan(chunk.size() - z_.avail_in);
    if (full && z_.avail_out == 0) {
        return Status::damaged; // more than 32 KiB in one block
    }
    if (!full) {
        blockOutput_ += roomBefore - z_.avail_out;
    }
    if (rc == Z_STREAM_END) {
        return endBlock();
    }
    return rc == Z_OK || rc == Z_BUF_ERROR ? Status::ok : Status::damaged;
}

Status MszipDecoder::endBlock() {
    haveHistory_ = true;
    step_ = Step::lengthLow;
    if (blockOutput_ != 0 && !sink_(frame_.data(), blockOutput_)) {
        return Status::sinkFailed;
    }
    return Status::ok;
}

Status MszipDecoder::finish() {
    switch (step_) {
    case Step::lengthLow:
    case Step::done:
        return Status::ok;
    case Step::lengthHigh: // the missing high byte reads as 0
        return lengthLow_ == 0 ? Status::ok : Status::truncated;
    default:
        return Status::truncated;
    }
}

} // namespace

std::unique_ptr<StreamStage> makeMszipDecoder(Sink sink) {
    return std::make_unique<MszipDecoder>(std::move(sink));
}

} // namespace szdd::detail
