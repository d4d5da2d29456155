// SPDX-License-Identifier: GPL-3.0-or-later
// The folder and file lists follow what other programs change in the folder
// shown, within about a second, without Refresh.
#include "app/frm_main.h"

#include "desktop/files/folder_watch.h"
#include "desktop/files/path_kind.h"
#include "errors/error_trap.h"
#include "failures/runtime_error.h"
#include "widgets/dir_list_box.h"
#include "widgets/file_list_box.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

using namespace crunchwise;

namespace {
// How soon to look again while a dialog or menu is open.
constexpr int kWhileAskingMs = 300;
} // namespace

void frmMain::createFolderWatch() {
    folderWatch_ = new FolderWatch(this);
    followLater_ = new QTimer(this);
    followLater_->setSingleShot(true);
    followLater_->setInterval(kWhileAskingMs);
    connect(followLater_, &QTimer::timeout, this, &frmMain::followFolder);
    connect(folderWatch_, &FolderWatch::changed, this, &frmMain::followFolder);
    connect(Dir1, &DirListBox::changed, folderWatch_,
            [this] { folderWatch_->watch(Dir1->path()); });
    folderWatch_->watch(Dir1->path());
}

// A command that asks something (its dialog, the error dialog, the pop-up
// menu) acts on the lists as they were when it asked: they change after.
void frmMain::followFolder() {
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget()) {
        followLater_->start();
        return;
    }
    try {
        readListsAgain();
    } catch (const RuntimeError& failure) {
        // A folder that went away gives way to the nearest one left; any other
        // failure leaves the lists as they are, for Refresh to report.
        if (failure.number() == ErrorNumber::PathNotFound)
            openNearestFolder();
    }
    folderWatch_->watch(Dir1->path());
}

void frmMain::openNearestFolder() {
    QString folder = Dir1->path();
    while (folder != QDir::rootPath() && pathKind(folder) != PathKind::Folder)
        folder = QDir::cleanPath(folder + QStringLiteral("/.."));
    paneTrap().step([&] { Dir1->setPath(folder); });
}
