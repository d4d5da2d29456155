// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/common/tool_arguments.h"

#include <algorithm>
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
    if (std::count(operands.begin(), operands.end(), kStandardStream) > 0)
        return usageError("-r cannot name the output of standard input");
    ToolCommand command;
    for (const std::string& operand : operands) {
        const fs::path source(operand);
        const fs::path place = folder ? *folder : source.parent_path();
        command.jobs.push_back({source, place / outputName(source)});
    }
    return command;
}

// What the options ask for, as they are read.
struct Options {
    bool rename = false;
    bool keepExisting = false;
    bool noFollow = false;
    std::optional<std::string> format;
    std::optional<std::string> method;
    ToolCommand::Action action = ToolCommand::Action::run;
};

// Reads the value of --NAME=VALUE or --NAME VALUE at `arguments[at]`,
// moving `at` past it. Returns false when `argument` is not that option.
bool optionValue(const std::vector<std::string>& arguments, std::size_t& at,
                 const std::string& name, std::optional<std::string>& value) {
    const std::string& argument = arguments[at];
    if (argument.rfind(name + "=", 0) == 0) {
        value = argument.substr(name.size() + 1);
        return true;
    }
    if (argument != name)
        return false;
    value = at + 1 < arguments.size() ? arguments[++at] : "";
    return true;
}

// Reads one option. Returns a usage error, or nothing.
std::optional<ToolCommand> readOption(const std::vector<std::string>& arguments, std::size_t& at,
                                      const ToolSyntax& syntax, Options& options) {
    const std::string& argument = arguments[at];
    using Action = ToolCommand::Action;
    if (argument == "-h" || argument == "--help" || argument == "--version")
        options.action = argument == "--version" ? Action::version : Action::help;
    else if (argument == "-r")
        options.rename = true;
    else if (argument == "-n" || argument == "--no-clobber")
        options.keepExisting = true;
    else if (argument == "--no-follow" && syntax.noFollow)
        options.noFollow = true;
    else if (syntax.formats && optionValue(arguments, at, "--format", options.format))
        return std::nullopt;
    else if (syntax.formats && optionValue(arguments, at, "--method", options.method))
        return std::nullopt;
    else if ((argument == "-l" || argument == "-t") && syntax.listAndTest) {
        const Action wanted = argument == "-l" ? Action::list : Action::test;
        if (options.action != Action::run && options.action != wanted)
            return usageError("-l and -t exclude each other");
        options.action = wanted;
    } else {
        return usageError("unknown option " + argument);
    }
    return std::nullopt;
}

// Fills the format and method of `command`. Returns false after setting a
// usage error.
bool readFormat(const Options& options, ToolCommand& command) {
    const std::string format = options.format.value_or("szdd");
    if (format == "szdd" || format == "sz" || format == "kwaj") {
        command.compress.format = format == "szdd" ? szdd::Format::szdd
                                  : format == "sz" ? szdd::Format::sz
                                                   : szdd::Format::kwaj;
    } else {
        command = usageError("unknown format '" + format + "' (szdd, sz or kwaj)");
        return false;
    }
    if (!options.method)
        return true;
    if (command.compress.format != szdd::Format::kwaj) {
        command = usageError("--method needs --format=kwaj");
        return false;
    }
    const std::string& method = *options.method;
    if (method.size() != 1 || method[0] < '0' || method[0] > '4') {
        command = usageError("unknown method '" + method + "' (0 to 4)");
        return false;
    }
    command.compress.kwajMethod = method[0] - '0';
    return true;
}

ToolCommand filesCommand(const Options& options, const std::vector<std::string>& operands) {
    if (options.rename)
        return usageError("-l and -t take no -r");
    if (operands.empty())
        return usageError("missing file operand");
    if (std::count(operands.begin(), operands.end(), kStandardStream) > 1)
        return usageError("standard input given twice");
    ToolCommand command;
    command.action = options.action;
    command.files.assign(operands.begin(), operands.end());
    return command;
}

} // namespace

bool isStandardStream(const fs::path& path) {
    return path.native() == kStandardStream;
}

ToolCommand parseToolArguments(const std::vector<std::string>& arguments,
                               const OutputNamer& outputName, const ToolSyntax& syntax) {
    Options options;
    bool optionsEnded = false;
    std::vector<std::string> operands;
    for (std::size_t at = 0; at < arguments.size(); ++at) {
        const std::string& argument = arguments[at];
        if (optionsEnded || argument.size() < 2 || argument.front() != '-')
            operands.push_back(argument);
        else if (argument == "--")
            optionsEnded = true;
        else if (std::optional<ToolCommand> error = readOption(arguments, at, syntax, options))
            return *error;
        if (options.action == ToolCommand::Action::help ||
            options.action == ToolCommand::Action::version)
            return ToolCommand{options.action, {}, {}, {}, {}};
    }
    if (options.action == ToolCommand::Action::list || options.action == ToolCommand::Action::test)
        return filesCommand(options, operands);
    ToolCommand formats;
    if (!readFormat(options, formats))
        return formats;
    ToolCommand command;
    if (options.rename)
        command = renamingJobs(std::move(operands), outputName);
    else if (operands.size() != 2)
        return usageError(operands.size() < 2 ? "missing file operand" : "too many operands");
    else
        command.jobs.push_back({operands[0], operands[1]});
    command.compress = formats.compress;
    for (FileJob& job : command.jobs) {
        job.keepExisting = options.keepExisting;
        job.replaceLinks = options.noFollow;
    }
    return command;
}

} // namespace crunchwise::tools
