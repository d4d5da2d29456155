// SPDX-License-Identifier: GPL-3.0-or-later
// compress() and expand() for SZDD and SZ: the streaming codec over whole buffers.
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

// Appends the stream to `out`, which already holds the header.
Status encodeAfterHeader(std::span<const std::uint8_t> source, Lzss variant,
                         std::vector<std::uint8_t>& out) {
    Encoder encoder(appendTo(out), variant);
    const Status fed = encoder.feed(source);
    if (fed != Status::ok)
        return fed;
    return encoder.finish();
}

Status decodeAfterHeader(std::span<const std::uint8_t> stream, std::uint32_t lengthField,
                         Lzss variant, std::vector<std::uint8_t>& out) {
    // The length field is a hint only; a hostile one must not cause a huge allocation.
    out.reserve(std::min<std::size_t>(lengthField, stream.size() * 9));
    Decoder decoder(appendTo(out), variant);
    const Status fed = decoder.feed(stream);
    if (fed != Status::ok)
        return fed;
    return decoder.finish();
}

} // namespace

Status compress(std::span<const std::uint8_t> source, std::uint8_t missingChar,
                std::vector<std::uint8_t>& out) {
    if (source.size() > kMaxLength)
        return Status::tooLarge;
    out.clear();
    out.reserve(kHeaderSize + source.size() / 2 + 64);
    Header header;
    header.missingChar = missingChar;
    header.length = static_cast<std::uint32_t>(source.size());
    out.resize(kHeaderSize);
    writeHeader(header, std::span<std::uint8_t, kHeaderSize>(out.data(), kHeaderSize));
    return encodeAfterHeader(source, Lzss::szdd, out);
}

Status expand(std::span<const std::uint8_t> file, std::vector<std::uint8_t>& out) {
    out.clear();
    Header header;
    const Status head = readHeader(file, header);
    if (head != Status::ok)
        return head;
    return decodeAfterHeader(file.subspan(kHeaderSize), header.length, Lzss::szdd, out);
}

Status compressSz(std::span<const std::uint8_t> source, std::vector<std::uint8_t>& out) {
    if (source.size() > kMaxLength)
        return Status::tooLarge;
    out.clear();
    out.reserve(kSzHeaderSize + source.size() / 2 + 64);
    out.resize(kSzHeaderSize);
    writeSzHeader(static_cast<std::uint32_t>(source.size()),
                  std::span<std::uint8_t, kSzHeaderSize>(out.data(), kSzHeaderSize));
    return encodeAfterHeader(source, Lzss::sz, out);
}

Status expandSz(std::span<const std::uint8_t> file, std::vector<std::uint8_t>& out) {
    out.clear();
    std::uint32_t length = 0;
    const Status head = readSzHeader(file, length);
    if (head != Status::ok)
        return head;
    return decodeAfterHeader(file.subspan(kSzHeaderSize), length, Lzss::sz, out);
}

} // namespace szdd
