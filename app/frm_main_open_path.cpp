// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a path given on the command line or handed over by a second copy.
#include "frm_main.h"

#include "errors/error_trap.h"

#include "app/panes/dir_list_box.h"
#include "app/panes/drive_list_box.h"
#include "app/panes/file_list_box.h"
#include "platform/files/file_name_codec.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QTimer>
#include <sys/stat.h>
#include <utility>

using namespace crunchwise;

namespace {
constexpr int kRetryWhileModalMs = 250;
}

void frmMain::openHandedOverPath(const QString& path) {
    pendingPath_ = path;
    openPendingPath();
}

void frmMain::openPendingPath() {
    if (pendingPath_.isEmpty())
        return;
    if (QApplication::activeModalWidget()) {
        QTimer::singleShot(kRetryWhileModalMs, this, &frmMain::openPendingPath);
        return;
    }
    openPath(std::exchange(pendingPath_, QString()));
}

bool frmMain::openPath(const QString& path) {
    // The path's bytes reach the host unchanged, also when they are not UTF-8.
    struct stat target {};
    const QString cleaned = QDir::cleanPath(path);
    if (path.isEmpty() || !cleaned.startsWith(QLatin1Char('/')) ||
        ::stat(FileNameCodec::encode(cleaned).constData(), &target) != 0)
        return false;
    const bool isFolder = S_ISDIR(target.st_mode);
    const qsizetype slash = cleaned.lastIndexOf(QLatin1Char('/'));
    const QString folder = isFolder     ? cleaned
                           : slash == 0 ? QStringLiteral("/")
                                        : cleaned.left(slash);
    const QString fileName = cleaned.mid(slash + 1);
    lblStatus->clear();
    // The drive first: changing it opens that volume's last folder, which the
    // folder list then leaves for the one wanted. A folder that cannot be read
    // warns and falls back to the system drive, as a change by hand does.
    ErrorTrap trap = paneTrap();
    trap.step([&] { Drive1->setDrive(folder); });
    trap.step([&] { Dir1->setPath(folder); });
    if (File1->path() != Dir1->path())
        trap.step([&] { File1->setPath(Dir1->path()); });
    if (Dir1->path() != folder)
        return false;
    if (isFolder) {
        Dir1->setFocus();
        return true;
    }
    for (int i = 0; i < File1->listCount(); ++i) {
        if (File1->list(i) == fileName) {
            File1->setListIndex(i);
            File1->setFocus();
            return true;
        }
    }
    // A hidden file is not listed: its folder is shown all the same.
    File1->setFocus();
    return false;
}
