// SPDX-License-Identifier: GPL-3.0-or-later
// Files and folders dropped on the window from a file manager open as
// `crunchwise PATH` opens them: a folder shows its files, files show their
// folder with them selected.
#include "app/frm_main.h"

#include "desktop/files/file_url.h"
#include "desktop/files/folder_reader.h"
#include "desktop/files/path_kind.h"
#include "widgets/dir_list_box.h"
#include "widgets/file_list_box.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

using namespace crunchwise;

namespace {
const QString kUriList = QStringLiteral("text/uri-list");

// How a drop is taken: as a copy or a link, never a move, which would have
// the file manager delete the files it dropped. None when there is nothing
// to take.
Qt::DropAction takenAs(const QDropEvent& event, const QWidget* ownList) {
    if (event.source() == ownList || !event.mimeData()->hasFormat(kUriList) ||
        QApplication::activeModalWidget())
        return Qt::IgnoreAction;
    if (event.possibleActions() & Qt::CopyAction)
        return Qt::CopyAction;
    if (event.possibleActions() & Qt::LinkAction)
        return Qt::LinkAction;
    return Qt::IgnoreAction;
}

QString folderOf(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}
} // namespace

// Only a drag that names local files or folders is offered a place here.
void frmMain::dragEnterEvent(QDragEnterEvent* event) {
    if (FileUrl::localPaths(event->mimeData()->data(kUriList)).isEmpty()) {
        event->ignore();
        return;
    }
    dragMoveEvent(event);
}

void frmMain::dragMoveEvent(QDragMoveEvent* event) {
    const Qt::DropAction action = takenAs(*event, File1);
    if (action == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
}

void frmMain::dropEvent(QDropEvent* event) {
    const Qt::DropAction action = takenAs(*event, File1);
    const QStringList paths = action == Qt::IgnoreAction
                                  ? QStringList()
                                  : FileUrl::localPaths(event->mimeData()->data(kUriList));
    if (paths.isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
    openPaths(paths);
}

bool frmMain::openPaths(const QStringList& paths) {
    if (paths.isEmpty())
        return false;
    const bool opened = openPath(paths.first());
    const QString first = FolderReader::normalized(paths.first());
    if (pathKind(first) == PathKind::Folder || Dir1->path() != folderOf(first))
        return opened;
    // The others of the first file's folder join the selection.
    QStringList names;
    for (const QString& path : paths.mid(1)) {
        const QString full = FolderReader::normalized(path);
        if (folderOf(full) == Dir1->path())
            names.append(full.mid(full.lastIndexOf(u'/') + 1));
    }
    File1->selectNames(names);
    return opened;
}
