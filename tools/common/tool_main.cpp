// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/common/tool_main.h"

#include "platform/interrupt_cleanup.h"
#include "tools/common/file_job.h"

#include <filesystem>
#include <malloc.h>
#include <map>
#include <ostream>

namespace crunchwise::tools {
namespace fs = std::filesystem;
namespace {

constexpr const char* kVersion = "1.61";

// Blocks from this size on come straight from the system as zero pages, so
// that the codec's large tables cost only the pages a small file touches.
constexpr int kMmapThreshold = 16 * 1024;

// One spelling per output file: absolute, with links of existing folders
// resolved.
fs::path outputKey(const fs::path& destination) {
    std::error_code error;
    const fs::path key = fs::weakly_canonical(fs::absolute(destination, error), error);
    return error ? destination.lexically_normal() : key;
}

ExitCode refuseSecond(const ToolDescription& tool, const FileJob& job, const FileJob& first,
                      std::ostream& err) {
    reportFailure(err, tool.program, job.destination,
                  "also the output of " + first.source.string() + "; not written");
    return exitDestinationFailed;
}

} // namespace

int runTool(const ToolDescription& tool, const std::vector<std::string>& arguments,
            std::ostream& out, std::ostream& err) {
    ::mallopt(M_MMAP_THRESHOLD, kMmapThreshold);
    const ToolCommand command = parseToolArguments(arguments, tool.outputName, tool.syntax);
    switch (command.action) {
    case ToolCommand::Action::help:
        out << tool.help;
        return exitOk;
    case ToolCommand::Action::version:
        out << tool.program << " (Crunchwise) " << kVersion << '\n';
        return exitOk;
    case ToolCommand::Action::usageError:
        err << tool.program << ": " << command.error << "\nTry '" << tool.program << " --help'.\n";
        return exitUsage;
    case ToolCommand::Action::list:
    case ToolCommand::Action::test:
        return tool.listOrTest(command, out, err);
    case ToolCommand::Action::run:
        break;
    }
    // An interrupted run leaves no hidden temporary behind.
    InterruptCleanup::installHandlers();
    int result = exitOk;
    // Each output of the run, with the job that claimed it first: with -r
    // two sources may map to one name, and the second must not overwrite
    // the first.
    std::map<fs::path, const FileJob*> claimed;
    for (const FileJob& job : command.jobs) {
        if (command.jobs.size() == 1) { // nothing to collide with
            result = tool.convert(command, job, err);
            break;
        }
        const auto [first, isNew] = claimed.emplace(outputKey(job.destination), &job);
        const ExitCode code =
            isNew ? tool.convert(command, job, err) : refuseSecond(tool, job, *first->second, err);
        if (result == exitOk)
            result = code;
    }
    return result;
}

} // namespace crunchwise::tools
