// SPDX-License-Identifier: GPL-3.0-or-later
// Checks and messages common to the programs that turn one file into another.
#pragma once

#include "platform/file_transform.h"
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

// Turns the source of `job` into its destination: checks the job, opens the
// source and the output, runs `transform`, then moves the output into place
// or reports why not. An expansion whose length differs from the header's
// is reported with both lengths (exitCorruptSource) and moved into place
// only where no file was. Returns exitOk, or the exit code after reporting.
using Transform = std::function<TransformResult(const PosixFile& source, ReplacingFile& output)>;
ExitCode runFileJob(const FileJob& job, const char* program, const Transform& transform,
                    std::ostream& err);

} // namespace crunchwise::tools
