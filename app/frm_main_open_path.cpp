// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a path given on the command line or handed over by a second copy.
#include "app/frm_main.h"

#include "errors/error_trap.h"

#include "desktop/files/folder_reader.h"
#include "desktop/files/path_kind.h"
#include "widgets/dir_list_box.h"
#include "widgets/drive_list_box.h"
#include "widgets/file_list_box.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>
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
    // The path's exact bytes decide, never a look-alike name.
    const QString full = FolderReader::normalized(path);
    const PathKind kind = pathKind(full);
    if (kind == PathKind::Missing)
        return false;
    const qsizetype slash = full.lastIndexOf(u'/');
    const QString folder =
        kind == PathKind::Folder ? full : (slash == 0 ? QStringLiteral("/") : full.left(slash));
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
    if (kind == PathKind::Folder) {
        Dir1->setFocus();
        return true;
    }
    const QString name = full.mid(slash + 1);
    for (int i = 0; i < File1->listCount(); ++i) {
        if (File1->list(i) == name) {
            File1->setListIndex(i);
            File1->setFocus();
            return true;
        }
    }
    // A hidden file is not listed: its folder is shown all the same.
    File1->setFocus();
    return false;
}
