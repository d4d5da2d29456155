// SPDX-License-Identifier: GPL-3.0-or-later
// Packs literals and matches into groups of a control byte and up to eight
// items, and hands the packed bytes to a sink in large pieces.
#pragma once

#include "szdd/lzss_format.h"
#include "szdd/szdd.h"

#include <cstdint>
#include <vector>

namespace szdd {

class GroupWriter {
public:
    explicit GroupWriter(Sink sink) : sink_(std::move(sink)) { pending_.reserve(kFlushAt + 32); }

    void literal(std::uint8_t byte) {
        begin();
        pending_[control_] |= static_cast<std::uint8_t>(1u << items_);
        pending_.push_back(byte);
        end();
    }
    // `ringPos` is the ring slot of the first source byte; length kMinMatch to kMaxMatch.
    void match(unsigned ringPos, unsigned length) {
        begin();
        pending_.push_back(static_cast<std::uint8_t>(ringPos & 0xFF));
        pending_.push_back(
            static_cast<std::uint8_t>(((ringPos >> 4) & 0xF0) | (length - lzss::kMinMatch)));
        end();
    }
    // Hands complete groups to the sink once enough have piled up; with
    // `all`, also the last, partial group. Returns false when the sink refused.
    bool flush(bool all) {
        if (!all && pending_.size() < kFlushAt)
            return true;
        const std::size_t keep = (all || items_ == 0) ? pending_.size() : control_;
        const bool ok = keep == 0 || sink_(pending_.data(), keep);
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(keep));
        control_ = 0;
        if (all)
            items_ = 0;
        return ok;
    }

private:
    static constexpr std::size_t kFlushAt = std::size_t{1} << 16;

    void begin() {
        if (items_ == 0) {
            control_ = pending_.size();
            pending_.push_back(0);
        }
    }
    void end() { items_ = (items_ + 1) % lzss::kItemsPerGroup; }

    Sink sink_;
    std::vector<std::uint8_t> pending_;
    std::size_t control_ = 0; // index of the current group's control byte
    unsigned items_ = 0;      // items in the current group
};

} // namespace szdd
