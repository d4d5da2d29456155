// SPDX-License-Identifier: GPL-3.0-or-later
// The mounted volumes a user works with: the system volume "/" and the real
// storage mounted beside it (disks, removable media, network shares), without
// the kernel's pseudo file systems, memory file systems and system mounts.
#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace crunchwise {

class VolumeList {
public:
    struct Volume {
        QString rootPath; // "/", "/media/usb"
        QString name;     // the volume label; may be empty
    };

    // The user's volumes, "/" first, the others by root path. Never fails:
    // "/" is always there.
    static std::vector<Volume> userVolumes();

    // True if a volume mounted at `rootPath` with file system `fsType` is one
    // the user works with. Never fails.
    static bool isUserVolume(const QString& rootPath, const QByteArray& fsType);

    // The root path of the volume in `volumes` that holds the absolute
    // `path` (the longest root that contains it); empty if none does.
    static QString volumeOf(const QString& path, const std::vector<Volume>& volumes);

    // True if `folder` is `root` or lies below it. Never fails.
    static bool contains(const QString& root, const QString& folder);
};

} // namespace crunchwise
