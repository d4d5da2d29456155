// SPDX-License-Identifier: GPL-3.0-or-later
// Settings and help: stored as text, failures raised, the help file read;
// SHFileOperationA and the trash.
#include "desktop/help_file.h"
#include "desktop/help_viewer.h"
#include "desktop/settings_store.h"
#include "desktop/sh_file_operation.h"
#include "desktop/trash.h"
#include "desktop/win_help.h"
#include "tests/support/failure_number.h"

#include <QDir>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace crunchwise;

class TestDesktopServices : public QObject {
    Q_OBJECT

private slots:
    void unwritableSettingsRaise() {
        QTemporaryDir config;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.path());
        QVERIFY(QDir().mkpath(config.path() + QStringLiteral("/Crunchwise/Crunchwise.conf")));
        const int number = failureNumber([] {
            SaveSetting(QStringLiteral("Crunchwise"), QStringLiteral("Settings"),
                        QStringLiteral("MainLeft"), QStringLiteral("1000"));
        });
        QVERIFY2(number == 70 || number == 75, qPrintable(QString::number(number)));
    }

    void helpFileHasEveryContextOfTheWindow() {
        HelpFile help;
        QVERIFY2(help.load(QStringLiteral(CRUNCHWISE_HELP_FILE)), qPrintable(help.errorString()));
        QCOMPARE(help.topics().first().title, QStringLiteral("Contents"));
        for (int context = 60; context <= 120; context += 10)
            QVERIFY2(help.topicForContext(context) >= 0, qPrintable(QString::number(context)));
        QCOMPARE(help.topicForContext(61), -1);
    }

    void helpViewerOpensOnContentsOrSaysWhyNot() {
        QVERIFY(WinHelpA(nullptr, QStringLiteral(CRUNCHWISE_HELP_FILE), HELP_FINDER, 0));
        HelpViewer* viewer = activeHelpViewer();
        QVERIFY(viewer && viewer->isVisible());
        QCOMPARE(viewer->currentTopic(), 0);
        QVERIFY(WinHelpA(nullptr, QStringLiteral(CRUNCHWISE_HELP_FILE), HELP_CONTEXT, 100));
        QCOMPARE(viewer->helpFile().topics()[viewer->currentTopic()].context, 100);
        // The partial key leads first to the topic of the Compress button.
        QVERIFY(WinHelpA(nullptr, QStringLiteral(CRUNCHWISE_HELP_FILE), HELP_PARTIALKEY,
                         reinterpret_cast<std::uintptr_t>("COMPR")));
        QTest::keyClick(viewer->findChild<QLineEdit*>(QStringLiteral("keywordSearch")),
                        Qt::Key_Return);
        QCOMPARE(viewer->helpFile().topics()[viewer->currentTopic()].context, 60);

        QVERIFY(!WinHelpA(nullptr, QStringLiteral("/nowhere/compress.hlp"), HELP_FINDER, 0));
        QVERIFY(activeHelpViewer()->findChild<QWidget*>(QStringLiteral("topicText")));
        QVERIFY(WinHelpA(nullptr, QString(), HELP_QUIT, 0));
        QTRY_VERIFY(!activeHelpViewer());
    }

    // Deleting for good, or another operation, touches nothing.
    void requestsOtherThanTrashingTouchNothing() {
        QTemporaryDir folder;
        const QString file = folder.filePath(QStringLiteral("a.txt"));
        QVERIFY(QFile(file).open(QIODevice::WriteOnly));
        for (const auto& [operation, flags] : {std::pair{FO_DELETE, 0}, {1u, int(FOF_ALLOWUNDO)}}) {
            SHFILEOPSTRUCTA request;
            request.wFunc = operation;
            request.fFlags = std::uint16_t(flags | FOF_NOCONFIRMATION);
            request.pFrom = QFile::encodeName(file).toStdString() + '\0';
            QCOMPARE(SHFileOperationA(request), ERROR_INVALID_PARAMETER);
            QVERIFY(QFile::exists(file));
        }
    }

    void fileOnAnotherVolumeGoesToThatVolumesTrash() {
        QTemporaryDir home;
        qputenv("HOME", home.path().toLocal8Bit());
        QTemporaryDir other(QStringLiteral("/dev/shm/crunchwise-XXXXXX"));
        struct stat homeInfo {
        }, otherInfo{};
        if (!other.isValid() || ::stat(QFile::encodeName(home.path()), &homeInfo) != 0 ||
            ::stat(QFile::encodeName(other.path()), &otherInfo) != 0 ||
            homeInfo.st_dev == otherInfo.st_dev)
            QSKIP("no second volume at /dev/shm");
        const QString file = other.path() + QStringLiteral("/on other volume.txt");
        QFile(file).open(QIODevice::WriteOnly);

        const QString trashed = Trash::moveToTrash(file);

        const QString volumeTrash = QStringLiteral("/dev/shm/.Trash-%1").arg(::getuid());
        QVERIFY2(trashed.startsWith(volumeTrash + QStringLiteral("/files/")), qPrintable(trashed));
        const QString info = volumeTrash + QStringLiteral("/info/") +
                             QFileInfo(trashed).fileName() + QStringLiteral(".trashinfo");
        QVERIFY(QFile::exists(info));
        QVERIFY(!QFile::exists(file));
        QVERIFY(!QDir(home.path() + QStringLiteral("/.local/share/Trash/files")).exists() ||
                QDir(home.path() + QStringLiteral("/.local/share/Trash/files")).isEmpty());
        QFile::remove(trashed);
        QFile::remove(info);
        // Left in place when anyone else has put something there.
        for (const char* folder : {"/files", "/info", ""})
            QDir().rmdir(volumeTrash + QLatin1String(folder));
    }
};

QTEST_MAIN(TestDesktopServices)
#include "desktop_services_test.moc"
