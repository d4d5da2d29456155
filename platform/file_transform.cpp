// SPDX-License-Identifier: GPL-3.0-or-later
// Expanding: the header is read from the first bytes of the source (enough
// for the longest KWAJ header), then the data is fed to the format's
// decoder one chunk at a time.
#include "platform/file_transform.h"

#include "platform/transform_steps.h"
#include "szdd/kwaj.h"

#include <limits>
#include <span>

namespace crunchwise {
namespace {

using Status = TransformResult::Status;
using transform::failed;
using transform::SourceReader;

// The first bytes of a source, up to the longest header.
struct Head {
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t size = 0;
    bool whole = false; // the source ends within them
    std::span<const std::uint8_t> from(std::size_t offset) const {
        return {bytes.get() + std::min(offset, size), size - std::min(offset, size)};
    }
};

TransformResult readHead(SourceReader& reader, Head& head) {
    head.bytes.reset(new std::uint8_t[szdd::kKwajMaxHeaderSize]);
    const ssize_t got = reader.fill(head.bytes.get(), szdd::kKwajMaxHeaderSize);
    if (got < 0)
        return failed(Status::readFailed, static_cast<int>(-got));
    head.size = static_cast<std::size_t>(got);
    head.whole = head.size < szdd::kKwajMaxHeaderSize;
    return {};
}

TransformResult copyPlain(SourceReader& reader, const Head& head, const OutputWriter& write,
                          const std::atomic<bool>* stop) {
    std::uint64_t total = head.size;
    if (write)
        if (const int error = write(head.bytes.get(), head.size); error != 0)
            return failed(Status::writeFailed, error);
    TransformResult result = transform::readRest(
        reader,
        [&](const std::uint8_t* data, std::size_t size, TransformResult& r) {
            if (const int error = write ? write(data, size) : 0; error != 0) {
                r = failed(Status::writeFailed, error);
                return false;
            }
            total += size;
            return true;
        },
        stop);
    result.expandedBytes = total;
    return result;
}

// How the decoder's end compares with the header: a length other than the
// stored one is lengthDiffers; damaged data, or a KWAJ file without a
// stored length cut inside an item, is damaged.
void judgeEnd(szdd::Status finished, std::optional<std::uint32_t> expected, bool kwaj,
              TransformResult& result) {
    if (finished == szdd::Status::damaged) {
        result.status = Status::damaged;
        result.damage = finished;
    } else if (expected && result.expandedBytes != *expected) {
        result.status = Status::lengthDiffers;
        result.cutInsideMatch = finished == szdd::Status::truncated;
    } else if (kwaj && finished == szdd::Status::truncated) {
        result.status = Status::damaged;
        result.damage = finished;
    }
}

// Feeds the data (from `dataOffset` of the head on) to `decoder`, whose sink
// sets `writeError`.
template <typename Decoder>
TransformResult decode(Decoder& decoder, const int& writeError, SourceReader& reader,
                       const Head& head, std::size_t dataOffset, const std::atomic<bool>* stop) {
    const auto fed = [&](szdd::Status status, TransformResult& r) {
        if (status == szdd::Status::sinkFailed) {
            r = failed(Status::writeFailed, writeError);
        } else if (status != szdd::Status::ok) {
            r.status = Status::damaged;
            r.damage = status;
        }
        return status == szdd::Status::ok;
    };
    TransformResult result;
    if (fed(decoder.feed(head.from(dataOffset)), result) && !head.whole)
        result = transform::readRest(
            reader,
            [&](const std::uint8_t* data, std::size_t size, TransformResult& r) {
                return fed(decoder.feed({data, size}), r);
            },
            stop);
    if (result.status == Status::damaged)
        result.expandedBytes = decoder.produced();
    return result;
}

template <typename Decoder>
TransformResult decodeAll(Decoder& decoder, const int& writeError, SourceReader& reader,
                          const Head& head, const CompressedInfo& info,
                          const std::atomic<bool>* stop) {
    TransformResult result = decode(decoder, writeError, reader, head, info.dataOffset, stop);
    result.headerLength = info.expandedLength.value_or(0);
    if (result.status != Status::ok)
        return result;
    const szdd::Status finished = decoder.finish();
    if (finished == szdd::Status::sinkFailed)
        return failed(Status::writeFailed, writeError);
    result.expandedBytes = decoder.produced();
    judgeEnd(finished, info.expandedLength, info.format == szdd::Format::kwaj, result);
    return result;
}

TransformResult expandData(SourceReader& reader, const Head& head, const CompressedInfo& info,
                           const OutputWriter& write, const std::atomic<bool>* stop) {
    int writeError = 0;
    const szdd::Sink sink = [&](const std::uint8_t* data, std::size_t size) {
        writeError = write ? write(data, size) : 0;
        return writeError == 0;
    };
    // The header was read into `info` already.
    if (info.format == szdd::Format::kwaj) {
        szdd::KwajDecoder decoder(static_cast<szdd::KwajMethod>(info.method), sink);
        return decodeAll(decoder, writeError, reader, head, info, stop);
    }
    szdd::Decoder decoder(sink,
                          info.format == szdd::Format::sz ? szdd::Lzss::sz : szdd::Lzss::szdd);
    return decodeAll(decoder, writeError, reader, head, info, stop);
}

TransformResult expandFrom(SourceReader& reader, const OutputWriter& write,
                           const std::atomic<bool>* stop) {
    Head head;
    if (TransformResult read = readHead(reader, head); read.status != Status::ok)
        return read;
    const CompressedInfo info = compressedInfoOf(
        head.from(0), head.whole ? head.size : std::numeric_limits<std::uint64_t>::max());
    if (info.format == szdd::Format::unknown)
        return copyPlain(reader, head, write, stop);
    TransformResult result = info.header != szdd::Status::ok
                                 ? headerRefused(info)
                                 : expandData(reader, head, info, write, stop);
    result.compressed = true;
    result.format = info.format;
    result.method = info.method;
    return result;
}

} // namespace

TransformResult headerRefused(const CompressedInfo& info) {
    TransformResult result = failed(
        info.header == szdd::Status::unknownMethod ? Status::unknownMethod : Status::badHeader);
    result.damage = info.header;
    return result;
}

TransformResult expandIntoFile(const PosixFile& source, ReplacingFile& output,
                               const std::atomic<bool>* stop) {
    return transform::guarded([&] {
        struct stat before {};
        if (const int error = source.status(before); error != 0)
            return failed(Status::readFailed, error);
        SourceReader reader(source, true);
        const TransformResult result = expandFrom(
            reader,
            [&](const std::uint8_t* data, std::size_t size) { return output.write(data, size); },
            stop);
        return transform::finishOutput(source, before, output, result);
    });
}

TransformResult expandStream(const PosixFile& source, const OutputWriter& write,
                             const std::atomic<bool>* stop) {
    return transform::guarded([&] {
        SourceReader reader(source, false);
        return expandFrom(reader, write, stop);
    });
}

} // namespace crunchwise
