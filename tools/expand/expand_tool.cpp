// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/expand/expand_tool.h"

#include "commands/expanded_name.h"
#include "platform/lz_expand.h"
#include "tools/common/file_job.h"
#include "tools/common/tool_main.h"

#include <ostream>

namespace crunchwise::tools {
namespace {

constexpr const char* kProgram = "expand.exe";

constexpr const char* kHelp =
    R"(Usage: expand.exe SOURCE DEST
       expand.exe -r SOURCE... [FOLDER]
Writes the expanded contents of the SZDD (LZ) compressed file SOURCE to DEST;
a file that is not compressed is copied as it is.

  -r         name each output by the expanded-name rule (SETUP.EX_ gives
             SETUP.EXE, a name of no known kind ends in "$"); outputs go into
             FOLDER when the last argument is an existing folder, otherwise
             beside their sources
  -h, --help show this help
  --version  show the version

DEST is written under a temporary name and moved into place only when the
whole file was expanded; it is never the source itself.
Exit codes: 0 success, 1 wrong arguments, 2 source unreadable, 3 destination
cannot be written, 4 destination is the source, 6 damaged compressed data,
7 out of memory. With several files the first failure's code is returned.
)";

// The exit code and message for a negative LZ library result.
ExitCode reportCopyFailure(const FileJob& job, std::int64_t code, std::ostream& err) {
    switch (code) {
    case LZERROR_BADINHANDLE:
        reportFailure(err, kProgram, job.source, "cannot be opened");
        return exitSourceUnreadable;
    case LZERROR_READ:
        reportFailure(err, kProgram, job.source, "read failure or compressed data cut short");
        return exitCorruptSource;
    case LZERROR_UNKNOWNALG:
        reportFailure(err, kProgram, job.source, "unknown compression method");
        return exitCorruptSource;
    case LZERROR_GLOBALLOC:
        reportFailure(err, kProgram, job.source, "out of memory");
        return exitOutOfMemory;
    default:
        reportFailure(err, kProgram, job.destination, "write failure (disk full?)");
        return exitDestinationFailed;
    }
}

ExitCode expandFile(const FileJob& job, std::ostream& err) {
    if (const ExitCode checked = checkFileJob(job, kProgram, err); checked != exitOk) {
        return checked;
    }
    OFSTRUCT record;
    const int source = LZOpenFileA(job.source.string(), record, OF_READ);
    if (source < 0) {
        return reportCopyFailure(job, source, err);
    }
    const int destination = LZOpenFileA(job.destination.string(), record, OF_CREATE);
    if (destination < 0) {
        LZClose(source);
        reportFailure(err, kProgram, job.destination, destinationFailure(job, 0));
        return exitDestinationFailed;
    }
    const std::int64_t copied = LZCopy(source, destination);
    LZClose(source);
    const int closed = LZClose(destination);
    if (copied < 0) {
        return reportCopyFailure(job, copied, err);
    }
    if (closed < 0) {
        reportFailure(err, kProgram, job.destination, "cannot be moved into place");
        return exitDestinationFailed;
    }
    return exitOk;
}

} // namespace

int runExpandTool(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    const ToolDescription tool{kProgram, kHelp,
                               [](const std::string& name) { return BuildExpandedName(name); },
                               expandFile};
    return runTool(tool, arguments, out, err);
}

} // namespace crunchwise::tools
