// SPDX-License-Identifier: GPL-3.0-or-later
#include "sh_file_operation.h"

#include "common/message_box.h"
#include "platform/trash.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>
#include <QStringList>

namespace crunchwise {

namespace {
const QString kTitle = QStringLiteral("Move to Trash");
// Lists at least this long get a progress window.
constexpr int kProgressFrom = 20;
constexpr int kListedFailures = 10;

QStringList sourcePaths(const std::string& list) {
    QStringList paths;
    std::size_t start = 0;
    while (start < list.size()) {
        std::size_t end = list.find('\0', start);
        if (end == std::string::npos)
            end = list.size();
        if (end == start)
            break;
        paths << QFile::decodeName(QByteArray(list.data() + start, qsizetype(end - start)));
        start = end + 1;
    }
    return paths;
}

bool confirmed(QWidget* owner, const QStringList& paths) {
    const QString text =
        paths.size() == 1
            ? QStringLiteral("Are you sure you want to move \"%1\" to the Trash?")
                  .arg(QFileInfo(paths[0]).fileName())
            : QStringLiteral("Are you sure you want to move these %1 items to the Trash?")
                  .arg(paths.size());
    return MessageBox::show(owner, QMessageBox::Question, kTitle, text,
                            QMessageBox::Yes | QMessageBox::No,
                            QMessageBox::Yes) == QMessageBox::Yes;
}

void reportLeftBehind(QWidget* owner, const QStringList& paths) {
    QString text = QStringLiteral("%1 of the items could not be moved to the Trash and were "
                                  "left where they are:\n")
                       .arg(paths.size());
    for (qsizetype i = 0; i < paths.size() && i < kListedFailures; ++i)
        text += QLatin1Char('\n') + paths[i];
    if (paths.size() > kListedFailures)
        text += QStringLiteral("\n... and %1 more").arg(paths.size() - kListedFailures);
    MessageBox::show(owner, QMessageBox::Warning, kTitle, text);
}

// Moves each path to the trash; returns the paths left behind, and sets
// `cancelled` when the user stopped the progress.
QStringList trashAll(QWidget* owner, const QStringList& paths, bool showProgress, bool& cancelled) {
    std::unique_ptr<QProgressDialog> progress;
    if (showProgress) {
        progress = std::make_unique<QProgressDialog>(QStringLiteral("Moving to the Trash..."),
                                                     QStringLiteral("Cancel"), 0, int(paths.size()),
                                                     owner);
        progress->setWindowTitle(kTitle);
        progress->setWindowModality(Qt::ApplicationModal);
        progress->setMinimumDuration(500);
    }
    QStringList leftBehind;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        if (progress) {
            progress->setValue(int(i));
            progress->setLabelText(
                QStringLiteral("Moving \"%1\" to the Trash").arg(QFileInfo(paths[i]).fileName()));
            if (progress->wasCanceled()) {
                cancelled = true;
                break;
            }
        }
        if (Trash::moveToTrash(paths[i]).isEmpty())
            leftBehind << paths[i];
    }
    return leftBehind;
}
} // namespace

int SHFileOperationA(SHFILEOPSTRUCTA& request) {
    request.fAnyOperationsAborted = false;
    const QStringList paths = sourcePaths(request.pFrom);
    if (request.wFunc != FO_DELETE || !(request.fFlags & FOF_ALLOWUNDO) || paths.isEmpty())
        return ERROR_INVALID_PARAMETER;
    if (!(request.fFlags & FOF_NOCONFIRMATION) && !confirmed(request.hwnd, paths)) {
        request.fAnyOperationsAborted = true;
        return ERROR_CANCELLED;
    }
    bool cancelled = false;
    const bool showProgress = !(request.fFlags & FOF_SILENT) && paths.size() >= kProgressFrom;
    const QStringList leftBehind = trashAll(request.hwnd, paths, showProgress, cancelled);
    if (!leftBehind.isEmpty() && !(request.fFlags & FOF_NOERRORUI))
        reportLeftBehind(request.hwnd, leftBehind);
    if (cancelled) {
        request.fAnyOperationsAborted = true;
        return ERROR_CANCELLED;
    }
    return leftBehind.isEmpty() ? 0 : DE_ACCESSDENIEDSRC;
}

} // namespace crunchwise
