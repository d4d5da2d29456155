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
// length field says; where its headers show that every inflater decodes it
// alike (deflate_check.h), libdeflate expands it in one call, behind a stored
// block that holds the frame as history. zlib takes the rest, and every
// block libdeflate does not finish within the gathered bytes: it inflates
// them as a stream with the frame as preset dictionary, reading on past them
// where the stream goes on, so it decides what is damaged. Bytes gathered
// past a stream's end are read as what follows it; a block that starts
// among them goes to zlib.
#include "szdd/deflate_check.h"
#include "szdd/mszip_format.h"
#include "szdd/stream_stage.h"

#include <libdeflate.h>
#include <zlib.h>

#include <cstring>
#include <new>
#include <vector>

namespace szdd::detail {

namespace {

using mszip::kBlockOutput;

// A stored deflate block, not the last, of kBlockOutput bytes: the frame.
constexpr std::uint8_t kHistoryHeader[] = {0x00, 0x00, 0x80, 0xFF, 0x7F};
constexpr std::size_t kFrameAt = sizeof kHistoryHeader;
constexpr std::size_t kDataAt = kFrameAt + kBlockOutput;
constexpr std::size_t kMaxGathered = 0xFFFF - 2; // a length field counts "CK"

struct LibdeflateFree {
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

class MszipDecoder final : public StreamStage {
public:
    explicit MszipDecoder(Sink sink)
        : sink_(std::move(sink)), libdeflate_(libdeflate_alloc_decompressor()),
          buffer_(kDataAt + kMaxGathered, 0), out_(2 * kBlockOutput) {
        if (!libdeflate_ || inflateInit2(&z_, mszip::kRawWindowBits) != Z_OK) {
            throw std::bad_alloc();
        }
        std::memcpy(buffer_.data(), kHistoryHeader, sizeof kHistoryHeader);
    }
    ~MszipDecoder() override { inflateEnd(&z_); }

    Status feed(std::span<const std::uint8_t> chunk) override {
        const Status s = readAll(chunk);
        settleFrame(); // the chunk is the caller's only until we return
        return s;
    }
    Status finish() override;

private:
    enum class Step { lengthLow, lengthHigh, signatureC, signatureK, gathering, inflating, done };

    std::uint8_t* frame() { return buffer_.data() + kFrameAt; }
    std::uint8_t* gathered() { return buffer_.data() + kDataAt; }
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
    bool inflateWhole(std::span<const std::uint8_t> block, std::size_t& used,
                      std::size_t& produced);
    Status startStream();
    Status inflateSome(std::span<const std::uint8_t>& from);
    Status endBlock(const std::uint8_t* output, std::size_t size);
    Status endBlockInChunk(std::span<const std::uint8_t> data);

    Sink sink_;
    std::unique_ptr<libdeflate_decompressor, LibdeflateFree> libdeflate_;
    z_stream z_{};
    std::vector<std::uint8_t> buffer_;      // kHistoryHeader, the frame, the gathered bytes
    std::vector<std::uint8_t> out_;         // libdeflate's output: the frame, then the block
    std::span<const std::uint8_t> pending_; // gathered bytes not yet read
    const std::uint8_t* lent_ = nullptr;    // the frame's start, still in the caller's chunk
    std::size_t lentSize_ = 0;
    std::size_t want_ = 0; // bytes the length field gives the block
    std::size_t gatheredSize_ = 0;
    std::uint8_t spare_ = 0;      // catches a byte past a full frame
    std::size_t blockOutput_ = 0; // bytes of zlib's current block in the frame
    bool haveHistory_ = false;    // a block was expanded into the frame
    Step step_ = Step::lengthLow;
    unsigned length_ = 0;
};

Status MszipDecoder::readAll(std::span<const std::uint8_t> chunk) {
    while (step_ != Step::done) {
        std::span<const std::uint8_t>& from = pending_.empty() ? chunk : pending_;
        if (from.empty()) {
            break;
        }
        if (const Status s = advance(from); s != Status::ok) {
            return s;
        }
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
        if (byte != mszip::kSignature[1]) {
            return Status::damaged;
        }
        if (!pending_.empty()) {
            return startStream(); // the block starts among bytes gathered for another
        }
        want_ = length_ < 2 ? 0 : length_ - 2;
        gatheredSize_ = 0;
        step_ = Step::gathering;
        return want_ == 0 ? runGathered() : Status::ok;
    }
}

Status MszipDecoder::gather(std::span<const std::uint8_t>& from) {
    // A stored block at hand needs no gathering.
    std::span<const std::uint8_t> data;
    if (gatheredSize_ == 0 && deflate::onlyStored(from.first(std::min(from.size(), want_)), data)) {
        from = from.subspan(static_cast<std::size_t>(data.end() - from.begin()));
        return endBlockInChunk(data);
    }
    const std::size_t n = std::min(from.size(), want_ - gatheredSize_);
    std::memcpy(gathered() + gatheredSize_, from.data(), n);
    gatheredSize_ += n;
    from = from.subspan(n);
    return gatheredSize_ == want_ ? runGathered() : Status::ok;
}

// Expands the gathered bytes with libdeflate where it decides alike, else
// hands them to zlib.
Status MszipDecoder::runGathered() {
    const std::span<const std::uint8_t> block(gathered(), gatheredSize_);
    if (std::span<const std::uint8_t> data; deflate::onlyStored(block, data)) {
        pending_ = block.subspan(static_cast<std::size_t>(data.end() - block.begin()));
        return endBlock(data.data(), data.size());
    }
    std::size_t used = 0;
    std::size_t produced = 0;
    settleFrame();
    if (deflate::decodesAlike(block) && inflateWhole(block, used, produced)) {
        pending_ = block.subspan(used);
        return endBlock(out_.data() + (haveHistory_ ? kBlockOutput : 0), produced);
    }
    pending_ = block;
    return startStream();
}

// libdeflate on the frame as a stored block, then `block`; false unless the
// stream ends within `block` after at most kBlockOutput bytes.
bool MszipDecoder::inflateWhole(std::span<const std::uint8_t> block, std::size_t& used,
                                std::size_t& produced) {
    const std::size_t history = haveHistory_ ? kBlockOutput : 0;
    const std::size_t before = haveHistory_ ? kDataAt : 0; // input ahead of `block`
    std::size_t inSize = 0;
    std::size_t outSize = 0;
    const libdeflate_result result = libdeflate_deflate_decompress_ex(
        libdeflate_.get(), block.data() - before, before + block.size(), out_.data(),
        history + kBlockOutput, &inSize, &outSize);
    if (result != LIBDEFLATE_SUCCESS || inSize < before || outSize < history) {
        return false;
    }
    used = inSize - before;
    produced = outSize - history;
    return true;
}

Status MszipDecoder::startStream() {
    settleFrame();
    if (inflateReset(&z_) != Z_OK) {
        return Status::damaged;
    }
    if (haveHistory_ && inflateSetDictionary(&z_, frame(), kBlockOutput) != Z_OK) {
        return Status::damaged;
    }
    blockOutput_ = 0;
    step_ = Step::inflating;
    return Status::ok;
}

// Inflates with zlib from `from`, taking what it consumed off its front.
Status MszipDecoder::inflateSome(std::span<const std::uint8_t>& from) {
    z_.next_in = const_cast<Bytef*>(from.data());
    z_.avail_in = static_cast<uInt>(std::min<std::size_t>(from.size(), 1u << 30));
    const bool full = blockOutput_ == kBlockOutput;
    z_.next_out = full ? &spare_ : frame() + blockOutput_;
    z_.avail_out = full ? 1 : static_cast<uInt>(kBlockOutput - blockOutput_);
    const uInt roomBefore = z_.avail_out;
    const int rc = inflate(&z_, Z_NO_FLUSH);
    from = from.subspan(from.size() - z_.avail_in);
    if (full && z_.avail_out == 0) {
        return Status::damaged; // more than 32 KiB in one block
    }
    if (!full) {
        blockOutput_ += roomBefore - z_.avail_out;
    }
    if (rc == Z_STREAM_END) {
        return endBlock(frame(), blockOutput_);
    }
    return rc == Z_OK || rc == Z_BUF_ERROR ? Status::ok : Status::damaged;
}

// The block's `size` bytes at `output` become the start of the frame.
Status MszipDecoder::endBlock(const std::uint8_t* output, std::size_t size) {
    if (output != frame()) {
        settleFrame();
        std::memcpy(frame(), output, size);
    }
    haveHistory_ = true;
    step_ = Step::lengthLow;
    if (size != 0 && !sink_(frame(), size)) {
        return Status::sinkFailed;
    }
    return Status::ok;
}

// A stored block read in place from the caller's chunk: handed on from there,
// and copied into the frame only once the frame is needed or the chunk goes.
Status MszipDecoder::endBlockInChunk(std::span<const std::uint8_t> data) {
    if (data.size() < lentSize_) {
        settleFrame(); // the part of the frame past this block comes from the one before
    }
    lent_ = data.data();
    lentSize_ = data.size();
    haveHistory_ = true;
    step_ = Step::lengthLow;
    return data.empty() || sink_(data.data(), data.size()) ? Status::ok : Status::sinkFailed;
}

Status MszipDecoder::finish() {
    // No more input: a block still gathering gets what there is.
    while (step_ == Step::gathering) {
        if (const Status s = runGathered(); s != Status::ok) {
            return s;
        }
        if (const Status s = readAll({}); s != Status::ok) {
            return s;
        }
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
