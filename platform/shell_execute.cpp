// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/shell_execute.h"

#include "platform/command_words.h"
#include "platform/pif_file.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QUrl>

#include <filesystem>

namespace crunchwise {
namespace {

bool isOpenOperation(const char* operation) {
    return operation == nullptr || *operation == '\0' ||
           QString::fromLocal8Bit(operation).compare(u"open", Qt::CaseInsensitive) == 0;
}

bool isAddress(const QString& file) {
    static const char* const kSchemes[] = {"http://", "https://", "ftp://", "mailto:"};
    for (const char* scheme : kSchemes) {
        if (file.startsWith(QLatin1String(scheme), Qt::CaseInsensitive)) {
            return true;
        }
    }
    return false;
}

int openLauncher(const std::string& file, const char* parameters, const std::string& directory) {
    const PifReadResult launcher = readPifFile(file);
    if (launcher.status == PifReadResult::Status::notFound) {
        return SE_ERR_FNF;
    }
    if (launcher.status == PifReadResult::Status::malformed) {
        return ERROR_BAD_FORMAT;
    }
    const QFileInfo program(QString::fromStdString(launcher.pif.program.string()));
    if (!program.isFile() || !program.isExecutable()) {
        return SE_ERR_FNF;
    }
    if (!directory.empty() && !QFileInfo(QString::fromStdString(directory)).isDir()) {
        return SE_ERR_PNF;
    }
    QStringList arguments;
    for (const std::string& word : launcher.pif.arguments) {
        arguments << QString::fromStdString(word);
    }
    if (parameters != nullptr) {
        for (const std::string& word : splitCommandWords(parameters).words) {
            arguments << QString::fromStdString(word);
        }
    }
    // An absolute path, so that the program is never looked up along PATH.
    const bool started = QProcess::startDetached(program.absoluteFilePath(), arguments,
                                                 QString::fromStdString(directory));
    return started ? kShellExecuteOk : SE_ERR_FNF;
}

} // namespace

int ShellExecuteA(QWidget* owner, const char* operation, const std::string& file,
                  const char* parameters, const std::string& directory, int showCommand) {
    (void)owner;
    (void)showCommand;
    if (!isOpenOperation(operation)) {
        return SE_ERR_NOASSOC;
    }
    const QString name = QString::fromStdString(file);
    if (name.endsWith(u".pif", Qt::CaseInsensitive)) {
        return openLauncher(file, parameters, directory);
    }
    if (isAddress(name)) {
        return QDesktopServices::openUrl(QUrl(name)) ? kShellExecuteOk : SE_ERR_NOASSOC;
    }
    const QFileInfo info(name);
    if (!info.exists()) {
        return SE_ERR_FNF;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath())) ? kShellExecuteOk
                                                                                   : SE_ERR_NOASSOC;
}

} // namespace crunchwise
