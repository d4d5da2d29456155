// SPDX-License-Identifier: GPL-3.0-or-later
// Drop-down of the mounted volumes a user works with, each shown by its root
// path and label. Starts on the volume of the process's current folder.
#pragma once

#include <QComboBox>
#include <QString>

namespace crunchwise {

class DriveListBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveListBox(QWidget* parent = nullptr);

    // The root path of the current volume, e.g. "/" or "/media/usb".
    QString drive() const { return drive_; }

    // Selects the volume that holds `path` ("/" is the system volume) and
    // emits changed() when that volume differs from the current one. Throws
    // RuntimeError 68 (Device unavailable) and keeps the current volume when
    // `path` does not exist or its volume is no longer mounted.
    void setDrive(const QString& path);

    // Reads the volume list again; keeps the current volume if it is still
    // mounted, else selects "/" and emits changed(). Never fails.
    void refreshDrives();

    // Selects the volume that holds `folder` without emitting changed(), so
    // that the list follows a folder list that moved onto another volume.
    // Keeps the current volume when none holds it. Never fails.
    void showVolumeOf(const QString& folder);

    // Reads the volumes again before they are offered.
    void showPopup() override;

signals:
    // The current volume changed, chosen by the user or by setDrive().
    void changed();

private:
    void fillList();
    void selectRoot(const QString& root);
    void onIndexChanged(int index);

    QString drive_;
};

} // namespace crunchwise
