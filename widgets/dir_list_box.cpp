// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/dir_list_box.h"

#include "common/file_name_codec.h"
#include "desktop/files/folder_reader.h"
#include "desktop/files/path_kind.h"
#include "desktop/files/volume_list.h"
#include "widgets/folder_indent_delegate.h"
#include "widgets/key_ascii.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QStyle>

#include <unistd.h>

namespace crunchwise {

namespace {

constexpr int PathRole = Qt::UserRole;
constexpr int InvalidPropertyValue = 380;

} // namespace

DirListBox::DirListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setItemDelegate(new FolderIndentDelegate(this));
    openIcon_ = style()->standardIcon(QStyle::SP_DirOpenIcon);
    closedIcon_ = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const QString current = QDir::currentPath();
    currentFolders_.insert(VolumeList::volumeOf(current, VolumeList::userVolumes()), current);
}

void DirListBox::setPath(const QString& path) {
    const QString folder = FolderReader::normalized(path);
    open(folder, FolderReader::read(folder, FolderReader::Entries::Folders).names());
}

void DirListBox::openDrive(const QString& root) {
    const QString wanted = FolderReader::normalized(root);
    // A remembered folder that went away or was closed gives way to the root.
    const QString remembered = currentFolders_.value(wanted, wanted);
    const bool open = pathKind(remembered) == PathKind::Folder &&
                      ::access(FileNameCodec::encode(remembered).constData(), R_OK | X_OK) == 0;
    setPath(open ? remembered : wanted);
}

void DirListBox::takeCurrentFolders(const DirListBox& other) {
    currentFolders_.insert(other.currentFolders_);
}

void DirListBox::open(const QString& folder, const std::vector<QString>& subfolders) {
    const QString before = path_;
    showFolder(folder, subfolders);
    currentFolders_.insert(VolumeList::volumeOf(folder, VolumeList::userVolumes()), folder);
    if (path_ != before)
        emit changed();
}

void DirListBox::showFolder(const QString& folder, const std::vector<QString>& subfolders) {
    const QStringList parts = folder.split(u'/', Qt::SkipEmptyParts);
    clear();
    path_ = folder;
    ancestorCount_ = int(parts.size());
    addEntry(QStringLiteral("/"), QStringLiteral("/"), 0, true);
    QString walked;
    for (int depth = 0; depth < ancestorCount_; ++depth) {
        walked += u'/' + parts[depth];
        addEntry(walked, parts[depth], depth + 1, true);
    }
    for (const QString& name : subfolders)
        addEntry(FolderReader::join(folder, name), name, ancestorCount_ + 1, false);
    setCurrentRow(ancestorCount_);
}

void DirListBox::refresh() {
    if (!path_.isEmpty())
        refresh(FolderReader::read(path_, FolderReader::Entries::Folders));
}

void DirListBox::refresh(const FolderListing& listing) {
    if (path_.isEmpty())
        return;
    const std::vector<QString> subfolders = listing.names();
    const auto shown = [&] {
        if (int(subfolders.size()) != listCount())
            return false;
        for (int i = 0; i < listCount(); ++i)
            if (list(i) != FolderReader::join(path_, subfolders[std::size_t(i)]))
                return false;
        return true;
    };
    if (shown())
        return;
    const QString highlighted = list(listIndex());
    const QListWidgetItem* top = itemAt(1, 1);
    const QString topPath = top ? top->data(PathRole).toString() : QString();
    showFolder(path_, subfolders);
    QListWidgetItem* newTop = nullptr;
    for (int row = 0; row < count(); ++row) {
        const QString entry = item(row)->data(PathRole).toString();
        if (entry == highlighted)
            setCurrentRow(row);
        if (entry == topPath)
            newTop = item(row);
    }
    if (newTop)
        scrollToItem(newTop, QAbstractItemView::PositionAtTop);
}

QListWidgetItem* DirListBox::addEntry(const QString& fullPath, const QString& text, int depth,
                                      bool open) {
    auto* item =
        new QListWidgetItem(open ? openIcon_ : closedIcon_, FileNameCodec::displayText(text));
    item->setData(PathRole, fullPath);
    item->setData(FolderIndentDelegate::DepthRole, depth);
    item->setToolTip(FileNameCodec::displayText(fullPath));
    addItem(item);
    return item;
}

int DirListBox::listCount() const {
    return path_.isEmpty() ? 0 : count() - ancestorCount_ - 1;
}

int DirListBox::listIndex() const {
    return path_.isEmpty() || currentRow() < 0 ? -1 : currentRow() - ancestorCount_ - 1;
}

void DirListBox::setListIndex(int index) {
    const int row = rowOf(index);
    if (path_.isEmpty() || row < 0 || row >= count())
        raiseRuntimeError(InvalidPropertyValue);
    setCurrentRow(row);
}

QString DirListBox::list(int index) const {
    const int row = rowOf(index);
    if (path_.isEmpty() || row < 0 || row >= count())
        return {};
    return item(row)->data(PathRole).toString();
}

void DirListBox::keyPressEvent(QKeyEvent* event) {
    const std::optional<int> typed =
        offerKey(event, [this](int& keyAscii) { emit keyPress(keyAscii); });
    if (!typed)
        return;
    if (*typed == KeyAsciiEnter) {
        event->accept();
        openHighlighted();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void DirListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    QListWidget::mouseDoubleClickEvent(event);
    QListWidgetItem* hit = itemAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || !hit)
        return;
    setCurrentItem(hit);
    openHighlighted();
}

void DirListBox::openHighlighted() {
    const QString folder = list(listIndex());
    if (folder.isEmpty())
        return;
    try {
        setPath(folder);
    } catch (const RuntimeError& failure) {
        if (isSignalConnected(QMetaMethod::fromSignal(&DirListBox::openFailed)))
            emit openFailed(failure);
        else
            QApplication::beep();
    }
}

} // namespace crunchwise
