// SPDX-License-Identifier: GPL-3.0-or-later
// KWAJ method 4: libdeflate expanding a whole block in one call. Internal to
// the codec.
//
// It holds the frame behind the header of a stored deflate block, and the
// bytes of a block right after it, so that libdeflate takes the frame as the
// history the block refers back into. It decides only the blocks that every
// inflater decodes alike (deflate_check.h), and only those it finishes
// within their bytes; the rest are left to zlib.
//
// Of the frame, only the first `set` bytes were ever written (each block is
// expanded to the start of the frame). A block that refers to the others is
// damaged; it is found by expanding the block again with those bytes changed
// (0xFF for 0x00): its output then differs.
#pragma once

#include "szdd/mszip_format.h"

#include <libdeflate.h>

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace szdd::detail {

class MszipWholeInflater {
public:
    static constexpr std::size_t kMaxBlockBytes = 0xFFFF - 2; // a length field counts "CK"

    MszipWholeInflater();

    // kBlockOutput bytes; those not written by a block are 0.
    std::uint8_t* frame() { return buffer_.data() + kFrameAt; }
    // Room for kMaxBlockBytes bytes of a block.
    std::uint8_t* block() { return buffer_.data() + kBlockAt; }

    enum class Result { expanded, undecided, damaged };
    // Expands the first `size` bytes at block(), after the frame of which the
    // first `set` bytes were written (0: no history). When expanded, `used`
    // bytes made the stream and `output` is what it expanded to, valid until
    // the next call; damaged: it refers to frame bytes never written.
    Result expand(std::size_t size, std::size_t set, std::size_t& used,
                  std::span<const std::uint8_t>& output);

private:
    static constexpr std::size_t kFrameAt = 5; // after the stored block's header
    static constexpr std::size_t kBlockAt = kFrameAt + mszip::kBlockOutput;

    struct Free {
        void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
    };

    bool run(std::size_t size, std::size_t set, std::size_t& used,
             std::span<const std::uint8_t>& output);
    Result checkUnsetFrame(std::size_t size, std::size_t set, std::size_t used,
                           std::span<const std::uint8_t> output);

    std::unique_ptr<libdeflate_decompressor, Free> libdeflate_;
    std::vector<std::uint8_t> buffer_; // stored block header, frame, block
    std::vector<std::uint8_t> out_;    // the frame again, then the block's output
    std::vector<std::uint8_t> first_;  // the first of two outputs; empty until needed
};

} // namespace szdd::detail
