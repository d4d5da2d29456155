// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/common/tool_arguments.h"

#include <optional>

namespace crunchwise::tools {
namespace fs = std::filesystem;

namespace {

ToolCommand usageError(std::string reason) {
    ToolCommand command;
    command.action = ToolCommand::Action::usageError;
    command.error = std::move(reason);
    return command;
}

ToolCommand renamingJobs(std::vector<std::string> operands, const OutputNamer& outputName) {
    if (operands.empty())
        return usageError("-r needs at least one file");
    std::error_code error;
    std::optional<fs::path> folder;
    if (operands.size() >= 2 && fs::is_directory(operands.back(), error)) {
        folder = operands.back();
        operands.pop_back();
    }
    ToolCommand command;
    for (const std::string& operand : operands) {
        const fs::path source(operand);
        const std::string name = outputName(source.filename().string());
        const fs::path place = folder ? *folder : source.parent_path();
        command.jobs.push_back({source, place / name});
    }
    return command;
}

} // namespace

ToolCommand parseToolArguments(const std::vector<std::string>& arguments,
                               const OutputNamer& outputName, bool acceptNoFollow) {
    bool rename = false;
    bool keepExisting = false;
    bool noFollow = false;
    bool optionsEnded = false;
    std::vector<std::string> operands;
    for (const std::string& argument : arguments)
        if (optionsEnded || argument.size() < 2 || argument.front() != '-')
            operands.push_back(argument);
        else if (argument == "--")
            optionsEnded = true;
        else if (argument == "-h" || argument == "--help")
            return ToolCommand{ToolCommand::Action::help, {}, {}};
        else if (argument == "--version")
            return ToolCommand{ToolCommand::Action::version, {}, {}};
        else if (argument == "-r")
            rename = true;
        else if (argument == "-n" || argument == "--no-clobber")
            keepExisting = true;
        else if (argument == "--no-follow" && acceptNoFollow)
            noFollow = true;
        else
            return usageError("unknown option " + argument);
    ToolCommand command;
    if (rename)
        command = renamingJobs(std::move(operands), outputName);
    else if (operands.size() != 2)
        return usageError(operands.size() < 2 ? "missing file operand" : "too many operands");
    else
        command.jobs.push_back({operands[0], operands[1]});
    for (FileJob& job : command.jobs) {
        job.keepExisting = keepExisting;
        job.replaceLinks = noFollow;
    }
    return command;
}

} // namespace crunchwise::tools
