// SPDX-License-Identifier: GPL-3.0-or-later
// One method's coder behind KwajDecoder and KwajEncoder. Internal to the codec.
#pragma once

#include "szdd/kwaj.h"

#include <algorithm>

namespace szdd::detail {

// Takes input in chunks and hands its output to the sink it was made with.
// KwajDecoder and KwajEncoder keep the counts and the sticky status.
class StreamStage {
public:
    virtual ~StreamStage() = default;
    virtual Status feed(std::span<const std::uint8_t> chunk) = 0;
    virtual Status finish() = 0;
};

// Methods 0 and 1, both ways: every byte XOR a mask.
class XorStage final : public StreamStage {
public:
    XorStage(std::uint8_t mask, Sink sink) : mask_(mask), sink_(std::move(sink)) {}

    Status feed(std::span<const std::uint8_t> chunk) override {
        while (!chunk.empty()) {
            const std::size_t n = std::min(chunk.size(), sizeof buffer_);
            for (std::size_t i = 0; i < n; ++i)
                buffer_[i] = chunk[i] ^ mask_;
            if (!sink_(buffer_, n))
                return Status::sinkFailed;
            chunk = chunk.subspan(n);
        }
        return Status::ok;
    }
    Status finish() override { return Status::ok; }

private:
    std::uint8_t mask_;
    Sink sink_;
    std::uint8_t buffer_[1 << 15];
};

// Method 2, both ways: the LZSS Decoder or Encoder of SZ.
template <typename Codec> class LzssStage final : public StreamStage {
public:
    explicit LzssStage(Sink sink) : codec_(std::move(sink), Lzss::sz) {}
    Status feed(std::span<const std::uint8_t> chunk) override { return codec_.feed(chunk); }
    Status finish() override { return codec_.finish(); }

private:
    Codec codec_;
};

// Methods 3 and 4, made in their own files.
std::unique_ptr<StreamStage> makeLzhDecoder(Sink sink);
std::unique_ptr<StreamStage> makeLzhEncoder(Sink sink);
std::unique_ptr<StreamStage> makeMszipDecoder(Sink sink);
std::unique_ptr<StreamStage> makeMszipEncoder(Sink sink);

// The coder of `method` that compresses or expands; null for a method above 4.
inline std::unique_ptr<StreamStage> makeStage(KwajMethod method, bool compressing, Sink sink) {
    switch (method) {
    case KwajMethod::stored:
    case KwajMethod::xorFF:
        return std::make_unique<XorStage>(method == KwajMethod::xorFF ? 0xFF : 0x00,
                                          std::move(sink));
    case KwajMethod::lzss:
        if (compressing)
            return std::make_unique<LzssStage<Encoder>>(std::move(sink));
        return std::make_unique<LzssStage<Decoder>>(std::move(sink));
    case KwajMethod::lzh:
        return compressing ? makeLzhEncoder(std::move(sink)) : makeLzhDecoder(std::move(sink));
    case KwajMethod::mszip:
        return compressing ? makeMszipEncoder(std::move(sink)) : makeMszipDecoder(std::move(sink));
    }
    return nullptr;
}

} // namespace szdd::detail
