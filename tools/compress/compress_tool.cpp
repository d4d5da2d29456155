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
    R"(Usage: compress.exe [OPTION]... SOURCE DEST
       compress.exe [OPTION]... -r SOURCE... [FOLDER]
Writes the compressed form of SOURCE to DEST: SZDD (LZ) unless --format
says otherwise. "-" as SOURCE is standard input, as DEST standard output.

  --format=FORMAT
               szdd (the default): LZSS, with the last character of the
                 source's name in the header;
               sz: the older SZ variant of the same LZSS;
               kwaj: KWAJ of the --method given, with the expanded length
                 and, when they fit 8.3 (README.TXT), the source's name
                 and extension
  --method=N   the KWAJ method: 0 stored, 1 XOR, 2 LZSS, 3 LZH (the
               default), 4 MS-ZIP
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
pipe written in place, unless --no-follow is given. Standard output is
written directly; a terminal is refused. Standard input is read into an
unnamed temporary file in $TMPDIR (or /tmp) first, as every format's header
holds the length; nothing of the name is stored then.
Sources larger than 4 GiB - 1 are refused.
Exit codes: 0 success, 1 wrong arguments, 2 source unreadable or changed
while read, 3 destination cannot be written (or already written by this
run, or a terminal), 4 destination is the source, 5 source too large, 7 out
of memory. With several files the first failure's code is returned.
)";

// The options for one source: its name's last character (SZDD) or its 8.3
// name (KWAJ); standard input has no name.
CompressOptions optionsFor(const ToolCommand& command, const FileJob& job) {
    CompressOptions options = command.compress;
    if (isStandardStream(job.source))
        return options;
    const std::string name = job.source.filename().string();
    options.missingChar = missingCharacter(name);
    if (options.format == szdd::Format::kwaj)
        splitShortName(name, options.kwajName, options.kwajExtension);
    return options;
}

ExitCode compressFile(const ToolCommand& command, const FileJob& job, std::ostream& err) {
    const CompressOptions options = optionsFor(command, job);
    return runFileJob(
        job, kProgram, Direction::compressing,
        [&options](const PosixFile& source, bool, const TransformOutput& output) {
            return output.file != nullptr ? compressIntoFile(source, options, *output.file)
                                          : compressIntoWriter(source, options, output.write);
        },
        err);
}

} // namespace

int runCompressTool(const std::vector<std::string>& arguments, std::ostream& out,
                    std::ostream& err) {
    ToolDescription tool;
    tool.program = kProgram;
    tool.help = kHelp;
    tool.outputName = [](const std::filesystem::path& source) {
        return compressedName(source.filename().string());
    };
    tool.convert = compressFile;
    tool.syntax.noFollow = true;
    tool.syntax.formats = true;
    return runTool(tool, arguments, out, err);
}

} // namespace crunchwise::tools
