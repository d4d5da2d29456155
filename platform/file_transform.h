// SPDX-License-Identifier: GPL-3.0-or-later
// The file-to-file core of the LZ library layer, compress.exe and
// expand.exe: a source descriptor read from its start, expanded or
// compressed into a replacing file, which gets the source's modification
// time. The output is neither committed nor discarded here.
#pragma once

#include "platform/posix_file.h"
#include "platform/replacing_file.h"

#include <atomic>
#include <cstdint>

namespace crunchwise {

struct TransformResult {
    enum class Status {
        ok,
        readFailed,    // the source could not be read (hostError)
        lengthDiffers, // expanded a length other than the header's (see below)
        unknownMethod, // an SZDD file of another method than 'A'
        tooLarge,      // a source over 4 GiB - 1 bytes to compress
        sourceChanged, // size or modification time changed while read
        writeFailed,   // the output could not be written (hostError)
        outOfMemory,
        stopped, // the caller's stop flag was set
    };
    Status status = Status::ok;
    int hostError = 0; // errno for readFailed and writeFailed
    // On ok and lengthDiffers: written when expanding, read when compressing.
    std::uint64_t expandedBytes = 0;
    bool compressed = false;        // expanding: the source is SZDD (else copied)
    std::uint32_t headerLength = 0; // expanding SZDD: the length its header gives
    bool cutInsideMatch = false;    // lengthDiffers: the data ends inside a match
};

// Writes the expanded contents of `source` (an SZDD file; any other file is
// copied unchanged) into `output`. An SZDD file whose expansion is not as
// long as its header says gives lengthDiffers, with the output holding what
// could be expanded: the file was cut short or is damaged, or its
// compressor wrote a wrong length; the two cannot be told apart. The output
// then has the source's modification time too. When `stop` is given and
// becomes true, the work ends within one chunk with `stopped`.
TransformResult expandIntoFile(const PosixFile& source, ReplacingFile& output,
                               const std::atomic<bool>* stop = nullptr);

// Writes the SZDD form of `source` into `output`, with `missingChar` (the
// replaced last character of the source's name, or 0) in its header.
TransformResult compressIntoFile(const PosixFile& source, std::uint8_t missingChar,
                                 ReplacingFile& output);

} // namespace crunchwise
