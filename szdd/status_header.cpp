// SPDX-License-Identifier: GPL-3.0-or-later
// Status names and the 14-byte file header.
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
    }
    return "unknown status";
}

void writeHeader(const Header& header, std::span<std::uint8_t, kHeaderSize> out) {
    std::copy(std::begin(kMagic), std::end(kMagic), out.begin());
    out[8] = header.method;
    out[9] = header.missingChar;
    for (int i = 0; i < 4; ++i) {
        out[10 + i] = static_cast<std::uint8_t>(header.length >> (8 * i));
    }
}

Status readHeader(std::span<const std::uint8_t> data, Header& header) {
    if (data.size() < kHeaderSize) {
        return Status::notSzdd;
    }
    if (!std::equal(std::begin(kMagic), std::end(kMagic), data.begin())) {
        return Status::notSzdd;
    }
    if (data[8] != kMethodA) {
        return Status::unknownMethod;
    }
    header.method = data[8];
    header.missingChar = data[9];
    header.length = 0;
    for (int i = 0; i < 4; ++i) {
        header.length |= static_cast<std::uint32_t>(data[10 + i]) << (8 * i);
    }
    return Status::ok;
}

} // namespace szdd
