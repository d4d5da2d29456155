// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/file_list_box.h"

#include "common/file_name_codec.h"
#include "desktop/files/folder_reader.h"
#include "failures/runtime_error.h"
#include "widgets/file_list_model.h"
#include "widgets/key_ascii.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QSet>

namespace crunchwise {

namespace {

constexpr int InvalidPropertyValue = 380;

} // namespace

FileListBox::FileListBox(QWidget* parent) : QListView(parent), model_(new FileListModel(this)) {
    setModel(model_);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Rows of one height are laid out in one pass, 100,000 in a few
    // milliseconds, so the scroll position survives a refresh.
    setUniformItemSizes(true);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDefaultDropAction(Qt::CopyAction);
}

void FileListBox::setPath(const QString& path) {
    const QString folder = FolderReader::normalized(path);
    FolderListing listing = FolderReader::read(folder, FolderReader::Entries::Files);
    path_ = folder;
    model_->setFolder(folder);
    model_->setListing(std::move(listing));
}

void FileListBox::refresh() {
    if (!path_.isEmpty())
        refresh(FolderReader::read(path_, FolderReader::Entries::Files));
}

void FileListBox::refresh(FolderListing listing) {
    const QByteArray current = bytesOf(listIndex());
    const QByteArray top = bytesOf(indexAt(QPoint(1, 1)).row());
    // Rows that stay keep their selection by themselves; only a reset loses
    // it. A current file that went away leaves none current, never a
    // neighbour that the user did not choose.
    QList<QByteArray> keep;
    const auto update = model_->update(std::move(listing), [&] { keep = selectedNames(); });
    if (update == FileListModel::Update::Reset)
        restoreSelection(keep, current);
    else if (bytesOf(listIndex()) != current)
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    // The file at the top stays there, whatever came or went above it.
    const int topRow = top.isEmpty() ? -1 : model_->rowOf(top);
    if (topRow >= 0)
        scrollTo(model_->index(topRow), QAbstractItemView::PositionAtTop);
}

QByteArray FileListBox::bytesOf(int row) const {
    return isRow(row) ? model_->bytes(row).toByteArray() : QByteArray();
}

QList<QByteArray> FileListBox::selectedNames() const {
    QList<QByteArray> names;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            names.append(model_->bytes(row).toByteArray());
    return names;
}

void FileListBox::restoreSelection(const QList<QByteArray>& selectedNames,
                                   const QByteArray& currentName) {
    selectBytes(selectedNames);
    const int currentRow = currentName.isEmpty() ? -1 : model_->rowOf(currentName);
    if (currentRow >= 0)
        selectionModel()->setCurrentIndex(model_->index(currentRow), QItemSelectionModel::NoUpdate);
}

// One pass over the list, one selection range per run of rows.
void FileListBox::selectBytes(const QList<QByteArray>& names) {
    if (names.isEmpty())
        return;
    const QSet<QByteArray> wanted(names.begin(), names.end());
    QItemSelection selection;
    const int count = listCount();
    int runStart = -1;
    for (int row = 0; row <= count; ++row) {
        const QByteArrayView name = row < count ? model_->bytes(row) : QByteArrayView();
        const bool in =
            row < count && wanted.contains(QByteArray::fromRawData(name.data(), name.size()));
        if (in && runStart < 0)
            runStart = row;
        if (!in && runStart >= 0) {
            selection.select(model_->index(runStart), model_->index(row - 1));
            runStart = -1;
        }
    }
    selectionModel()->select(selection, QItemSelectionModel::Select);
}

void FileListBox::selectNames(const QStringList& names) {
    QList<QByteArray> bytes;
    bytes.reserve(names.size());
    for (const QString& name : names)
        bytes.append(FileNameCodec::encode(name));
    selectBytes(bytes);
}

int FileListBox::listCount() const {
    return model_->rowCount();
}

int FileListBox::listIndex() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void FileListBox::setListIndex(int index) {
    if (index == -1) {
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        return;
    }
    if (!isRow(index))
        raiseRuntimeError(InvalidPropertyValue);
    const QModelIndex item = model_->index(index);
    selectionModel()->setCurrentIndex(item, QItemSelectionModel::ClearAndSelect);
    scrollTo(item);
}

QString FileListBox::list(int index) const {
    return isRow(index) ? model_->name(index) : QString();
}

bool FileListBox::selected(int index) const {
    return isRow(index) && selectionModel()->isSelected(model_->index(index));
}

void FileListBox::setSelected(int index, bool on) {
    if (!isRow(index))
        raiseRuntimeError(InvalidPropertyValue);
    const auto command = on ? QItemSelectionModel::Select : QItemSelectionModel::Deselect;
    selectionModel()->select(model_->index(index), command);
}

int FileListBox::selCount() const {
    int count = 0;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        count += range.height();
    return count;
}

void FileListBox::mousePressEvent(QMouseEvent* event) {
    leftPressed_ = event->button() == Qt::LeftButton;
    if (event->button() == Qt::RightButton) {
        setFocus(Qt::MouseFocusReason); // the selection stays for the pop-up menu
        event->accept();
    } else {
        QListView::mousePressEvent(event);
    }
    emit mouseDown(event->button(), event->modifiers(), event->position().toPoint());
}

void FileListBox::mouseReleaseEvent(QMouseEvent* event) {
    QListView::mouseReleaseEvent(event);
    const bool clicked = leftPressed_ && event->button() == Qt::LeftButton;
    leftPressed_ = false;
    if (clicked)
        emit click();
}

void FileListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    QListView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid())
        emit dblClick();
}

void FileListBox::keyPressEvent(QKeyEvent* event) {
    const std::optional<int> typed =
        offerKey(event, [this](int& keyAscii) { emit keyPress(keyAscii); });
    if (!typed)
        return;
    // A key that moves the current file or changes the selection clicks, as
    // a mouse click does.
    const QModelIndex current = currentIndex();
    const QItemSelection selection = selectionModel()->selection();
    QListView::keyPressEvent(event);
    if (currentIndex() != current || selectionModel()->selection() != selection)
        emit click();
}

} // namespace crunchwise
