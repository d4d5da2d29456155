// SPDX-License-Identifier: GPL-3.0-or-later
// Checks and messages common to the programs that turn one file into another.
#pragma once

#include "tools/common/exit_code.h"
#include "tools/common/tool_arguments.h"

#include <iosfwd>
#include <string>

namespace crunchwise::tools {

// Prints "PROGRAM: FILE: reason" and a line end to `out`.
void reportFailure(std::ostream& out, const char* program, const std::filesystem::path& file,
                   const std::string& reason);

// Checks, before anything is written, that the source is a readable regular
// file and that the destination is not the source (under any spelling or
// link) and no folder. Returns exitOk, or the exit code after reporting why.
ExitCode checkFileJob(const FileJob& job, const char* program, std::ostream& err);

// The reason text for a destination that could not be created: a missing
// folder, else the text of the host's error value (0 when unknown).
std::string destinationFailure(const FileJob& job, int hostError);

} // namespace crunchwise::tools
