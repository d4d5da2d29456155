// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/expand/expand_tool.h"

#include "core/expanded_name.h"
#include "platform/file_transform.h"
#include "tools/common/file_job.h"
#include "tools/common/tool_main.h"

#include <ostream>

namespace crunchwise::tools {
namespace {

constexpr const char* kProgram = "expand.exe";

constexpr const char* kHelp =
    R"(Usage: expand.exe [-n] SOURCE DEST
       expand.exe [-n] -r SOURCE... [FOLDER]
Writes the expanded contents of the SZDD (LZ) compressed file SOURCE to DEST;
a file that is not compressed is copied as it is.

  -r         name each output by the expanded-name rule (SETUP.EX_ gives
             SETUP.EXE, a name of no known kind ends in "$"); outputs go into
             FOLDER when the last argument is an existing folder, otherwise
             beside their sources
  -n, --no-clobber
             keep a DEST that exists already: it is reported and not
             replaced
  -h, --help show this help
  --version  show the version

DEST is written under a temporary name and moved into place only when the
whole file was expanded; it is never the source itself. A device or pipe as
DEST is written in place.
A compressed file whose expansion is not as long as its header says (cut
short, damaged, or written by a compressor that gives a wrong length) is
reported as "SOURCE: expanded N bytes, the header says M" with exit code 6:
a new DEST holds what could be expanded, an existing DEST is kept as it was.
Exit codes: 0 success, 1 wrong arguments, 2 source unreadable or changed
while read, 3 destination cannot be written (or already written by this
run), 4 destination is the source, 6 damaged compressed data (another
method, or the length above), 7 out of memory. With several files the first
failure's code is returned.
)";

ExitCode expandFile(const FileJob& job, std::ostream& err) {
    return runFileJob(
        job, kProgram,
        [](const PosixFile& source, ReplacingFile& output) {
            return expandIntoFile(source, output);
        },
        err);
}

} // namespace

int runExpandTool(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    const ToolDescription tool{kProgram, kHelp,
                               [](const std::string& name) { return BuildExpandedName(name); },
                               expandFile};
    return runTool(tool, arguments, out, err);
}

} // namespace crunchwise::tools
