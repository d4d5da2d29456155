// SPDX-License-Identifier: GPL-3.0-or-later
// Status names, format detection and the SZDD and SZ headers.
#include "szdd/szdd.h"

#include <algorithm>

namespace szdd {

const char* statusText(Status status) {
    switch (status) {
    case Status::ok:
        return "ok";
    case Status::notSzdd:
        return "not an SZDD file";
    case Status::unknownMethod:
        return "unknown compression method";
    case Status::truncated:
        return "compressed data is truncated";
    case Status::tooLarge:
        return "file is too large (more than 4 GiB)";
    case Status::sinkFailed:
        return "output could not be written";
    case Status::notSz:
        return "not an SZ file";
    case Status::notKwaj:
        return "not a KWAJ file";
    case Status::notCompressed:
        return "not a compressed file (SZDD, SZ or KWAJ)";
    case Status::headerTruncated:
        return "header is cut short";
    case Status::badName:
        return "stored name is too long (over 8 characters, or extension over 3)";
    case Status::badDataOffset:
        return "data offset lies past the end of the file";
    case Status::damaged:
        return "compressed data is damaged";
    }
    return "unknown status";
}

namespace {

bool startsWith(std::span<const std::uint8_t> data, const std::uint8_t (&magic)[8]) {
    return data.size() >= 8 && std::equal(std::begin(magic), std::end(magic), data.begin());
}

std::uint32_t littleEndian32(const std::uint8_t* at) {
    return at[0] | (at[1] << 8) | (at[2] << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

void putLittleEndian32(std::uint32_t value, std::uint8_t* at) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

} // namespace

Format detectFormat(std::span<const std::uint8_t> start) {
    if (startsWith(start, kMagic))
        return Format::szdd;
    if (startsWith(start, kSzMagic))
        return Format::sz;
    return startsWith(start, kKwajMagic) ? Format::kwaj : Format::unknown;
}

void writeHeader(const Header& header, std::span<std::uint8_t, kHeaderSize> out) {
    std::copy(std::begin(kMagic), std::end(kMagic), out.begin());
    out[8] = header.method;
    out[9] = header.missingChar;
    putLittleEndian32(header.length, &out[10]);
}

Status readHeader(std::span<const std::uint8_t> data, Header& header) {
    if (data.size() < kHeaderSize || !startsWith(data, kMagic))
        return Status::notSzdd;
    if (data[8] != kMethodA)
        return Status::unknownMethod;
    header.method = data[8];
    header.missingChar = data[9];
    header.length = littleEndian32(&data[10]);
    return Status::ok;
}

void writeSzHeader(std::uint32_t length, std::span<std::uint8_t, kSzHeaderSize> out) {
    std::copy(std::begin(kSzMagic), std::end(kSzMagic), out.begin());
    putLittleEndian32(length, &out[8]);
}

Status readSzHeader(std::span<const std::uint8_t> data, std::uint32_t& length) {
    if (data.size() < kSzHeaderSize || !startsWith(data, kSzMagic))
        return Status::notSz;
    length = littleEndian32(&data[8]);
    return Status::ok;
}

} // namespace szdd
