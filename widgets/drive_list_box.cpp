// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/drive_list_box.h"

#include "common/file_name_codec.h"
#include "desktop/files/folder_reader.h"
#include "desktop/files/path_kind.h"
#include "desktop/files/volume_list.h"
#include "failures/runtime_error.h"

#include <QDir>
#include <QSignalBlocker>
#include <QStorageInfo>

namespace crunchwise {

namespace {

constexpr int RootRole = Qt::UserRole;

bool isStillMounted(const QString& root) {
    QStorageInfo storage(root);
    return storage.isValid() && storage.isReady() && storage.rootPath() == root;
}

} // namespace

DriveListBox::DriveListBox(QWidget* parent) : QComboBox(parent) {
    fillList();
    const QString start = VolumeList::volumeOf(QDir::currentPath(), VolumeList::userVolumes());
    selectRoot(start.isEmpty() ? QStringLiteral("/") : start);
    drive_ = currentData(RootRole).toString();
    connect(this, &QComboBox::currentIndexChanged, this, &DriveListBox::onIndexChanged);
}

void DriveListBox::setDrive(const QString& path) {
    const QString absolute = FolderReader::normalized(path);
    if (absolute.isEmpty() || pathKind(absolute) == PathKind::Missing)
        raiseRuntimeError(ErrorNumber::DeviceUnavailable);
    const auto volumes = VolumeList::userVolumes();
    const QString root = VolumeList::volumeOf(absolute, volumes);
    if (root.isEmpty() || !isStillMounted(root))
        raiseRuntimeError(ErrorNumber::DeviceUnavailable);
    if (findData(root, RootRole) < 0)
        fillList(); // mounted since the list was read
    selectRoot(root);
}

void DriveListBox::refreshDrives() {
    fillList();
    selectRoot(findData(drive_, RootRole) >= 0 ? drive_ : QStringLiteral("/"));
}

void DriveListBox::showVolumeOf(const QString& folder) {
    const QString root =
        VolumeList::volumeOf(FolderReader::normalized(folder), VolumeList::userVolumes());
    if (root.isEmpty() || root == drive_)
        return;
    if (findData(root, RootRole) < 0)
        fillList();
    const int row = findData(root, RootRole);
    if (row < 0)
        return;
    const QSignalBlocker blocker(this);
    setCurrentIndex(row);
    drive_ = root;
}

void DriveListBox::showPopup() {
    refreshDrives();
    QComboBox::showPopup();
}

void DriveListBox::fillList() {
    const QSignalBlocker blocker(this);
    clear();
    for (const VolumeList::Volume& volume : VolumeList::userVolumes()) {
        const QString label = volume.name.isEmpty()
                                  ? volume.rootPath
                                  : QStringLiteral("%1  [%2]").arg(volume.rootPath, volume.name);
        addItem(FileNameCodec::displayText(label), volume.rootPath);
    }
    const int row = findData(drive_, RootRole);
    setCurrentIndex(row); // -1 while drive_ has gone: selectRoot() follows
}

void DriveListBox::selectRoot(const QString& root) {
    const int row = findData(root, RootRole);
    if (row == currentIndex()) {
        onIndexChanged(row); // the list was refilled behind the signal blocker
        return;
    }
    setCurrentIndex(row);
}

void DriveListBox::onIndexChanged(int index) {
    if (index < 0)
        return;
    const QString root = itemData(index, RootRole).toString();
    if (root == drive_)
        return;
    drive_ = root;
    emit changed();
}

} // namespace crunchwise
