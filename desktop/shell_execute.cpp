// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/shell_execute.h"

#include "common/file_name_codec.h"
#include "platform/command_words.h"
#include "platform/pif_file.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QUrl>

#include <csignal>
#include <filesystem>
#include <unistd.h>

namespace crunchwise {
namespace {

// Results above this are successes.
constexpr int kLastFailure = 32;

bool isOpenOperation(const char* operation) {
    return operation == nullptr || *operation == '\0' ||
           QString::fromLocal8Bit(operation).compare(u"open", Qt::CaseInsensitive) == 0;
}

bool isAddress(const QString& file) {
    static const char* const kSchemes[] = {"http://", "https://", "ftp://", "mailto:"};
    for (const char* scheme : kSchemes)
        if (file.startsWith(QLatin1String(scheme), Qt::CaseInsensitive))
            return true;
    return false;
}

// The program a launcher file names and its arguments, checked; ok, or the
// failure ShellExecuteA returns.
struct Launch {
    int result = kShellExecuteOk;
    QString program;
    QStringList arguments;
};

Launch readLauncher(const std::string& file, const char* parameters, const std::string& directory) {
    const PifReadResult launcher = readPifFile(file);
    if (launcher.status == PifReadResult::Status::notFound)
        return {SE_ERR_FNF, {}, {}};
    if (launcher.status == PifReadResult::Status::malformed)
        return {ERROR_BAD_FORMAT, {}, {}};
    const QFileInfo program(FileNameCodec::fromHostPath(launcher.pif.program.native()));
    if (!program.isFile() || !program.isExecutable())
        return {SE_ERR_FNF, {}, {}};
    if (!directory.empty() && !QFileInfo(FileNameCodec::fromHostPath(directory)).isDir())
        return {SE_ERR_PNF, {}, {}};
    Launch launch;
    // An absolute path, so that the program is never looked up along PATH.
    launch.program = program.absoluteFilePath();
    for (const std::string& word : launcher.pif.arguments)
        launch.arguments << FileNameCodec::fromHostPath(word);
    if (parameters != nullptr)
        for (const std::string& word : splitCommandWords(parameters).words)
            launch.arguments << FileNameCodec::fromHostPath(word);
    return launch;
}

int openLauncher(const std::string& file, const char* parameters, const std::string& directory) {
    const Launch launch = readLauncher(file, parameters, directory);
    if (launch.result != kShellExecuteOk)
        return launch.result;
    const bool started = QProcess::startDetached(launch.program, launch.arguments,
                                                 FileNameCodec::fromHostPath(directory));
    return started ? kShellExecuteOk : SE_ERR_FNF;
}

// Starts the launcher's program and hands it back to be watched.
int startLauncher(SHELLEXECUTEINFOA& info) {
    const Launch launch = readLauncher(info.lpFile, info.lpParameters, info.lpDirectory);
    if (launch.result != kShellExecuteOk)
        return launch.result;
    auto process = std::make_unique<QProcess>();
    process->setProgram(launch.program);
    process->setArguments(launch.arguments);
    process->setWorkingDirectory(FileNameCodec::fromHostPath(info.lpDirectory));
    process->setStandardInputFile(QProcess::nullDevice());
    // A group of its own, so that stopping it reaches what it started too.
    process->setChildProcessModifier([] { ::setpgid(0, 0); });
    process->start();
    if (!process->waitForStarted())
        return SE_ERR_FNF;
    info.hProcess = std::move(process);
    return kShellExecuteOk;
}

} // namespace

int ShellExecuteA(QWidget* owner, const char* operation, const std::string& file,
                  const char* parameters, const std::string& directory, int showCommand) {
    (void)owner;
    (void)showCommand;
    if (!isOpenOperation(operation))
        return SE_ERR_NOASSOC;
    const QString name = FileNameCodec::fromHostPath(file);
    if (name.endsWith(u".pif", Qt::CaseInsensitive))
        return openLauncher(file, parameters, directory);
    if (isAddress(name))
        return QDesktopServices::openUrl(QUrl(name)) ? kShellExecuteOk : SE_ERR_NOASSOC;
    const QFileInfo info(name);
    if (!info.exists())
        return SE_ERR_FNF;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath())) ? kShellExecuteOk
                                                                                   : SE_ERR_NOASSOC;
}

bool ShellExecuteExA(SHELLEXECUTEINFOA& info) {
    info.hProcess.reset();
    const bool launcher =
        FileNameCodec::fromHostPath(info.lpFile).endsWith(u".pif", Qt::CaseInsensitive);
    if ((info.fMask & SEE_MASK_NOCLOSEPROCESS) != 0 && launcher && isOpenOperation(info.lpVerb)) {
        info.hInstApp = startLauncher(info);
    } else {
        info.hInstApp = ShellExecuteA(info.hwnd, info.lpVerb, info.lpFile, info.lpParameters,
                                      info.lpDirectory, info.nShow);
    }
    return info.hInstApp > kLastFailure;
}

bool TerminateProcess(QProcess& process) {
    const qint64 id = process.processId();
    if (id <= 0)
        return false;
    // The group is set up by the child itself: until then, the program alone.
    return ::kill(-static_cast<pid_t>(id), SIGTERM) == 0 ||
           ::kill(static_cast<pid_t>(id), SIGTERM) == 0;
}

} // namespace crunchwise
