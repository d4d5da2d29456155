// SPDX-License-Identifier: GPL-3.0-or-later
// compress() and expand(): the streaming codec over whole buffers.
#include "szdd/szdd.h"

#include <algorithm>

namespace szdd {

namespace {

Sink appendTo(std::vector<std::uint8_t>& out) {
    return [&out](const std::uint8_t* data, std::size_t size) {
        out.insert(out.end(), data, data + size);
        return true;
    };
}

} // namespace

Status compress(std::span<const std::uint8_t> source, std::uint8_t missingChar,
                std::vector<std::uint8_t>& out) {
    if (source.size() > kMaxLength) {
        return Status::tooLarge;
    }
    out.clear();
    out.reserve(kHeaderSize + source.size() / 2 + 64);
    Header header;
    header.missingChar = missingChar;
    header.length = static_cast<std::uint32_t>(source.size());
    out.resize(kHeaderSize);
    writeHeader(header, std::span<std::uint8_t, kHeaderSize>(out.data(), kHeaderSize));

    Encoder encoder(appendTo(out));
    const Status fed = encoder.feed(source);
    if (fed != Status::ok) {
        return fed;
    }
    return encoder.finish();
}

Status expand(std::span<const std::uint8_t> file, std::vector<std::uint8_t>& out) {
    out.clear();
    Header header;
    const Status head = readHeader(file, header);
    if (head != Status::ok) {
        return head;
    }
    // The length field is a hint only; a hostile one must not cause a huge allocation.
    const std::size_t bound = (file.size() - kHeaderSize) * 9;
    out.reserve(std::min<std::size_t>(header.length, bound));

    Decoder decoder(appendTo(out));
    const Status fed = decoder.feed(file.subspan(kHeaderSize));
    if (fed != Status::ok) {
        return fed;
    }
    return decoder.finish();
}

} // namespace szdd
