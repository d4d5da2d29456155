// SPDX-License-Identifier: GPL-3.0-or-later
// The drive list: which volumes it offers and how setDrive() picks one.
//
// setDrive() takes any path on a volume ("/nonexistent/x" would lie on "/"),
// so it fails with 68 (Device unavailable) for a path that does not exist:
// that is what a volume that is no longer mounted, or a removable disk that
// was pulled, looks like from here.
#include "desktop/files/volume_list.h"
#include "tests/support/failure_number.h"
#include "tests/support/own_volume.h"
#include "tests/support/test_folder.h"
#include "widgets/drive_list_box.h"

#include <QSignalSpy>
#include <QStorageInfo>
#include <QTest>

#include <memory>

using crunchwise::DriveListBox;
using crunchwise::VolumeList;

namespace {

QStringList roots(const DriveListBox& box) {
    QStringList paths;
    for (int i = 0; i < box.count(); ++i)
        paths.append(box.itemData(i).toString());
    return paths;
}

} // namespace

class TestDriveListBox : public QObject {
    Q_OBJECT

private slots:
    void offersTheSystemVolumeFirstAndOnlyUserVolumes() {
        DriveListBox box;
        const QStringList listed = roots(box);
        QVERIFY(!listed.isEmpty());
        QCOMPARE(listed.first(), QStringLiteral("/"));
        QVERIFY(box.itemText(0).startsWith(u'/'));
        for (const QString& root : listed.mid(1)) {
            const QByteArray type = QStorageInfo(root).fileSystemType();
            QVERIFY2(VolumeList::isUserVolume(root, type), qPrintable(root + " is " + type));
        }
    }

    // The system drive, a folder on it, a temporary folder.
    void setDriveSelectsTheVolumeOfAPath() {
        for (const QString& path :
             {QStringLiteral("/"), QStringLiteral("/usr/share"), QDir::tempPath()}) {
            DriveListBox box;
            const auto volumes = VolumeList::userVolumes();
            const QString volume = VolumeList::volumeOf(QDir(path).canonicalPath(), volumes);
            QSignalSpy changed(&box, &DriveListBox::changed);
            const QString before = box.drive();
            box.setDrive(path);
            QCOMPARE(box.drive(), volume);
            QCOMPARE(box.currentData().toString(), volume);
            QCOMPARE(changed.size(), before == volume ? 0 : 1);
        }
    }

    // A volume root that is not mounted, a missing folder, an empty path.
    void setDriveFailsForAMissingPath() {
        DriveListBox box;
        box.setDrive("/");
        QSignalSpy changed(&box, &DriveListBox::changed);
        for (const char* path : {"/media/crunchwise-not-mounted", "/nonexistent/x", ""}) {
            QCOMPARE(failureNumber([&] { box.setDrive(QString::fromLatin1(path)); }), 68);
            QCOMPARE(box.drive(), QStringLiteral("/"));
        }
        QCOMPARE(changed.size(), 0);
    }

    // Other tests may mount volumes meanwhile: only the volume made here counts.
    void readsTheVolumesAgain() {
        DriveListBox box;
        box.show();
        TestFolder folder;
        auto volume = std::make_unique<OwnVolume>(folder.path());
        if (!volume->offered())
            QSKIP("needs root and a temporary folder on disk to mount a volume");
        QVERIFY(!roots(box).contains(folder.path()));
        box.showPopup();
        QVERIFY(roots(box).contains(folder.path()));
        box.hidePopup();
        box.setDrive(folder.path());
        QSignalSpy changed(&box, &DriveListBox::changed);
        box.refreshDrives();
        QCOMPARE(box.drive(), folder.path()); // still mounted: kept
        volume.reset();
        box.refreshDrives();
        QCOMPARE(box.drive(), QStringLiteral("/")); // gone: the system volume
        QCOMPARE(changed.size(), 1);
    }
};

QTEST_MAIN(TestDriveListBox)
#include "drive_list_box_test.moc"
