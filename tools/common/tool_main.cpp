// SPDX-License-Identifier: GPL-3.0-or-later
#include "tool_main.h"

#include <ostream>

namespace crunchwise::tools {

int runTool(const ToolDescription& tool, const std::vector<std::string>& arguments,
            std::ostream& out, std::ostream& err) {
    const ToolCommand command = parseToolArguments(arguments, tool.outputName);
    switch (command.action) {
    case ToolCommand::Action::help:
        out << tool.help;
        return exitOk;
    case ToolCommand::Action::version:
        out << tool.program << " (Crunchwise) 1.61\n";
        return exitOk;
    case ToolCommand::Action::usageError:
        err << tool.program << ": " << command.error << "\nTry '" << tool.program << " --help'.\n";
        return exitUsage;
    case ToolCommand::Action::run:
        break;
    }
    int result = exitOk;
    for (const FileJob& job : command.jobs) {
        const ExitCode code = tool.convert(job, err);
        if (result == exitOk)
            result = code;
    }
    return result;
}

} // namespace crunchwise::tools
