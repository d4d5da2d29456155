// SPDX-License-Identifier: GPL-3.0-or-later
// KWAJ method 4's encoder: zlib's raw deflate on blocks of 32 KiB, each with
// the block before as its preset dictionary, then a length of 0. A block
// that deflate makes larger than it is goes out as one stored deflate block.
//
// Every block but the last holds exactly 32 KiB, so the frame a reader
// expands into holds the block before, byte for byte, where the dictionary
// said it would.
#include "szdd/mszip_format.h"
#include "szdd/stream_stage.h"

#include <zlib.h>

#include <cstring>
#include <new>
#include <stdexcept>
#include <vector>

namespace szdd::detail {

namespace {

using mszip::kBlockOutput;

class MszipEncoder final : public StreamStage {
public:
    explicit MszipEncoder(Sink sink)
        : sink_(std::move(sink)), block_(kBlockOutput), previous_(kBlockOutput) {
        if (deflateInit2(&z_, Z_BEST_COMPRESSION, Z_DEFLATED, mszip::kRawWindowBits, 9,
                         Z_DEFAULT_STRATEGY) != Z_OK)
            throw std::bad_alloc();
        packed_.resize(4 + deflateBound(&z_, kBlockOutput));
    }
    ~MszipEncoder() override { deflateEnd(&z_); }

    Status feed(std::span<const std::uint8_t> chunk) override {
        while (!chunk.empty()) {
            const std::size_t n = std::min(chunk.size(), kBlockOutput - fill_);
            std::memcpy(block_.data() + fill_, chunk.data(), n);
            fill_ += n;
            chunk = chunk.subspan(n);
            if (fill_ == kBlockOutput) {
                if (const Status s = writeBlock(); s != Status::ok)
                    return s;
            }
        }
        return Status::ok;
    }

    Status finish() override {
        if (fill_ != 0) {
            if (const Status s = writeBlock(); s != Status::ok)
                return s;
        }
        const std::uint8_t end[2] = {0, 0};
        return sink_(end, sizeof end) ? Status::ok : Status::sinkFailed;
    }

private:
    static constexpr std::size_t kStoredHeader = 5; // last, type 0; length and its complement

    Status writeBlock();
    std::size_t storeBlock();

    Sink sink_;
    z_stream z_{};
    std::vector<std::uint8_t> block_;    // the source of the block being filled
    std::vector<std::uint8_t> previous_; // the last block written, a full one
    std::vector<std::uint8_t> packed_;   // length, "CK", deflate stream
    std::size_t fill_ = 0;
    bool havePrevious_ = false;
};

Status MszipEncoder::writeBlock() {
    // With the state made and room for the bound, zlib cannot fail here.
    if (deflateReset(&z_) != Z_OK ||
        (havePrevious_ && deflateSetDictionary(&z_, previous_.data(), kBlockOutput) != Z_OK))
        throw std::logic_error("zlib refused a preset dictionary");
    z_.next_in = block_.data();
    z_.avail_in = static_cast<uInt>(fill_);
    z_.next_out = packed_.data() + 4;
    z_.avail_out = static_cast<uInt>(packed_.size() - 4);
    if (deflate(&z_, Z_FINISH) != Z_STREAM_END)
        throw std::logic_error("zlib deflate did not finish a block");
    std::size_t size = packed_.size() - 4 - z_.avail_out;
    if (size > kStoredHeader + fill_)
        size = storeBlock();
    const std::size_t length = 2 + size;
    packed_[0] = static_cast<std::uint8_t>(length);
    packed_[1] = static_cast<std::uint8_t>(length >> 8);
    packed_[2] = mszip::kSignature[0];
    packed_[3] = mszip::kSignature[1];
    if (!sink_(packed_.data(), 4 + size))
        return Status::sinkFailed;
    std::swap(block_, previous_);
    havePrevious_ = true;
    fill_ = 0;
    return Status::ok;
}

// Writes the block's source as one stored deflate block; returns its size.
std::size_t MszipEncoder::storeBlock() {
    std::uint8_t* at = packed_.data() + 4;
    at[0] = 1; // the last block, stored
    at[1] = static_cast<std::uint8_t>(fill_);
    at[2] = static_cast<std::uint8_t>(fill_ >> 8);
    at[3] = static_cast<std::uint8_t>(~fill_);
    at[4] = static_cast<std::uint8_t>(~fill_ >> 8);
    std::memcpy(at + kStoredHeader, block_.data(), fill_);
    return kStoredHeader + fill_;
}

} // namespace

std::unique_ptr<StreamStage> makeMszipEncoder(Sink sink) {
    return std::make_unique<MszipEncoder>(std::move(sink));
}

} // namespace szdd::detail
