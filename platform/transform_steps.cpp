// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/transform_steps.h"

namespace crunchwise::transform {

using Status = TransformResult::Status;

ssize_t SourceReader::read(std::uint8_t* data, std::size_t size) {
    const ssize_t got =
        positioned_ ? source_.readSomeAt(offset_, data, size) : source_.readSome(data, size);
    if (got > 0)
        offset_ += static_cast<std::uint64_t>(got);
    return got;
}

ssize_t SourceReader::fill(std::uint8_t* data, std::size_t size) {
    std::size_t filled = 0;
    while (filled < size) {
        const ssize_t got = read(data + filled, size - filled);
        if (got < 0)
            return got;
        if (got == 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    return static_cast<ssize_t>(filled);
}

TransformResult failed(Status status, int hostError) {
    TransformResult result;
    result.status = status;
    result.hostError = hostError;
    return result;
}

std::unique_ptr<std::uint8_t[]> chunkBuffer() {
    // Not cleared: every byte used is read into it first.
    return std::unique_ptr<std::uint8_t[]>(new std::uint8_t[kFileChunkSize]);
}

TransformResult checkUnchanged(const PosixFile& source, const struct stat& before) {
    struct stat after {};
    if (const int error = source.status(after); error != 0)
        return failed(Status::readFailed, error);
    const bool same = before.st_size == after.st_size &&
                      before.st_mtim.tv_sec == after.st_mtim.tv_sec &&
                      before.st_mtim.tv_nsec == after.st_mtim.tv_nsec;
    return same ? TransformResult{} : failed(Status::sourceChanged);
}

TransformResult finishOutput(const PosixFile& source, const struct stat& before,
                             ReplacingFile& output, TransformResult result) {
    if (result.status != Status::ok && result.status != Status::lengthDiffers &&
        result.status != Status::damaged)
        return result;
    if (TransformResult checked = checkUnchanged(source, before); checked.status != Status::ok)
        return checked;
    if (const int error = output.setModificationTime(before.st_mtim); error != 0)
        return failed(Status::writeFailed, error);
    return result;
}

} // namespace crunchwise::transform
