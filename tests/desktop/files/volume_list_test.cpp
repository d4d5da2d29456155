// SPDX-License-Identifier: GPL-3.0-or-later
// Which mounts are volumes a user works with, and which volume holds a path.
#include "desktop/files/volume_list.h"

#include <QTest>

using crunchwise::VolumeList;

class TestVolumeList : public QObject {
    Q_OBJECT

private slots:
    void tellsUserVolumesFromSystemMounts() {
        const struct {
            const char* what;
            const char* root;
            const char* type;
            bool offered;
        } rows[] = {
            {"the system volume", "/", "ext4", true},
            {"the system volume of a container", "/", "overlay", true},
            {"a USB stick under /media", "/media/usb", "vfat", true},
            {"removable media under /run/media", "/run/media/ann/DISK", "exfat", true},
            {"a network share", "/mnt/share", "cifs", true},
            {"proc", "/proc", "proc", false},
            {"the tmpfs of /run", "/run", "tmpfs", false},
            {"shared memory", "/dev/shm", "tmpfs", false},
            {"a disk mounted for the system under /run", "/run/credentials", "ext4", false},
            {"a snap package", "/snap/core/1", "squashfs", false},
            {"a container layer", "/var/lib/docker/overlay2/x/merged", "overlay", false},
            {"an automount stub", "/mnt/auto", "autofs", false},
        };
        for (const auto& row : rows)
            QVERIFY2(VolumeList::isUserVolume(QString::fromLatin1(row.root), row.type) ==
                         row.offered,
                     row.what);
    }

    void findsTheVolumeOfAPath() {
        const std::vector<VolumeList::Volume> volumes = {
            {"/", ""}, {"/media/usb", "STICK"}, {"/media/usb2", ""}};
        const std::pair<const char*, const char*> cases[] = {
            {"/home/ann", "/"},                 // a folder on the system volume
            {"/media/usb/setup", "/media/usb"}, // a folder on a stick
            {"/media/usb", "/media/usb"},       // the stick's root
            {"/media/usb2/x", "/media/usb2"},   // the longest root wins
            {"/media/usbx", "/"},               // a name that only starts like a root
            {"media/usb", ""},                  // a relative path
        };
        for (const auto& [path, volume] : cases)
            QCOMPARE(VolumeList::volumeOf(QString::fromLatin1(path), volumes),
                     QString::fromLatin1(volume));
    }
};

QTEST_GUILESS_MAIN(TestVolumeList)
#include "volume_list_test.moc"
