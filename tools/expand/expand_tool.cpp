// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/expand/expand_tool.h"

#include "core/expanded_name.h"
#include "platform/compressed_info.h"
#include "platform/file_transform.h"
#include "tools/common/file_job.h"
#include "tools/common/tool_main.h"
#include "tools/expand/expand_list.h"

#include <fcntl.h>
#include <ostream>

namespace crunchwise::tools {
namespace {

constexpr const char* kProgram = "expand.exe";

constexpr const char* kHelp =
    R"(Usage: expand.exe [-n] SOURCE DEST
       expand.exe [-n] -r SOURCE... [FOLDER]
       expand.exe -l FILE...
       expand.exe -t FILE...
Writes the expanded contents of the compressed file SOURCE to DEST. SZDD
(LZ), its older SZ variant and KWAJ (methods 0 to 4: stored, XOR, LZSS, LZH,
MS-ZIP) are read; a file that is not compressed is copied as it is. "-" as
SOURCE or FILE is standard input, as DEST standard output.

  -r         name each output as the file proposes: a KWAJ file's stored
             name (README.TXT), else the expanded-name rule (SETUP.EX_ gives
             SETUP.EXE; a name of no known kind ends in the character the
             SZDD header keeps, else "$"); outputs go into FOLDER when the
             last argument is an existing folder, otherwise beside their
             sources
  -n, --no-clobber
             keep a DEST that exists already: it is reported and not
             replaced
  -l         list each FILE: compressed and expanded size, ratio, format and
             method, and the name it expands to (as -r would name it)
  -t         check each FILE by expanding it into nothing; prints only
             what is damaged
  -h, --help show this help
  --version  show the version

DEST is written under a temporary name and moved into place only when the
whole file was expanded; it is never the source itself. A device or pipe as
DEST, and standard output, are written directly.
A compressed file whose expansion is not as long as its header says (cut
short, damaged, or written by a compressor that gives a wrong length) is
reported as "SOURCE: expanded N bytes, the header says M"; damaged data as
"SOURCE: compressed data is damaged after N expanded bytes"; both with exit
code 6: a new DEST holds what could be expanded, an existing DEST is kept as
it was. A refused header ("header is cut short", an unknown method, a KWAJ
name over 8 characters...) writes nothing and exits with 6 too.
Exit codes: 0 success (-t: every file sound), 1 wrong arguments, 2 source
unreadable or changed while read, 3 destination cannot be written (or
already written by this run), 4 destination is the source, 6 damaged
compressed data (a refused header, damaged data, or the length above), 7
out of memory. With several files the first failure's code is returned.
)";

ExitCode expandFile(const ToolCommand&, const FileJob& job, std::ostream& err) {
    return runFileJob(
        job, kProgram, Direction::expanding,
        [](const PosixFile& source, bool stream, const TransformOutput& output) {
            if (output.file != nullptr && !stream)
                return expandIntoFile(source, *output.file);
            return expandStream(source, output.write);
        },
        err);
}

// The name -r gives the output of `source`: see ProposedExpandedName. A
// source that is no regular file is not read (it is refused later).
std::string proposedName(const std::filesystem::path& source) {
    CompressedInfo info;
    PosixFile file;
    struct stat status {};
    if (file.open(source, O_RDONLY | O_NONBLOCK) != 0 || file.status(status) != 0 ||
        !S_ISREG(status.st_mode) || readCompressedInfo(file, info) != 0)
        info = {};
    return ProposedExpandedName(source.filename().string(), info);
}

int listOrTest(const ToolCommand& command, std::ostream& out, std::ostream& err) {
    return command.action == ToolCommand::Action::list ? listFiles(command, out, err)
                                                       : testFiles(command, err);
}

} // namespace

int runExpandTool(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    ToolDescription tool;
    tool.program = kProgram;
    tool.help = kHelp;
    tool.outputName = proposedName;
    tool.convert = expandFile;
    tool.syntax.listAndTest = true;
    tool.listOrTest = listOrTest;
    return runTool(tool, arguments, out, err);
}

} // namespace crunchwise::tools
