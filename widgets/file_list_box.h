// SPDX-License-Identifier: GPL-3.0-or-later
// The file list: the files of one folder (no folders, no hidden files), in
// NaturalOrder, several selectable the usual way (click, Shift+click ranges,
// Ctrl+click toggles, Shift/Ctrl with the keyboard, Ctrl+A). A right click
// keeps the selection, so a pop-up menu acts on it. Dragging the selected
// files offers them to other programs as file addresses, to copy only.
#pragma once

#include "desktop/files/folder_listing.h"

#include <QListView>
#include <QPoint>
#include <QString>

namespace crunchwise {

class FileListModel;

class FileListBox : public QListView {
    Q_OBJECT
public:
    explicit FileListBox(QWidget* parent = nullptr);

    // The folder listed; empty until the first setPath().
    QString path() const { return path_; }

    // Lists the files of folder `path`, none selected or current. Throws
    // RuntimeError when the folder cannot be read (76 Path not found, 70
    // Permission denied, 68 Device unavailable, ...) and then keeps the old
    // folder and listing.
    void setPath(const QString& path);

    // Reads the folder again, showing files created or deleted meanwhile;
    // files that are still there stay selected and current, and the list
    // stays where it was scrolled to. Does nothing before the first
    // setPath(). Throws RuntimeError like setPath() when the folder can no
    // longer be read, keeping the old listing.
    void refresh();
    // The same with the folder's files read elsewhere (FolderReader). Never
    // fails.
    void refresh(FolderListing files);

    // The number of files listed.
    int listCount() const;

    // The current file's index; -1 if none.
    int listIndex() const;

    // Makes file `index` current and selects it alone, as a plain click
    // does; -1 leaves no file current and keeps the selection. Throws
    // RuntimeError 380 (Invalid property value) for other indices.
    void setListIndex(int index);

    // The name of file `index` (exact, see FileNameCodec); empty for an index
    // outside the list.
    QString list(int index) const;

    // True if file `index` is selected; false for an index outside the list.
    bool selected(int index) const;

    // Selects or deselects file `index`. Throws RuntimeError 380 (Invalid
    // property value) for an index outside the list.
    void setSelected(int index, bool on);

    // The number of selected files.
    int selCount() const;

    // Adds the files named `names` (exact) to the selection; names not
    // listed are passed over. Never fails.
    void selectNames(const QStringList& names);

signals:
    // A click with the left button in the list, or a key that moved the
    // current file or changed the selection (after the selection changed).
    void click();
    // A double click with the left button on a file.
    void dblClick();
    // A mouse button went down in the list; `pos` is in viewport coordinates.
    void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos);
    // A character key, before the list's own handling; Enter is 13. Setting
    // keyAscii to 0 cancels the key's own effect. Connect directly.
    void keyPress(int& keyAscii);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void restoreSelection(const QList<QByteArray>& selectedNames, const QByteArray& currentName);
    void selectBytes(const QList<QByteArray>& names);
    QByteArray bytesOf(int row) const;
    QList<QByteArray> selectedNames() const;
    bool isRow(int index) const { return index >= 0 && index < listCount(); }

    FileListModel* model_;
    QString path_;
    bool leftPressed_ = false;
};

} // namespace crunchwise
