// SPDX-License-Identifier: GPL-3.0-or-later
// A folder mounted on itself, which makes it a volume of its own for as long
// as the object lives. Mounting needs root, and a folder on a memory file
// system is no volume a user works with: offered() tells whether it worked.
#pragma once

#include "desktop/files/volume_list.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <sys/mount.h>

class OwnVolume {
public:
    explicit OwnVolume(const QString& folder) : folder_(folder), path_(QFile::encodeName(folder)) {
        mounted_ = ::mount(path_.constData(), path_.constData(), nullptr, MS_BIND, nullptr) == 0;
    }
    OwnVolume(const OwnVolume&) = delete;
    OwnVolume& operator=(const OwnVolume&) = delete;
    ~OwnVolume() {
        if (mounted_)
            ::umount2(path_.constData(), MNT_DETACH);
    }

    // True when the drive list offers the folder as a volume.
    bool offered() const {
        using crunchwise::VolumeList;
        return mounted_ && VolumeList::volumeOf(folder_, VolumeList::userVolumes()) == folder_;
    }

private:
    QString folder_;
    QByteArray path_;
    bool mounted_ = false;
};
