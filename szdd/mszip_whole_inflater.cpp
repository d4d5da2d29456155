// SPDX-License-Identifier: GPL-3.0-or-later
#include "szdd/mszip_whole_inflater.h"

#include "szdd/deflate_check.h"

#include <cstring>
#include <new>

namespace szdd::detail {

using mszip::kBlockOutput;

namespace {

// A stored deflate block, not the last, of kBlockOutput bytes: the frame.
constexpr std::uint8_t kFrameHeader[] = {0x00, 0x00, 0x80, 0xFF, 0x7F};

} // namespace

MszipWholeInflater::MszipWholeInflater()
    : libdeflate_(libdeflate_alloc_decompressor()), buffer_(kBlockAt + kMaxBlockBytes, 0),
      out_(2 * kBlockOutput) {
    static_assert(sizeof kFrameHeader == kFrameAt);
    if (!libdeflate_)
        throw std::bad_alloc();
    std::memcpy(buffer_.data(), kFrameHeader, sizeof kFrameHeader);
}

MszipWholeInflater::Result MszipWholeInflater::expand(std::size_t size, std::size_t set,
                                                      std::size_t& used,
                                                      std::span<const std::uint8_t>& output) {
    if (!deflate::decodesAlike({block(), size}) || !run(size, set, used, output))
        return Result::undecided;
    if (set == 0 || set == kBlockOutput)
        return Result::expanded;
    return checkUnsetFrame(size, set, used, output);
}

// One libdeflate call on the block, behind the frame when there is history;
// false unless the stream ends within the block after at most kBlockOutput bytes.
bool MszipWholeInflater::run(std::size_t size, std::size_t set, std::size_t& used,
                             std::span<const std::uint8_t>& output) {
    const std::size_t history = set == 0 ? 0 : kBlockOutput;
    const std::size_t before = set == 0 ? 0 : kBlockAt; // input ahead of the block
    std::size_t inSize = 0;
    std::size_t outSize = 0;
    const libdeflate_result result =
        libdeflate_deflate_decompress_ex(libdeflate_.get(), block() - before, before + size,
                                         out_.data(), history + kBlockOutput, &inSize, &outSize);
    if (result != LIBDEFLATE_SUCCESS || inSize < before || outSize < history)
        return false;
    used = inSize - before;
    output = std::span<const std::uint8_t>(out_).subspan(history, outSize - history);
    return true;
}

// Expands the block again with the frame bytes never written changed.
MszipWholeInflater::Result
MszipWholeInflater::checkUnsetFrame(std::size_t size, std::size_t set, std::size_t used,
                                    std::span<const std::uint8_t> output) {
    first_.resize(kBlockOutput);
    std::memcpy(first_.data(), output.data(), output.size());
    std::memset(frame() + set, 0xFF, kBlockOutput - set);
    std::size_t againUsed = 0;
    std::span<const std::uint8_t> again;
    const bool ran = run(size, set, againUsed, again);
    std::memset(frame() + set, 0, kBlockOutput - set);
    if (!ran || againUsed != used || again.size() != output.size() ||
        std::memcmp(again.data(), first_.data(), again.size()) != 0)
        return Result::damaged;
    return Result::expanded;
}

} // namespace szdd::detail
