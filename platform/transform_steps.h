// SPDX-License-Identifier: GPL-3.0-or-later
// Steps shared by the expanding and compressing transforms: reading a source
// in order, failing with a status, and finishing a replacing output.
#pragma once

#include "platform/file_transform.h"

#include <memory>

namespace crunchwise::transform {

// Reads a source from its start with positioned reads (a regular file,
// whose own position is left alone), or from its current position with
// plain reads (a pipe or terminal too).
class SourceReader {
public:
    SourceReader(const PosixFile& source, bool positioned)
        : source_(source), positioned_(positioned) {}
    // Reads up to `size` bytes. Returns the count (0 at the end) or minus errno.
    ssize_t read(std::uint8_t* data, std::size_t size);
    // Reads until `size` bytes are read or the end is reached. Returns the
    // count or minus errno.
    ssize_t fill(std::uint8_t* data, std::size_t size);

private:
    const PosixFile& source_;
    bool positioned_;
    std::uint64_t offset_ = 0;
};

TransformResult failed(TransformResult::Status status, int hostError = 0);

// A new buffer of kFileChunkSize bytes, not cleared.
std::unique_ptr<std::uint8_t[]> chunkBuffer();

// Feeds the rest of `reader` to `consume` chunk by chunk; `consume` returns
// false to stop after setting its result. Returns ok, readFailed, stopped or
// what `consume` set.
template <typename Consume>
TransformResult readRest(SourceReader& reader, Consume consume, const std::atomic<bool>* stop) {
    const std::unique_ptr<std::uint8_t[]> chunk = chunkBuffer();
    for (;;) {
        if (stop != nullptr && stop->load())
            return failed(TransformResult::Status::stopped);
        const ssize_t got = reader.read(chunk.get(), kFileChunkSize);
        if (got < 0)
            return failed(TransformResult::Status::readFailed, static_cast<int>(-got));
        if (got == 0)
            return {};
        TransformResult result;
        if (!consume(chunk.get(), static_cast<std::size_t>(got), result))
            return result;
    }
}

// Whether the source is as it was before reading (`before`): ok, readFailed
// or sourceChanged.
TransformResult checkUnchanged(const PosixFile& source, const struct stat& before);

// Checks that the source is unchanged, then gives the output its
// modification time; passes `result` on unless it is a failure that leaves
// no output.
TransformResult finishOutput(const PosixFile& source, const struct stat& before,
                             ReplacingFile& output, TransformResult result);

// Calls `work`, turning std::bad_alloc into outOfMemory.
template <typename Work> TransformResult guarded(Work work) {
    try {
        return work();
    } catch (const std::bad_alloc&) {
        return failed(TransformResult::Status::outOfMemory);
    }
}

} // namespace crunchwise::transform
