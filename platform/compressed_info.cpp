// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/compressed_info.h"

#include "platform/transform_steps.h"
#include "szdd/kwaj.h"

#include <array>
#include <memory>

namespace crunchwise {
namespace {

std::uint32_t little32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
           static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

void readSzddFields(std::span<const std::uint8_t> start, CompressedInfo& info) {
    if (start.size() < szdd::kHeaderSize) {
        info.header = szdd::Status::headerTruncated;
        return;
    }
    info.method = start[8];
    info.missingChar = start[9];
    info.expandedLength = little32(start, 10);
    info.dataOffset = szdd::kHeaderSize;
    if (start[8] != szdd::kMethodA)
        info.header = szdd::Status::unknownMethod;
}

void readSzFields(std::span<const std::uint8_t> start, CompressedInfo& info) {
    if (start.size() < szdd::kSzHeaderSize) {
        info.header = szdd::Status::headerTruncated;
        return;
    }
    info.expandedLength = little32(start, 8);
    info.dataOffset = szdd::kSzHeaderSize;
}

void readKwajFields(std::span<const std::uint8_t> start, std::uint64_t fileSize,
                    CompressedInfo& info) {
    if (start.size() >= 10)
        info.method = start[8] | start[9] << 8;
    szdd::KwajHeader header;
    info.header = szdd::readKwajHeader(start, fileSize, header);
    if (info.header != szdd::Status::ok)
        return;
    info.expandedLength = header.length;
    info.dataOffset = header.dataOffset;
    if (header.name && !header.name->empty()) {
        info.storedName = *header.name;
        if (header.extension && !header.extension->empty())
            info.storedName += "." + *header.extension;
    }
}

} // namespace

CompressedInfo compressedInfoOf(std::span<const std::uint8_t> start, std::uint64_t fileSize) {
    CompressedInfo info;
    info.format = szdd::detectFormat(start);
    switch (info.format) {
    case szdd::Format::szdd:
        readSzddFields(start, info);
        break;
    case szdd::Format::sz:
        readSzFields(start, info);
        break;
    case szdd::Format::kwaj:
        readKwajFields(start, fileSize, info);
        break;
    case szdd::Format::unknown:
        break;
    }
    return info;
}

int readCompressedInfo(const PosixFile& file, CompressedInfo& info) {
    info = {};
    struct stat status {};
    if (const int error = file.status(status); error != 0)
        return error;
    // SZDD and SZ headers lie in the first bytes, and so does nearly every
    // KWAJ header; only a KWAJ header that runs on (up to 128 KiB) takes the
    // long read, so that a large selection is not read 128 KiB a file.
    for (const std::size_t want : {std::size_t{4096}, szdd::kKwajMaxHeaderSize}) {
        const auto buffer = std::make_unique<std::uint8_t[]>(want);
        const ssize_t got = transform::SourceReader(file, true).fill(buffer.get(), want);
        if (got < 0)
            return static_cast<int>(-got);
        const auto filled = static_cast<std::size_t>(got);
        const std::uint64_t size =
            filled < want ? filled : static_cast<std::uint64_t>(status.st_size);
        info = compressedInfoOf({buffer.get(), filled}, size);
        if (filled < want || info.format != szdd::Format::kwaj ||
            info.header != szdd::Status::headerTruncated)
            return 0;
    }
    return 0;
}

std::string formatAndMethodText(const CompressedInfo& info) {
    static constexpr std::array<const char*, 5> kKwajMethods{"stored", "XOR", "LZSS", "LZH",
                                                             "MS-ZIP"};
    switch (info.format) {
    case szdd::Format::szdd:
        if (info.header == szdd::Status::headerTruncated || info.method == szdd::kMethodA)
            return "SZDD";
        if (info.method > 0x20 && info.method < 0x7F)
            return std::string("SZDD method ") + static_cast<char>(info.method);
        return "SZDD method " + std::to_string(info.method);
    case szdd::Format::sz:
        return "SZ";
    case szdd::Format::kwaj: {
        std::string text = "KWAJ method " + std::to_string(info.method);
        if (info.method >= 0 && static_cast<std::size_t>(info.method) < kKwajMethods.size())
            text += std::string(" (") + kKwajMethods[static_cast<std::size_t>(info.method)] + ")";
        return text;
    }
    case szdd::Format::unknown:
        break;
    }
    return "not compressed";
}

} // namespace crunchwise
