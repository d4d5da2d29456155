// SPDX-License-Identifier: GPL-3.0-or-later
// The file-to-file core of the LZ library layer, compress.exe and
// expand.exe: a source descriptor read from its start, expanded or
// compressed into a replacing file, which gets the source's modification
// time. The output is neither committed nor discarded here.
#pragma once

#include "platform/posix_file.h"
#include "platform/replacing_file.h"

#include <cstdint>

namespace crunchwise {

struct TransformResult {
    enum class Status {
        ok,
        readFailed,    // the source could not be read (hostError)
        truncated,     // compressed data cut short
        unknownMethod, // an SZDD file of another method than 'A'
        tooLarge,      // a source over 4 GiB - 1 bytes to compress
        sourceChanged, // size or modification time changed while read
        writeFailed,   // the output could not be written (hostError)
        outOfMemory,
    };
    Status status = Status::ok;
    int hostError = 0;               // errno for readFailed and writeFailed
    std::uint64_t expandedBytes = 0; // on ok: written when expanding, read when compressing
};

// Writes the expanded contents of `source` (an SZDD file; any other file is
// copied unchanged) into `output`.
TransformResult expandIntoFile(const PosixFile& source, ReplacingFile& output);

// Writes the SZDD form of `source` into `output`, with `missingChar` (the
// replaced last character of the source's name, or 0) in its header.
TransformResult compressIntoFile(const PosixFile& source, std::uint8_t missingChar,
                                 ReplacingFile& output);

} // namespace crunchwise
