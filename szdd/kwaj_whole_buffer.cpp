// SPDX-License-Identifier: GPL-3.0-or-later
// compressKwaj(), expandKwaj() and expandAny(): whole buffers.
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

} // namespace

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
    Status status = encoder.feed(source);
    if (status == Status::ok)
        status = encoder.finish();
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
    // The length field is a hint only; a hostile one must not cause a huge allocation.
    out.reserve(std::min<std::size_t>(read.length.value_or(0), data.size() * 9));
    KwajDecoder decoder(read.method, appendTo(out));
    Status status = decoder.feed(data);
    if (status == Status::ok)
        status = decoder.finish();
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
