// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/szdd_file.h"

#include "szdd/kwaj.h"

#include <fstream>
#include <stdexcept>

namespace crunchwise::testing {

const Bytes kReferenceCompressed = {0x53, 0x5a, 0x44, 0x44, 0x88, 0xf0, 0x27, 0x33, 0x41,
                                    0x74, 0x75, 0x14, 0x00, 0x00, 0xdf, 0x54, 0x68, 0x69,
                                    0x73, 0x20, 0xf2, 0xf0, 0x61, 0x20, 0xff, 0x74, 0x65,
                                    0x73, 0x74, 0x20, 0x66, 0x69, 0x6c, 0x03, 0x65, 0x2e};
const std::string kReferenceText = "This is a test file.";

Bytes compressed(const Bytes& data, char missingChar) {
    Bytes out;
    if (szdd::compress(data, static_cast<std::uint8_t>(missingChar), out) != szdd::Status::ok)
        throw std::runtime_error("szdd::compress failed");
    return out;
}

Bytes kwajOf(int method, const Bytes& data, const std::string& name, const std::string& extension) {
    szdd::KwajHeader header;
    header.method = static_cast<szdd::KwajMethod>(method);
    if (!name.empty())
        header.name = name;
    if (!extension.empty())
        header.extension = extension;
    Bytes out;
    if (szdd::compressKwaj(data, header, out) != szdd::Status::ok)
        throw std::runtime_error("szdd::compressKwaj failed");
    return out;
}

Bytes kwajBytes(std::uint16_t method, std::uint16_t flags, const Bytes& fields, const Bytes& data,
                int offset) {
    Bytes file(std::begin(szdd::kKwajMagic), std::end(szdd::kKwajMagic));
    const auto at = static_cast<std::uint16_t>(offset >= 0 ? offset : 14 + fields.size());
    for (const std::uint16_t value : {method, at, flags}) {
        file.push_back(static_cast<std::uint8_t>(value));
        file.push_back(static_cast<std::uint8_t>(value >> 8));
    }
    file.insert(file.end(), fields.begin(), fields.end());
    file.insert(file.end(), data.begin(), data.end());
    return file;
}

Bytes cutInsideMatch() {
    constexpr std::uint8_t kMatchControl = 0x00; // all eight items of the group are matches
    constexpr std::uint8_t kFirstMatchByte = 0x10;
    Bytes file = compressed(Bytes{'a'});
    file.resize(szdd::kHeaderSize);
    file.push_back(kMatchControl);
    file.push_back(kFirstMatchByte);
    return file;
}

namespace {
// `file` (an SZDD file) with `length` as its header's expanded length.
Bytes withHeaderLength(Bytes file, std::uint32_t length) {
    constexpr std::size_t kLengthOffset = 10;
    for (std::size_t i = 0; i < 4; ++i)
        file.at(kLengthOffset + i) = static_cast<std::uint8_t>(length >> (8 * i));
    return file;
}
} // namespace

Bytes referenceWithTrueLength() {
    return withHeaderLength(kReferenceCompressed, std::uint32_t(kReferenceText.size()));
}

void writeZeroStream(const std::filesystem::path& path, std::uint64_t groups) {
    constexpr std::uint64_t kGroupBytes = 17;
    constexpr std::uint64_t kGroupExpands = 24;
    const Bytes header = withHeaderLength(compressed({}), std::uint32_t(groups * kGroupExpands));
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(header.data()), szdd::kHeaderSize);
    }
    std::filesystem::resize_file(path, szdd::kHeaderSize + groups * kGroupBytes);
}

} // namespace crunchwise::testing
