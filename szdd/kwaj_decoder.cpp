// SPDX-License-Identifier: GPL-3.0-or-later
// KwajDecoder: the method's decoder behind one sticky status and a count.
#include "szdd/stream_stage.h"

namespace szdd {

namespace detail {

namespace {

std::unique_ptr<StreamStage> makeDecoder(KwajMethod method, Sink sink) {
    switch (method) {
    case KwajMethod::stored:
        return std::make_unique<XorStage>(0x00, std::move(sink));
    case KwajMethod::xorFF:
        return std::make_unique<XorStage>(0xFF, std::move(sink));
    case KwajMethod::lzss:
        return std::make_unique<LzssStage<Decoder>>(std::move(sink));
    case KwajMethod::lzh:
        return makeLzhDecoder(std::move(sink));
    case KwajMethod::mszip:
        return makeMszipDecoder(std::move(sink));
    }
    return nullptr;
}

} // namespace

} // namespace detail

KwajDecoder::KwajDecoder(KwajMethod method, Sink sink) {
    Sink counting = [this, sink = std::move(sink)](const std::uint8_t* data, std::size_t size) {
        produced_ += size;
        return sink(data, size);
    };
    stage_ = detail::makeDecoder(method, std::move(counting));
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
