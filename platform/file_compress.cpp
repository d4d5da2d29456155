// SPDX-License-Identifier: GPL-3.0-or-later
// Compressing: the header, which holds the length found before reading,
// then the data through the format's encoder one chunk at a time.
#include "platform/file_transform.h"

#include "platform/transform_steps.h"
#include "szdd/kwaj.h"

#include <vector>

namespace crunchwise {
namespace {

using Status = TransformResult::Status;
using transform::failed;

// The header of `options`' format for a source of `length` bytes. Returns
// ok, or unknownMethod / badHeader (a KWAJ name or extension too long).
TransformResult headerBytes(const CompressOptions& options, std::uint32_t length,
                            std::vector<std::uint8_t>& out) {
    switch (options.format) {
    case szdd::Format::szdd: {
        out.resize(szdd::kHeaderSize);
        szdd::writeHeader({szdd::kMethodA, options.missingChar, length},
                          std::span<std::uint8_t, szdd::kHeaderSize>(out.data(), out.size()));
        return {};
    }
    case szdd::Format::sz:
        out.resize(szdd::kSzHeaderSize);
        szdd::writeSzHeader(length,
                            std::span<std::uint8_t, szdd::kSzHeaderSize>(out.data(), out.size()));
        return {};
    case szdd::Format::kwaj:
        break;
    case szdd::Format::unknown:
        return failed(Status::unknownMethod);
    }
    if (options.kwajMethod < 0 || options.kwajMethod > szdd::kKwajLastMethod)
        return failed(Status::unknownMethod);
    szdd::KwajHeader header;
    header.method = static_cast<szdd::KwajMethod>(options.kwajMethod);
    header.length = length;
    if (!options.kwajName.empty())
        header.name = options.kwajName;
    if (!options.kwajExtension.empty())
        header.extension = options.kwajExtension;
    if (const szdd::Status status = szdd::writeKwajHeader(header, out);
        status != szdd::Status::ok) {
        TransformResult result = failed(Status::badHeader);
        result.damage = status;
        return result;
    }
    return {};
}

template <typename Encoder>
TransformResult encode(Encoder& encoder, const int& writeError, const PosixFile& source) {
    auto encoded = [&](szdd::Status status, TransformResult& r) {
        if (status == szdd::Status::tooLarge)
            r = failed(Status::sourceChanged); // it grew past the length read first
        else if (status != szdd::Status::ok)
            r = failed(Status::writeFailed, writeError);
        return status == szdd::Status::ok;
    };
    transform::SourceReader reader(source, true);
    TransformResult result = transform::readRest(
        reader,
        [&](const std::uint8_t* data, std::size_t size, TransformResult& r) {
            return encoded(encoder.feed({data, size}), r);
        },
        nullptr);
    if (result.status == Status::ok)
        encoded(encoder.finish(), result);
    result.expandedBytes = encoder.consumed();
    return result;
}

TransformResult compressChecked(const PosixFile& source, const CompressOptions& options,
                                const OutputWriter& write, struct stat& before) {
    if (const int error = source.status(before); error != 0)
        return failed(Status::readFailed, error);
    const auto length = static_cast<std::uint64_t>(before.st_size);
    if (length > szdd::kMaxLength)
        return failed(Status::tooLarge);
    // The header holds the length found before reading; should the source
    // change meanwhile, the output is refused.
    std::vector<std::uint8_t> header;
    if (TransformResult made = headerBytes(options, static_cast<std::uint32_t>(length), header);
        made.status != Status::ok)
        return made;
    if (const int error = write(header.data(), header.size()); error != 0)
        return failed(Status::writeFailed, error);
    int writeError = 0;
    const szdd::Sink sink = [&](const std::uint8_t* data, std::size_t size) {
        writeError = write(data, size);
        return writeError == 0;
    };
    TransformResult result;
    if (options.format == szdd::Format::kwaj) {
        szdd::KwajEncoder encoder(static_cast<szdd::KwajMethod>(options.kwajMethod), sink);
        result = encode(encoder, writeError, source);
    } else {
        szdd::Encoder encoder(sink, options.format == szdd::Format::sz ? szdd::Lzss::sz
                                                                       : szdd::Lzss::szdd);
        result = encode(encoder, writeError, source);
    }
    if (result.status == Status::ok && result.expandedBytes != length)
        return failed(Status::sourceChanged);
    return result;
}

} // namespace

TransformResult compressIntoWriter(const PosixFile& source, const CompressOptions& options,
                                   const OutputWriter& write) {
    return transform::guarded([&] {
        struct stat before {};
        const TransformResult result = compressChecked(source, options, write, before);
        if (result.status != Status::ok)
            return result;
        const TransformResult checked = transform::checkUnchanged(source, before);
        return checked.status == Status::ok ? result : checked;
    });
}

TransformResult compressIntoFile(const PosixFile& source, const CompressOptions& options,
                                 ReplacingFile& output) {
    return transform::guarded([&] {
        struct stat before {};
        const TransformResult result = compressChecked(
            source, options,
            [&](const std::uint8_t* data, std::size_t size) { return output.write(data, size); },
            before);
        return transform::finishOutput(source, before, output, result);
    });
}

TransformResult compressIntoFile(const PosixFile& source, std::uint8_t missingChar,
                                 ReplacingFile& output) {
    CompressOptions options;
    options.missingChar = missingChar;
    return compressIntoFile(source, options, output);
}

} // namespace crunchwise
