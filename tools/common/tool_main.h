// SPDX-License-Identifier: GPL-3.0-or-later
// The driver shared by compress.exe and expand.exe: parse the command line,
// answer --help and --version, then turn each source into its output.
#pragma once

#include "tools/common/exit_code.h"
#include "tools/common/tool_arguments.h"

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace crunchwise::tools {

struct ToolDescription {
    const char* program = nullptr; // "compress.exe"
    const char* help = nullptr;    // the --help text
    OutputNamer outputName;
    // Writes one output; reports its own failures on the error stream.
    std::function<ExitCode(const ToolCommand&, const FileJob&, std::ostream& err)> convert;
    ToolSyntax syntax; // the options it takes beyond the common ones
    // Runs -l or -t on the command's files. Returns the exit code.
    std::function<int(const ToolCommand&, std::ostream& out, std::ostream& err)> listOrTest;
};

// Runs the tool on `arguments` (without the program name). Returns exitOk,
// exitUsage, or the exit code of the first file that failed; later files
// are still converted.
int runTool(const ToolDescription& tool, const std::vector<std::string>& arguments,
            std::ostream& out, std::ostream& err);

} // namespace crunchwise::tools
