// SPDX-License-Identifier: GPL-3.0-or-later
// KwajEncoder: the method's encoder behind one sticky status and a count.
#include "szdd/stream_stage.h"

namespace szdd {

namespace detail {

namespace {

std::unique_ptr<StreamStage> makeEncoder(KwajMethod method, Sink sink) {
    switch (method) {
    case KwajMethod::stored:
        return std::make_unique<XorStage>(0x00, std::move(sink));
    case KwajMethod::xorFF:
        return std::make_unique<XorStage>(0xFF, std::move(sink));
    case KwajMethod::lzss:
        return std::make_unique<LzssStage<Encoder>>(std::move(sink));
    case KwajMethod::lzh:
        return makeLzhEncoder(std::move(sink));
    case KwajMethod::mszip:
        return makeMszipEncoder(std::move(sink));
    }
    return nullptr;
}

} // namespace

} // namespace detail

KwajEncoder::KwajEncoder(KwajMethod method, Sink sink)
    : stage_(detail::makeEncoder(method, std::move(sink))) {
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
