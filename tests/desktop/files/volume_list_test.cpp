// SPDX-License-Identifier: GPL-3.0-or-later
// Which mounts are volumes a user works with, and which volume holds a path.
#include "desktop/files/volume_list.h"

#include <QTest>

using crunchwise::VolumeList;

class TestVolumeList : public QObject {
    Q_OBJECT

private slots:
    void tellsUserVolumesFromSystemMounts_data() {
        QTest::addColumn<QString>("root");
        QTest::addColumn<QByteArray>("type");
        QTest::addColumn<bool>("offered");
        QTest::newRow("the system volume") << "/" << QByteArray("ext4") << true;
        QTest::newRow("the system volume of a container") << "/" << QByteArray("overlay") << true;
        QTest::newRow("a USB stick under /media") << "/media/usb" << QByteArray("vfat") << true;
        QTest::newRow("removable media under /run/media")
            << "/run/media/ann/DISK" << QByteArray("exfat") << true;
        QTest::newRow("a network share") << "/mnt/share" << QByteArray("cifs") << true;
        QTest::newRow("proc") << "/proc" << QByteArray("proc") << false;
        QTest::newRow("the tmpfs of /run") << "/run" << QByteArray("tmpfs") << false;
        QTest::newRow("shared memory") << "/dev/shm" << QByteArray("tmpfs") << false;
        QTest::newRow("a disk mounted for the system under /run")
            << "/run/credentials" << QByteArray("ext4") << false;
        QTest::newRow("a snap package") << "/snap/core/1" << QByteArray("squashfs") << false;
        QTest::newRow("a container layer")
            << "/var/lib/docker/overlay2/x/merged" << QByteArray("overlay") << false;
        QTest::newRow("an automount stub") << "/mnt/auto" << QByteArray("autofs") << false;
    }

    void tellsUserVolumesFromSystemMounts() {
        QFETCH(QString, root);
        QFETCH(QByteArray, type);
        QFETCH(bool, offered);
        QCOMPARE(VolumeList::isUserVolume(root, type), offered);
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
