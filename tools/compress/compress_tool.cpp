// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/compress/compress_tool.h"

#include "core/compressed_name.h"
#include "platform/file_transform.h"
#include "tools/common/file_job.h"
#include "tools/common/tool_main.h"

#include <ostream>

namespace crunchwise::tools {
namespace {

constexpr const char* kProgram = "compress.exe";

constexpr const char* kHelp =
    R"(Usage: compress.exe [-n] [--no-follow] SOURCE DEST
       compress.exe [-n] [--no-follow] -r SOURCE... [FOLDER]
Writes the SZDD (LZ) compressed form of SOURCE to DEST.

  -r           name each output after its source, with the last character
               replaced by "_" (SETUP.EXE gives SETUP.EX_); outputs go into
               FOLDER when the last argument is an existing folder, otherwise
               beside their sources
  -n, --no-clobber
               keep a DEST that exists already: it is reported and not
               replaced
  --no-follow  never write through a symbolic link at DEST: the link itself
               is replaced by the new file (the file it names is left
               alone); a device, pipe or socket at DEST is refused
  -h, --help   show this help
  --version    show the version

DEST is written under a temporary name and moved into place when complete;
it is never the source itself. A link at DEST is followed and a device or
pipe written in place, unless --no-follow is given.
Sources larger than 4 GiB - 1 are refused.
Exit codes: 0 success, 1 wrong arguments, 2 source unreadable or changed
while read, 3 destination cannot be written (or already written by this
run), 4 destination is the source, 5 source too large, 7 out of memory.
With several files the first failure's code is returned.
)";

ExitCode compressFile(const FileJob& job, std::ostream& err) {
    const std::uint8_t missingChar = missingCharacter(job.source.filename().string());
    return runFileJob(
        job, kProgram,
        [missingChar](const PosixFile& source, ReplacingFile& output) {
            return compressIntoFile(source, missingChar, output);
        },
        err);
}

} // namespace

int runCompressTool(const std::vector<std::string>& arguments, std::ostream& out,
                    std::ostream& err) {
    const ToolDescription tool{kProgram, kHelp,
                               [](const std::string& name) { return compressedName(name); },
                               compressFile, true};
    return runTool(tool, arguments, out, err);
}

} // namespace crunchwise::tools
