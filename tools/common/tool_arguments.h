// SPDX-License-Identifier: GPL-3.0-or-later
// The command line shared by compress.exe and expand.exe:
//
//     PROGRAM [OPTION]... SOURCE DEST
//     PROGRAM [OPTION]... -r SOURCE... [FOLDER]
//     expand.exe -l FILE...        expand.exe -t FILE...
//
// With -r each output is named after its source; it goes into FOLDER when the
// last argument is an existing folder and at least two are given, otherwise
// beside its source. With -n an output that exists already is kept. "-" as
// SOURCE or FILE is standard input, as DEST standard output.
#pragma once

#include "platform/file_transform.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace crunchwise::tools {

// The name that stands for standard input or output.
inline constexpr const char* kStandardStream = "-";

struct FileJob {
    std::filesystem::path source;      // "-": standard input
    std::filesystem::path destination; // "-": standard output
    bool keepExisting = false;         // -n: an existing destination is not replaced
    // --no-follow: a link at the destination is replaced, never written
    // through; a device, pipe or socket there is refused.
    bool replaceLinks = false;
};

// Whether `path` stands for standard input or output.
bool isStandardStream(const std::filesystem::path& path);

// The options a tool takes beyond -r, -n, -h and --version.
struct ToolSyntax {
    bool noFollow = false;    // --no-follow (compress.exe)
    bool formats = false;     // --format=szdd|sz|kwaj, --method=N (compress.exe)
    bool listAndTest = false; // -l, -t (expand.exe)
};

struct ToolCommand {
    enum class Action { run, list, test, help, version, usageError };
    Action action = Action::run;
    std::string error;                        // for usageError
    std::vector<FileJob> jobs;                // run
    std::vector<std::filesystem::path> files; // list and test
    CompressOptions compress;                 // --format and --method (format and method only)
};

// Names the output of a source file under -r; gets the source's path.
using OutputNamer = std::function<std::string(const std::filesystem::path& source)>;

// Parses the arguments after the program name. Returns usageError with a
// reason for a missing or extra operand, an unknown option or value, -r on
// standard input, or options that exclude each other.
ToolCommand parseToolArguments(const std::vector<std::string>& arguments,
                               const OutputNamer& outputName, const ToolSyntax& syntax = {});

} // namespace crunchwise::tools
