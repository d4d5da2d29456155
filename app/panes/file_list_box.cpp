// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_list_box.h"

#include "app/panes/file_list_model.h"
#include "app/panes/key_ascii.h"
#include "errors/runtime_error.h"
#include "platform/files/folder_reader.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QSet>

namespace crunchwise {

namespace {

constexpr int InvalidPropertyValue = 380;
constexpr int LayoutBatchSize = 5000;

} // namespace

FileListBox::FileListBox(QWidget* parent) : QListView(parent), model_(new FileListModel(this)) {
    setModel(model_);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    setLayoutMode(QListView::Batched);
    setBatchSize(LayoutBatchSize);
}

void FileListBox::setPath(const QString& path) {
    const QString folder = FolderReader::normalized(path);
    auto names = FolderReader::read(folder, FolderReader::Entries::Files);
    path_ = folder;
    model_->setNames(std::move(names));
}

void FileListBox::refresh() {
    if (path_.isEmpty())
        return;
    auto names = FolderReader::read(path_, FolderReader::Entries::Files);
    const QStringList keep = selectedNames();
    const QString current = list(listIndex());
    model_->setNames(std::move(names));
    restoreSelection(keep, current);
}

QStringList FileListBox::selectedNames() const {
    QStringList names;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row)
            names.append(list(row));
    }
    return names;
}

void FileListBox::restoreSelection(const QStringList& selectedNames, const QString& currentName) {
    const QSet<QString> wanted(selectedNames.begin(), selectedNames.end());
    QItemSelection selection;
    const auto& names = model_->names();
    int runStart = -1;
    for (int row = 0; row <= int(names.size()); ++row) {
        const bool in = row < int(names.size()) && wanted.contains(names[std::size_t(row)]);
        if (in && runStart < 0)
            runStart = row;
        if (!in && runStart >= 0) {
            selection.select(model_->index(runStart), model_->index(row - 1));
            runStart = -1;
        }
    }
    selectionModel()->select(selection, QItemSelectionModel::Select);
    const int currentRow = currentName.isEmpty() ? -1 : model_->rowOf(currentName);
    if (currentRow >= 0)
        selectionModel()->setCurrentIndex(model_->index(currentRow), QItemSelectionModel::NoUpdate);
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
    return isRow(index) ? model_->names()[std::size_t(index)] : QString();
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
