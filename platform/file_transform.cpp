// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/file_transform.h"

#include "szdd/szdd.h"

#include <memory>
#include <new>
#include <vector>

namespace crunchwise {
namespace {

using Status = TransformResult::Status;

TransformResult failed(Status status, int hostError = 0) {
    TransformResult result;
    result.status = status;
    result.hostError = hostError;
    return result;
}

bool sameFile(const struct stat& before, const struct stat& after) {
    return before.st_size == after.st_size && before.st_mtim.tv_sec == after.st_mtim.tv_sec &&
           before.st_mtim.tv_nsec == after.st_mtim.tv_nsec;
}

// Feeds the source from `offset` to its end to `consume`, one chunk at a
// time; `consume` returns false to stop. Returns ok or readFailed, or the
// status set by `consume` through `result`.
template <typename Consume>
TransformResult readChunks(const PosixFile& source, std::uint64_t offset, Consume consume,
                           const std::atomic<bool>* stop = nullptr) {
    // Not cleared first: every byte used is read into it.
    const std::unique_ptr<std::uint8_t[]> chunk(new std::uint8_t[kFileChunkSize]);
    for (;;) {
        if (stop != nullptr && stop->load())
            return failed(Status::stopped);
        const ssize_t got = source.readSomeAt(offset, chunk.get(), kFileChunkSize);
        if (got < 0)
            return failed(Status::readFailed, static_cast<int>(-got));
        if (got == 0)
            return {};
        offset += static_cast<std::uint64_t>(got);
        TransformResult stopped;
        if (!consume(chunk.get(), static_cast<std::size_t>(got), stopped))
            return stopped;
    }
}

TransformResult copyPlain(const PosixFile& source, ReplacingFile& output,
                          const std::atomic<bool>* stop) {
    std::uint64_t total = 0;
    TransformResult result = readChunks(
        source, 0,
        [&](const std::uint8_t* data, std::size_t size, TransformResult& r) {
            if (const int error = output.write(data, size); error != 0) {
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

// Expands the stream after the header; a length other than `header`'s is
// lengthDiffers, with the output kept as far as it was expanded.
TransformResult copyExpanded(const PosixFile& source, const szdd::Header& header,
                             ReplacingFile& output, const std::atomic<bool>* stop) {
    int writeError = 0;
    szdd::Decoder decoder([&](const std::uint8_t* data, std::size_t size) {
        writeError = output.write(data, size);
        return writeError == 0;
    });
    TransformResult result = readChunks(
        source, szdd::kHeaderSize,
        [&](const std::uint8_t* data, std::size_t size, TransformResult& r) {
            if (decoder.feed({data, size}) != szdd::Status::ok) {
                r = failed(Status::writeFailed, writeError);
                return false;
            }
            return true;
        },
        stop);
    if (result.status != Status::ok)
        return result;
    const szdd::Status finished = decoder.finish();
    if (finished != szdd::Status::ok && finished != szdd::Status::truncated)
        return failed(Status::writeFailed, writeError);
    result.compressed = true;
    result.headerLength = header.length;
    result.expandedBytes = decoder.produced();
    if (result.expandedBytes != header.length) {
        result.status = Status::lengthDiffers;
        result.cutInsideMatch = finished == szdd::Status::truncated;
    }
    return result;
}

// The kind of the source: SZDD of method 'A' (its header in `header`), SZDD
// of another method, or anything else. Returns ok, unknownMethod or
// readFailed.
TransformResult sniff(const PosixFile& source, bool& compressed, szdd::Header& header) {
    std::uint8_t start[szdd::kHeaderSize];
    const ssize_t got = source.readSomeAt(0, start, sizeof start);
    if (got < 0)
        return failed(Status::readFailed, static_cast<int>(-got));
    const szdd::Status status = szdd::readHeader({start, static_cast<std::size_t>(got)}, header);
    compressed = status == szdd::Status::ok;
    return status == szdd::Status::unknownMethod ? failed(Status::unknownMethod)
                                                 : TransformResult{};
}

// Checks that the source is as it was before reading, then gives the output
// its modification time.
TransformResult finishOutput(const PosixFile& source, const struct stat& before,
                             ReplacingFile& output, TransformResult result) {
    if (result.status != Status::ok && result.status != Status::lengthDiffers)
        return result;
    struct stat after {};
    if (const int error = source.status(after); error != 0)
        return failed(Status::readFailed, error);
    if (!sameFile(before, after))
        return failed(Status::sourceChanged);
    if (const int error = output.setModificationTime(before.st_mtim); error != 0)
        return failed(Status::writeFailed, error);
    return result;
}

TransformResult expandChecked(const PosixFile& source, ReplacingFile& output,
                              const std::atomic<bool>* stop) {
    struct stat before {};
    if (const int error = source.status(before); error != 0)
        return failed(Status::readFailed, error);
    bool compressed = false;
    szdd::Header header;
    if (TransformResult sniffed = sniff(source, compressed, header); sniffed.status != Status::ok)
        return sniffed;
    TransformResult result =
        compressed ? copyExpanded(source, header, output, stop) : copyPlain(source, output, stop);
    return finishOutput(source, before, output, result);
}

TransformResult compressChecked(const PosixFile& source, std::uint8_t missingChar,
                                ReplacingFile& output) {
    struct stat before {};
    if (const int error = source.status(before); error != 0)
        return failed(Status::readFailed, error);
    const auto length = static_cast<std::uint64_t>(before.st_size);
    if (length > szdd::kMaxLength)
        return failed(Status::tooLarge);
    // The header holds the length found before reading; should the source
    // change meanwhile, the output is refused (see finishOutput).
    szdd::Header header;
    header.missingChar = missingChar;
    header.length = static_cast<std::uint32_t>(length);
    std::uint8_t bytes[szdd::kHeaderSize];
    szdd::writeHeader(header, bytes);
    if (const int error = output.write(bytes, sizeof bytes); error != 0)
        return failed(Status::writeFailed, error);
    int writeError = 0;
    szdd::Encoder encoder([&](const std::uint8_t* data, std::size_t size) {
        writeError = output.write(data, size);
        return writeError == 0;
    });
    auto encoded = [&](szdd::Status status, TransformResult& r) {
        if (status == szdd::Status::tooLarge) {
            r = failed(Status::sourceChanged); // it grew past the length read first
        } else if (status != szdd::Status::ok) {
            r = failed(Status::writeFailed, writeError);
        }
        return status == szdd::Status::ok;
    };
    TransformResult result =
        readChunks(source, 0, [&](const std::uint8_t* data, std::size_t size, TransformResult& r) {
            return encoded(encoder.feed({data, size}), r);
        });
    if (result.status == Status::ok && !encoded(encoder.finish(), result))
        return result;
    result.expandedBytes = encoder.consumed();
    if (result.status == Status::ok && result.expandedBytes != length)
        return failed(Status::sourceChanged);
    return finishOutput(source, before, output, result);
}

} // namespace

TransformResult expandIntoFile(const PosixFile& source, ReplacingFile& output,
                               const std::atomic<bool>* stop) {
    try {
        return expandChecked(source, output, stop);
    } catch (const std::bad_alloc&) {
        return failed(Status::outOfMemory);
    }
}

TransformResult compressIntoFile(const PosixFile& source, std::uint8_t missingChar,
                                 ReplacingFile& output) {
    try {
        return compressChecked(source, missingChar, output);
    } catch (const std::bad_alloc&) {
        return failed(Status::outOfMemory);
    }
}

} // namespace crunchwise
