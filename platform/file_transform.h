// SPDX-License-Identifier: GPL-3.0-or-later
// The file-to-file core of the LZ library layer, compress.exe and
// expand.exe: a source descriptor expanded or compressed into a replacing
// file (which gets the source's modification time), into any other writer
// (standard output), or, to check a compressed file, into nothing. The
// output is neither committed nor discarded here. Memory use does not
// depend on the file size.
#pragma once

#include "platform/compressed_info.h"
#include "platform/posix_file.h"
#include "platform/replacing_file.h"
#include "szdd/szdd.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace crunchwise {

struct TransformResult {
    enum class Status {
        ok,
        readFailed,    // the source could not be read (hostError)
        lengthDiffers, // expanded a length other than the header's (see below)
        unknownMethod, // SZDD of another method than 'A', KWAJ above 4 (`damage`)
        tooLarge,      // a source over 4 GiB - 1 bytes to compress
        sourceChanged, // size or modification time changed while read
        writeFailed,   // the output could not be written (hostError)
        outOfMemory,
        stopped,   // the caller's stop flag was set
        badHeader, // a header that is refused; nothing was written (`damage`)
        damaged,   // data that no compressor writes; what came before is written
    };
    Status status = Status::ok;
    int hostError = 0; // errno for readFailed and writeFailed
    // On ok, lengthDiffers and damaged: written when expanding, read when
    // compressing.
    std::uint64_t expandedBytes = 0;
    bool compressed = false;        // expanding: the source is compressed (else copied)
    std::uint32_t headerLength = 0; // expanding: the length its header gives, 0 when none
    bool cutInsideMatch = false;    // lengthDiffers: the data ends inside an item
    szdd::Format format = szdd::Format::unknown; // expanding: the source's format
    int method = 0;                              // expanding: its method (see CompressedInfo)
    // Why, for badHeader, damaged and unknownMethod (szdd::statusText).
    szdd::Status damage = szdd::Status::ok;
};

// The failure for a header that `info` says is refused: unknownMethod or
// badHeader, with `damage` saying why.
TransformResult headerRefused(const CompressedInfo& info);

// Takes output bytes; returns 0 or an errno value.
using OutputWriter = std::function<int(const std::uint8_t* data, std::size_t size)>;

// Writes the expanded contents of `source` (an SZDD, SZ or KWAJ file; any
// other file is copied unchanged), read from its start, into `output`.
// An SZDD or SZ file, or a KWAJ file that stores its length, whose
// expansion is not as long as its header says gives lengthDiffers, with the
// output holding what could be expanded: the file was cut short or is
// damaged, or its compressor wrote a wrong length; the two cannot be told
// apart. Data that no compressor writes (bad codes or blocks; a KWAJ file
// without a stored length cut inside an item) gives damaged, with the
// output holding what came before. The output then has the source's
// modification time too. A refused header gives badHeader or unknownMethod
// with nothing written. When `stop` is given and becomes true, the work
// ends within one chunk with `stopped`.
TransformResult expandIntoFile(const PosixFile& source, ReplacingFile& output,
                               const std::atomic<bool>* stop = nullptr);

// The same from the source's current position to its end, read in order
// (a pipe or terminal works: nothing is checked with stat or seek), into
// `write`; with an empty `write` nothing is written (a check of the data).
// Never gives sourceChanged.
TransformResult expandStream(const PosixFile& source, const OutputWriter& write,
                             const std::atomic<bool>* stop = nullptr);

// What to write when compressing.
struct CompressOptions {
    szdd::Format format = szdd::Format::szdd; // szdd, sz or kwaj
    int kwajMethod = 3;                       // KWAJ: 0 to 4
    std::uint8_t missingChar = 0;             // SZDD: the replaced last character of the name, or 0
    std::string kwajName;                     // KWAJ: stored when not empty, at most 8 bytes
    std::string kwajExtension;                // KWAJ: stored when not empty, at most 3 bytes
};

// Writes the compressed form of `source` (a regular file, read from its
// start) into `output`: SZDD with the missing character, SZ, or KWAJ of
// the method with the expanded length and, where given, name and
// extension. Returns ok, readFailed, tooLarge, sourceChanged, writeFailed,
// outOfMemory, or unknownMethod (no such format or KWAJ method; nothing
// written).
TransformResult compressIntoFile(const PosixFile& source, const CompressOptions& options,
                                 ReplacingFile& output);
// The same into `write` (standard output); the modification time is not set.
TransformResult compressIntoWriter(const PosixFile& source, const CompressOptions& options,
                                   const OutputWriter& write);
// SZDD with `missingChar`: compressIntoFile with those options.
TransformResult compressIntoFile(const PosixFile& source, std::uint8_t missingChar,
                                 ReplacingFile& output);

} // namespace crunchwise
