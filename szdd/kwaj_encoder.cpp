// SPDX-License-Identifier: GPL-3.0-or-later
// KwajEncoder: the method's encoder behind one sticky status and a count.
#include "szdd/stream_stage.h"

namespace szdd {

KwajEncoder::KwajEncoder(KwajMethod method, Sink sink)
    : stage_(detail::makeStage(method, /*compressing=*/true, std::move(sink))) {
    if (!stage_)
        status_ = Status::unknownMethod;
}

KwajEncoder::~KwajEncoder() = default;

Status KwajEncoder::feed(std::span<const std::uint8_t> chunk) {
    if (status_ != Status::ok)
        return status_;
    if (chunk.size() > kMaxLength - consumed_)
        return Status::tooLarge;
    consumed_ += chunk.size();
    status_ = stage_->feed(chunk);
    return status_;
}

Status KwajEncoder::finish() {
    if (status_ == Status::ok)
        status_ = stage_->finish();
    return status_;
}

std::uint64_t KwajEncoder::consumed() const {
    return consumed_;
}

} // namespace szdd
