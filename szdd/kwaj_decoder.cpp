// SPDX-License-Identifier: GPL-3.0-or-later
// KwajDecoder: the method's decoder behind one sticky status and a count.
#include "szdd/stream_stage.h"

namespace szdd {

KwajDecoder::KwajDecoder(KwajMethod method, Sink sink) {
    Sink counting = [this, sink = std::move(sink)](const std::uint8_t* data, std::size_t size) {
        produced_ += size;
        return sink(data, size);
    };
    stage_ = detail::makeStage(method, /*compressing=*/false, std::move(counting));
    if (!stage_)
        status_ = Status::unknownMethod;
}

KwajDecoder::~KwajDecoder() = default;

Status KwajDecoder::feed(std::span<const std::uint8_t> chunk) {
    if (status_ == Status::ok)
        status_ = stage_->feed(chunk);
    return status_;
}

Status KwajDecoder::finish() {
    if (status_ == Status::ok)
        status_ = stage_->finish();
    return status_;
}

std::uint64_t KwajDecoder::produced() const {
    return produced_;
}

} // namespace szdd
