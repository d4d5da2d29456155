// SPDX-License-Identifier: GPL-3.0-or-later
// The command line shared by compress.exe and expand.exe:
//
//     PROGRAM [-n] [--no-follow] SOURCE DEST        (--no-follow: compress.exe only)
//     PROGRAM [-n] [--no-follow] -r SOURCE... [FOLDER]
//
// With -r each output is named after its source; it goes into FOLDER when the
// last argument is an existing folder and at least two are given, otherwise
// beside its source. With -n an output that exists already is kept.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace crunchwise::tools {

struct FileJob {
    std::filesystem::path source;
    std::filesystem::path destination;
    bool keepExisting = false; // -n: an existing destination is not replaced
    // --no-follow: a link at the destination is replaced, never written
    // through; a device, pipe or socket there is refused.
    bool replaceLinks = false;
};

struct ToolCommand {
    enum class Action { run, help, version, usageError };
    Action action = Action::run;
    std::string error; // for usageError
    std::vector<FileJob> jobs;
};

// Names the output of a source file name under -r.
using OutputNamer = std::function<std::string(const std::string& sourceName)>;

// Parses the arguments after the program name; --no-follow is an option
// only when `acceptNoFollow`. Returns usageError with a reason for a missing
// or extra operand or an unknown option.
ToolCommand parseToolArguments(const std::vector<std::string>& arguments,
                               const OutputNamer& outputName, bool acceptNoFollow = false);

} // namespace crunchwise::tools
