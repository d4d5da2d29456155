// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/sh_file_operation.h"

#include "common/file_name_codec.h"
#include "common/message_box.h"
#include "desktop/trash.h"
#include "failures/runtime_error.h"

#include <QCoreApplication>
#include <QProgressDialog>
#include <QStringList>

#include <vector>

namespace crunchwise {

namespace {
const QString kTitle = QStringLiteral("Move to Trash");
// Lists at least this long get a progress window.
constexpr int kProgressFrom = 20;

// A file that stayed where it was, and the host's reason.
struct LeftBehind {
    QString path;
    int hostError = 0;
};

// The name of `path` fit for display.
QString shownName(const QString& path) {
    return FileNameCodec::displayText(path.mid(path.lastIndexOf(QLatin1Char('/')) + 1));
}

QStringList sourcePaths(const std::string& list) {
    QStringList paths;
    std::size_t start = 0;
    while (start < list.size()) {
        std::size_t end = list.find('\0', start);
        if (end == std::string::npos)
            end = list.size();
        if (end == start)
            break;
        paths << FileNameCodec::decode(list.data() + start, qsizetype(end - start));
        start = end + 1;
    }
    return paths;
}

bool confirmed(QWidget* owner, const QStringList& paths) {
    const QString text =
        paths.size() == 1
            ? QStringLiteral("Are you sure you want to move \"%1\" to the Trash?")
                  .arg(shownName(paths[0]))
            : QStringLiteral("Are you sure you want to move these %1 items to the Trash?")
                  .arg(paths.size());
    return MessageBox::show(owner, QMessageBox::Question, kTitle, text,
                            QMessageBox::Yes | QMessageBox::No,
                            QMessageBox::Yes) == QMessageBox::Yes;
}

// One warning naming each file that stayed, with the reason.
void reportLeftBehind(QWidget* owner, const std::vector<LeftBehind>& files) {
    std::vector<std::string> lines;
    for (const LeftBehind& file : files) {
        const int number =
            file.hostError ? runtimeErrorFromErrno(file.hostError) : ErrorNumber::PathFileAccess;
        lines.push_back(
            (FileNameCodec::displayText(file.path) + QStringLiteral(": ")).toStdString() +
            runtimeErrorText(number));
    }
    const QString heading =
        files.size() == 1
            ? QStringLiteral("1 item could not be moved to the Trash and was left where it is:")
            : QStringLiteral("%1 items could not be moved to the Trash and were left where they "
                             "are:")
                  .arg(files.size());
    MessageBox::show(owner, QMessageBox::Warning, kTitle,
                     heading + QStringLiteral("\n\n") +
                         QString::fromStdString(listWithLimit(lines)));
}

// Moves each path to the trash; returns the files left behind, and sets
// `cancelled` when the user stopped the progress.
std::vector<LeftBehind> trashAll(QWidget* owner, const QStringList& paths, bool showProgress,
                                 bool& cancelled) {
    std::unique_ptr<QProgressDialog> progress;
    if (showProgress) {
        progress = std::make_unique<QProgressDialog>(QStringLiteral("Moving to the Trash..."),
                                                     QStringLiteral("Cancel"), 0, int(paths.size()),
                                                     owner);
        progress->setWindowTitle(kTitle);
        progress->setWindowModality(Qt::ApplicationModal);
        progress->setMinimumDuration(500);
    }
    std::vector<LeftBehind> leftBehind;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        if (progress) {
            progress->setValue(int(i));
            progress->setLabelText(
                QStringLiteral("Moving \"%1\" to the Trash").arg(shownName(paths[i])));
            if (progress->wasCanceled()) {
                cancelled = true;
                break;
            }
        }
        int error = 0;
        if (Trash::moveToTrash(paths[i], &error).isEmpty())
            leftBehind.push_back({paths[i], error});
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
    const std::vector<LeftBehind> leftBehind =
        trashAll(request.hwnd, paths, showProgress, cancelled);
    if (!leftBehind.empty() && !(request.fFlags & FOF_NOERRORUI))
        reportLeftBehind(request.hwnd, leftBehind);
    if (cancelled) {
        request.fAnyOperationsAborted = true;
        return ERROR_CANCELLED;
    }
    return leftBehind.empty() ? 0 : DE_ACCESSDENIEDSRC;
}

} // namespace crunchwise
