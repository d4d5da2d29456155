// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/files/volume_list.h"

#include <QStorageInfo>

#include <algorithm>
#include <array>

namespace crunchwise {

namespace {

// File systems that hold no user files: kernel interfaces, memory file
// systems, read-only package images, container layers, automount stubs.
bool isSystemFileSystem(const QByteArray& fsType) {
    static const std::array<const char*, 30> types = {
        "proc",        "sysfs",    "devtmpfs",   "devpts",      "tmpfs",      "ramfs",
        "cgroup",      "cgroup2",  "securityfs", "debugfs",     "tracefs",    "pstore",
        "bpf",         "mqueue",   "hugetlbfs",  "configfs",    "fusectl",    "autofs",
        "binfmt_misc", "efivarfs", "nsfs",       "rpc_pipefs",  "squashfs",   "selinuxfs",
        "overlay",     "rootfs",   "nfsd",       "fuse.portal", "fuse.lxcfs", "fuse.gvfsd-fuse",
    };
    return std::any_of(types.begin(), types.end(),
                       [&](const char* type) { return fsType == type; });
}

// Mount points that belong to the system, whatever their file system.
bool isSystemMountPoint(const QString& rootPath) {
    static const std::array<const char*, 8> places = {
        "/proc", "/sys", "/dev", "/run", "/var/run", "/var/lock", "/snap", "/var/lib",
    };
    if (VolumeList::contains(QStringLiteral("/run/media"), rootPath))
        return false; // removable media mounted for the logged-in user
    return std::any_of(places.begin(), places.end(), [&](const char* place) {
        return VolumeList::contains(QString::fromLatin1(place), rootPath);
    });
}

} // namespace

std::vector<VolumeList::Volume> VolumeList::userVolumes() {
    std::vector<Volume> volumes{{QStringLiteral("/"), QStorageInfo::root().name()}};
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
        const QString root = storage.rootPath();
        if (root == u'/' || !storage.isValid() || !storage.isReady())
            continue;
        if (!isUserVolume(root, storage.fileSystemType()))
            continue;
        const bool known = std::any_of(volumes.begin(), volumes.end(),
                                       [&](const Volume& v) { return v.rootPath == root; });
        if (!known)
            volumes.push_back({root, storage.name()});
    }
    std::sort(volumes.begin() + 1, volumes.end(),
              [](const Volume& a, const Volume& b) { return a.rootPath < b.rootPath; });
    return volumes;
}

bool VolumeList::isUserVolume(const QString& rootPath, const QByteArray& fsType) {
    if (rootPath == u'/')
        return true;
    return !isSystemFileSystem(fsType) && !isSystemMountPoint(rootPath);
}

QString VolumeList::volumeOf(const QString& path, const std::vector<Volume>& volumes) {
    QString best;
    for (const Volume& volume : volumes)
        if (contains(volume.rootPath, path) && volume.rootPath.size() > best.size())
            best = volume.rootPath;
    return best;
}

bool VolumeList::contains(const QString& root, const QString& folder) {
    if (!folder.startsWith(root))
        return false;
    return folder.size() == root.size() || root.endsWith(u'/') || folder.at(root.size()) == u'/';
}

} // namespace crunchwise
