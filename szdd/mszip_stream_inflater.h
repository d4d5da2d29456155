// SPDX-License-Identifier: GPL-3.0-or-later
// KWAJ method 4: zlib inflating one block as a stream, in pieces of input of
// any size, with the frame as preset dictionary. Internal to the codec.
//
// It expands the block into the frame itself (zlib keeps its own copy of the
// dictionary), at most kBlockOutput bytes. Where only the first `set` bytes
// of the frame were ever written, a second stream expands the block beside
// it with the others changed (0xFF for 0x00): a block whose two outputs
// differ refers to frame bytes never written, and is damaged.
#pragma once

#include "szdd/mszip_format.h"
#include "szdd/szdd.h"

#include <zlib.h>

#include <span>
#include <vector>

namespace szdd::detail {

class MszipStreamInflater {
public:
    MszipStreamInflater();
    ~MszipStreamInflater();
    MszipStreamInflater(const MszipStreamInflater&) = delete;
    MszipStreamInflater& operator=(const MszipStreamInflater&) = delete;

    // Starts a block after `frame` (kBlockOutput bytes, the first `set`
    // written; 0: no history), to be expanded over it.
    Status start(std::uint8_t* frame, std::size_t set);
    // Inflates from `from`, taking what was read off its front; `ended` once
    // the stream ends, its output then the first produced() bytes of the
    // frame. `damaged` for a fault in the stream, more than kBlockOutput
    // bytes of output, or a reference to frame bytes never written.
    Status inflateSome(std::span<const std::uint8_t>& from, bool& ended);
    std::size_t produced() const { return main_.produced; }

private:
    struct Lane {
        z_stream z{};
        bool ready = false; // inflateInit2 succeeded
        std::uint8_t* out = nullptr;
        std::size_t produced = 0;
        std::uint8_t spare = 0; // catches a byte past a full frame

        Status start(const std::uint8_t* dictionary, std::uint8_t* output);
        Status inflateSome(std::span<const std::uint8_t> from, std::size_t& used, bool& ended);
    };

    Lane main_;
    Lane twin_;
    bool twinOn_ = false;
    std::vector<std::uint8_t> twinFrame_; // empty until needed
};

} // namespace szdd::detail
