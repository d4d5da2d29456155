// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/compress_launch.h"

#include "errors/runtime_error.h"
#include "platform/shell_execute.h"
#include "tools/cmd/batch_commands.h"

#include <QFile>
#include <QStandardPaths>
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

std::filesystem::path ownBatchFolder() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    QString base = QString::fromLocal8Bit(runtime);
    std::error_code error;
    if (runtime.isEmpty() || !std::filesystem::is_directory(runtime.toStdString(), error))
        base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    return std::filesystem::path(QFile::encodeName(base).toStdString()) / "Crunchwise";
}

SearchPathWith::SearchPathWith(const std::string& folder) {
    if (folder.empty())
        return;
    const char* path = std::getenv("PATH");
    hadPath_ = path != nullptr;
    oldPath_ = hadPath_ ? path : "";
    const std::string first = hadPath_ ? folder + ':' + oldPath_ : folder;
    changed_ = ::setenv("PATH", first.c_str(), 1) == 0;
}

SearchPathWith::~SearchPathWith() {
    if (!changed_)
        return;
    if (hadPath_)
        ::setenv("PATH", oldPath_.c_str(), 1);
    else
        ::unsetenv("PATH");
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
