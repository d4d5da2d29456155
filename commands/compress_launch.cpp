// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/compress_launch.h"

#include "errors/runtime_error.h"
#include "platform/shell_execute.h"
#include "tools/cmd/batch_commands.h"

#include <cstdlib>

namespace crunchwise::commands {

namespace {
// ShellExecuteA's results above this are successes.
constexpr int kLastLaunchFailure = 32;
} // namespace

bool pifPresent(const std::filesystem::path& programFolder) {
    std::error_code error;
    return std::filesystem::is_regular_file(programFolder / kPifFileName, error);
}

bool compressorPresent(const std::filesystem::path& programFolder) {
    const char* path = std::getenv("PATH");
    return tools::findCompressor(programFolder, programFolder, path ? path : "").has_value();
}

void raiseLaunchFailure(int shellExecuteResult) {
    if (shellExecuteResult > kLastLaunchFailure)
        return;
    if (shellExecuteResult == SE_ERR_FNF)
        raiseRuntimeError(ErrorNumber::FileNotFound);
    if (shellExecuteResult == SE_ERR_PNF)
        raiseRuntimeError(ErrorNumber::PathNotFound);
    raiseRuntimeError(ErrorNumber::InvalidArgument);
}

} // namespace crunchwise::commands
