// SPDX-License-Identifier: GPL-3.0-or-later
// A folder mounted on itself, which makes it a volume of its own (read-only
// when asked) for as long as the object lives. Mounting needs root, and a
// folder on a memory file system is no volume a user works with: offered()
// tells whether the drive list offers it. For anyone but root a read-only
// folder is made so by its permissions instead.
#pragma once

#include "desktop/files/volume_list.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

class OwnVolume {
public:
    explicit OwnVolume(const QString& folder, bool readOnly = false)
        : folder_(folder), path_(QFile::encodeName(folder)) {
        if (readOnly && ::geteuid() != 0) {
            usable_ = chmodded_ = ::chmod(path_.constData(), 0555) == 0;
            return;
        }
        mounted_ = ::mount(path_.constData(), path_.constData(), nullptr, MS_BIND, nullptr) == 0;
        usable_ =
            mounted_ && (!readOnly || ::mount(nullptr, path_.constData(), nullptr,
                                              MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0);
    }
    OwnVolume(const OwnVolume&) = delete;
    OwnVolume& operator=(const OwnVolume&) = delete;
    ~OwnVolume() {
        if (mounted_)
            ::umount2(path_.constData(), MNT_DETACH);
        if (chmodded_)
            ::chmod(path_.constData(), 0700);
    }

    // True when it is a volume (read-only when asked), or a read-only folder.
    bool usable() const { return usable_; }
    // True when the drive list offers the folder as a volume.
    bool offered() const {
        using crunchwise::VolumeList;
        return mounted_ && VolumeList::volumeOf(folder_, VolumeList::userVolumes()) == folder_;
    }

private:
    QString folder_;
    QByteArray path_;
    bool mounted_ = false;
    bool chmodded_ = false;
    bool usable_ = false;
};
