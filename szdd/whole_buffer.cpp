// SPDX-License-Identifier: GPL-3.0-or-later
// The whole-buffer conveniences of SZDD, SZ and KWAJ: the streaming codecs
// over buffers held in memory.
#include "szdd/kwaj.h"

#include <algorithm>

namespace szdd {

namespace {

Sink appendTo(std::vector<std::uint8_t>& out) {
    return [&out](const std::uint8_t* data, std::size_t size) {
        out.insert(out.end(), data, data + size);
        return true;
    };
}

// Feeds all of `data` to a decoder or encoder and ends it.
template <typename Codec> Status feedAll(Codec& codec, std::span<const std::uint8_t> data) {
    const Status fed = codec.feed(data);
    return fed == Status::ok ? codec.finish() : fed;
}

// The length field is a hint only; a hostile one must not cause a huge allocation.
void reserveFor(std::uint64_t lengthField, std::size_t streamSize, std::vector<std::uint8_t>& out) {
    out.reserve(std::min<std::uint64_t>(lengthField, std::uint64_t{streamSize} * 9));
}

// Appends the stream to `out`, which already holds the header.
Status encodeAfterHeader(std::span<const std::uint8_t> source, Lzss variant,
                         std::vector<std::uint8_t>& out) {
    Encoder encoder(appendTo(out), variant);
    return feedAll(encoder, source);
}

Status decodeAfterHeader(std::span<const std::uint8_t> stream, std::uint32_t lengthField,
                         Lzss variant, std::vector<std::uint8_t>& out) {
    reserveFor(lengthField, stream.size(), out);
    Decoder decoder(appendTo(out), variant);
    return feedAll(decoder, stream);
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

Status compressKwaj(std::span<const std::uint8_t> source, const KwajHeader& header,
                    std::vector<std::uint8_t>& out) {
    if (source.size() > kMaxLength)
        return Status::tooLarge;
    KwajHeader stored = header;
    stored.length = static_cast<std::uint32_t>(source.size());
    std::vector<std::uint8_t> file;
    if (const Status s = writeKwajHeader(stored, file); s != Status::ok)
        return s;
    file.reserve(file.size() + source.size() / 2 + 64);
    KwajEncoder encoder(header.method, appendTo(file));
    const Status status = feedAll(encoder, source);
    if (status == Status::ok)
        out = std::move(file);
    return status;
}

Status expandKwaj(std::span<const std::uint8_t> file, std::vector<std::uint8_t>& out,
                  KwajHeader* header) {
    out.clear();
    KwajHeader read;
    if (const Status s = readKwajHeader(file, file.size(), read); s != Status::ok)
        return s;
    const auto data = file.subspan(read.dataOffset);
    reserveFor(read.length.value_or(0), data.size(), out);
    KwajDecoder decoder(read.method, appendTo(out));
    const Status status = feedAll(decoder, data);
    if (header)
        *header = std::move(read);
    return status;
}

Status expandAny(std::span<const std::uint8_t> file, std::vector<std::uint8_t>& out) {
    switch (detectFormat(file)) {
    case Format::szdd:
        return expand(file, out);
    case Format::sz:
        return expandSz(file, out);
    case Format::kwaj:
        return expandKwaj(file, out);
    case Format::unknown:
        break;
    }
    out.clear();
    return Status::notCompressed;
}

} // namespace szdd
