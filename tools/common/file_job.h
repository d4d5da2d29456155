// SPDX-License-Identifier: GPL-3.0-or-later
// Checks and messages common to the programs that turn one file into another.
#pragma once

#include "platform/file_transform.h"
#include "platform/replacing_file.h"
#include "tools/common/exit_code.h"
#include "tools/common/tool_arguments.h"

#include <functional>
#include <iosfwd>
#include <string>

namespace crunchwise::tools {

// Prints "PROGRAM: FILE: reason" and a line end to `out`.
void reportFailure(std::ostream& out, const char* program, const std::filesystem::path& file,
                   const std::string& reason);

// Checks, before anything is written, that the source is a regular file and
// that the destination is not the source (under any spelling or
// link) and no folder. Returns exitOk, or the exit code after reporting why.
ExitCode checkFileJob(const FileJob& job, const char* program, std::ostream& err);

// The reason text for a destination that could not be opened with the host
// error value `hostError`: a missing folder, a link to a missing file, a
// socket or block device, else the host's text for the error.
std::string destinationFailure(const FileJob& job, int hostError);

// Where a transform writes: into `file` when the destination is a file (the
// writer then writes into it too), else into standard output through
// `write`.
struct TransformOutput {
    ReplacingFile* file = nullptr;
    OutputWriter write;
};
// Turns `source` into `output`. `source` is a regular file read from its
// start, or, with `stream`, standard input read in order.
using Transform = std::function<TransformResult(const PosixFile& source, bool stream,
                                                const TransformOutput& output)>;

enum class Direction {
    compressing, // standard input is held in a temporary first (headers hold the length);
                 // a terminal as standard output is refused
    expanding,   // a terminal as standard input is refused
};

// Turns the source of `job` into its destination: checks the job, opens the
// source and the output, runs `transform`, then moves the output into place
// or reports why not. An expansion whose length differs from the header's,
// or whose data is damaged, is reported (exitCorruptSource) and moved into
// place only where no file was. Returns exitOk, or the exit code after
// reporting.
ExitCode runFileJob(const FileJob& job, const char* program, Direction direction,
                    const Transform& transform, std::ostream& err);

// Reports a transform's failure other than lengthDiffers and damaged (on
// the job's source, or its destination for writeFailed and stopped).
// Returns its exit code (exitOk for ok).
ExitCode reportTransformFailure(const FileJob& job, const char* program,
                                const TransformResult& result, std::ostream& err);

// The reason for a damaged expansion (lengthDiffers or damaged): "expanded N
// bytes, the header says M", or the damage and the bytes expanded before it.
std::string damageReason(const TransformResult& result);

} // namespace crunchwise::tools
