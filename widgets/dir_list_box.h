// SPDX-License-Identifier: GPL-3.0-or-later
// The folder list: the current folder's ancestors from "/" down, the folder
// itself (open-folder icons) and its subfolders (closed-folder icons), each
// indented by its depth. Entries are numbered as a classic folder list does:
// -1 the current folder, -2 its parent, ... and 0..listCount()-1 the
// subfolders. Double click, or Enter left alone by keyPress, opens the
// highlighted entry; arrow keys only move the highlight.
#pragma once

#include "desktop/files/folder_listing.h"
#include "failures/runtime_error.h"

#include <QHash>
#include <QIcon>
#include <QListWidget>
#include <QString>

#include <vector>

namespace crunchwise {

class DirListBox : public QListWidget {
    Q_OBJECT
public:
    explicit DirListBox(QWidget* parent = nullptr);

    // The current folder; empty until the first setPath().
    QString path() const { return path_; }

    // Opens the folder `path`. Emits changed() when the folder differs from
    // before. Throws RuntimeError when the folder cannot be listed (76 Path
    // not found, 70 Permission denied, 68 Device unavailable, 52 no medium,
    // ...) and then keeps the previous folder and list.
    void setPath(const QString& path);

    // Opens the current folder of the volume at `root` (as
    // DriveListBox::drive() returns it): the last folder this list showed on
    // it, the process's current folder for its volume, else the root itself
    // when that folder cannot be read any more. Emits and throws as setPath().
    void openDrive(const QString& root);

    // Takes over the current folder of each volume that `other` knows, so
    // that openDrive() here opens where it would open there.
    void takeCurrentFolders(const DirListBox& other);

    // Reads the current folder's subfolders again; the highlighted entry and
    // the scroll position stay where they still can. Does nothing before the
    // first setPath(). Throws RuntimeError like setPath() when the folder
    // can no longer be read, keeping the list.
    void refresh();
    // The same with the folder's subfolders read elsewhere (FolderReader).
    // Never fails.
    void refresh(const FolderListing& subfolders);

    // The number of subfolders; 0 before the first setPath().
    int listCount() const;

    // The highlighted entry (-1 the current folder, -2 its parent, ..., or a
    // subfolder 0..listCount()-1); -1 before the first setPath().
    int listIndex() const;

    // Highlights entry `index` without opening it. Throws RuntimeError 380
    // (Invalid property value) for an index outside the list.
    void setListIndex(int index);

    // The full path of entry `index`; empty for an index outside the list.
    QString list(int index) const;

signals:
    // The current folder changed.
    void changed();

    // A character key, before the list's own handling; Enter is 13. Setting
    // keyAscii to 0 cancels the key's own effect. Connect directly.
    void keyPress(int& keyAscii);

    // Opening a folder by double click or Enter failed; the list keeps its
    // folder. Without a receiver the list beeps instead.
    void openFailed(const crunchwise::RuntimeError& failure);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void open(const QString& folder, const std::vector<QString>& subfolders);
    void showFolder(const QString& folder, const std::vector<QString>& subfolders);
    QListWidgetItem* addEntry(const QString& fullPath, const QString& text, int depth, bool open);
    void openHighlighted();
    int rowOf(int index) const { return index + ancestorCount_ + 1; }

    QString path_;
    int ancestorCount_ = 0;
    QHash<QString, QString> currentFolders_; // volume root -> its current folder
    QIcon openIcon_;
    QIcon closedIcon_;
};

} // namespace crunchwise
