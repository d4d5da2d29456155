// SPDX-License-Identifier: GPL-3.0-or-later
#include "szdd/mszip_stream_inflater.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace szdd::detail {

using mszip::kBlockOutput;

MszipStreamInflater::MszipStreamInflater() {
    if (inflateInit2(&main_.z, mszip::kRawWindowBits) != Z_OK)
        throw std::bad_alloc();
    main_.ready = true;
}

MszipStreamInflater::~MszipStreamInflater() {
    for (Lane* lane : {&main_, &twin_})
        if (lane->ready)
            inflateEnd(&lane->z);
}

Status MszipStreamInflater::start(std::uint8_t* frame, std::size_t set) {
    if (const Status s = main_.start(set == 0 ? nullptr : frame, frame); s != Status::ok)
        return s;
    twinOn_ = set != 0 && set < kBlockOutput;
    if (!twinOn_)
        return Status::ok;
    if (!twin_.ready) {
        if (inflateInit2(&twin_.z, mszip::kRawWindowBits) != Z_OK)
            throw std::bad_alloc();
        twin_.ready = true;
        twinFrame_.resize(kBlockOutput);
    }
    std::memcpy(twinFrame_.data(), frame, set);
    std::memset(twinFrame_.data() + set, 0xFF, kBlockOutput - set);
    return twin_.start(twinFrame_.data(), twinFrame_.data());
}

Status MszipStreamInflater::inflateSome(std::span<const std::uint8_t>& from, bool& ended) {
    std::size_t used = 0;
    if (const Status s = main_.inflateSome(from, used, ended); s != Status::ok)
        return s;
    if (twinOn_) {
        // Both read the same bits; only what they copy from the frame can differ.
        std::size_t twinUsed = 0;
        bool twinEnded = false;
        if (twin_.inflateSome(from, twinUsed, twinEnded) != Status::ok || twinUsed != used ||
            twinEnded != ended)
            return Status::damaged;
        if (ended && std::memcmp(main_.out, twin_.out, main_.produced) != 0)
            return Status::damaged;
    }
    from = from.subspan(used);
    return Status::ok;
}

Status MszipStreamInflater::Lane::start(const std::uint8_t* dictionary, std::uint8_t* output) {
    if (inflateReset(&z) != Z_OK ||
        (dictionary != nullptr && inflateSetDictionary(&z, dictionary, kBlockOutput) != Z_OK))
        return Status::damaged;
    out = output;
    produced = 0;
    return Status::ok;
}

Status MszipStreamInflater::Lane::inflateSome(std::span<const std::uint8_t> from, std::size_t& used,
                                              bool& ended) {
    z.next_in = const_cast<Bytef*>(from.data());
    z.avail_in = static_cast<uInt>(std::min<std::size_t>(from.size(), 1u << 30));
    const uInt offered = z.avail_in;
    const bool full = produced == kBlockOutput;
    z.next_out = full ? &spare : out + produced;
    z.avail_out = full ? 1 : static_cast<uInt>(kBlockOutput - produced);
    const uInt roomBefore = z.avail_out;
    const int rc = inflate(&z, Z_NO_FLUSH);
    used = offered - z.avail_in;
    ended = rc == Z_STREAM_END;
    if (full && z.avail_out == 0)
        return Status::damaged; // more than 32 KiB in one block
    if (!full)
        produced += roomBefore - z.avail_out;
    return ended || rc == Z_OK || rc == Z_BUF_ERROR ? Status::ok : Status::damaged;
}

} // namespace szdd::detail
