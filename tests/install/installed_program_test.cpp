// SPDX-License-Identifier: GPL-3.0-or-later
// The window's commands with an installed, read-only program folder: the
// first start opens its help file, Compress runs the installed compressor
// through the installed launcher from the user's own batch folder, and
// Expand gives the files back byte for byte. install_test.sh runs this as an
// ordinary user with the program folder in CRUNCHWISE_INSTALLED_PROGRAM.
#include "tests/support/window_session.h"

#include "desktop/help_viewer.h"
#include "desktop/win_help.h"

#include <QDirIterator>

using namespace crunchwise;
using namespace command_fixture;

class InstalledProgramTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir config_;
    QString program_;

    static QString batchFolders() {
        return qEnvironmentVariable("XDG_RUNTIME_DIR") + "/Crunchwise";
    }

    // Every file left in the user's batch folders.
    static QStringList batchFilesLeft() {
        QStringList files;
        QDirIterator it(batchFolders(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << it.next();
        return files;
    }

private slots:
    void initTestCase() {
        program_ = qEnvironmentVariable("CRUNCHWISE_INSTALLED_PROGRAM");
        QVERIFY2(QFileInfo(program_).isDir(), "CRUNCHWISE_INSTALLED_PROGRAM names no folder");
        QVERIFY2(!QFileInfo(program_).isWritable(), "the program folder is writable");
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config_.path());
        AppInfo::setPathForTesting(program_);
        // A copy of the installed program may be running beside this one.
        AppInfo::setTitle(QStringLiteral("Crunchwise installed program test"));
    }

    void firstStartOpensTheInstalledHelpFile() {
        frmMain window;
        QCOMPARE(window.Form_Load(QString()), frmMain::LoadOutcome::Show);
        QVERIFY(activeHelpViewer() && activeHelpViewer()->isVisible());
        QCOMPARE(activeHelpViewer()->fileName(), program_ + QStringLiteral("/compress.hlp"));
        QVERIFY(!activeHelpViewer()->helpFile().topics().isEmpty());
        QVERIFY(MessageBox::shown().isEmpty());
        activeHelpViewer()->close();
    }

    void compressThenExpandGiveTheFilesBack() {
        QTemporaryDir source, packed;
        const QStringList names = {"lib.dll", "Read Me.txt", "setup.exe"};
        for (int i = 0; i < names.size(); ++i)
            QVERIFY(writeAll(source.path() + u'/' + names[i], sampleData(i, 30000 + i)));
        auto window = windowOn(source.path());
        selectRows(window->File1, {0, 1, 2});
        answerCompressTo(packed.path());
        choosePopUpItem(QStringLiteral("Compress"));
        rightClickFileList(*window);
        QTRY_COMPARE_WITH_TIMEOUT(window->lblStatus->text(),
                                  QStringLiteral("Compression Completed"), 20000);
        // The batch ran from a run folder in the user's runtime folder, which
        // went with it.
        QVERIFY(QDir(batchFolders()).exists());
        QVERIFY(QDir(batchFolders()).entryList({"batch-*"}, QDir::Dirs).isEmpty());
        QVERIFY(batchFilesLeft().isEmpty());
        const QStringList packedNames = {"lib.dl_", "Read Me.tx_", "setup.ex_"};
        QCOMPARE(QDir(packed.path()).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase),
                 packedNames);

        window = windowOn(packed.path());
        selectRows(window->File1, {0, 1, 2});
        whenOpen<frmSaveDirectoryExpand>([](frmSaveDirectoryExpand* dialog) {
            dialog->cmdSave->click(); // into the same folder, under the proposed names
        });
        choosePopUpItem(QStringLiteral("Expand"));
        rightClickFileList(*window);
        QCOMPARE(window->lblStatus->text(), QStringLiteral("Expansion Completed"));
        QCOMPARE(QDir(packed.path()).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase),
                 (QStringList{"lib.dl_", "lib.dll", "Read Me.tx_", "Read Me.txt", "setup.ex_",
                              "setup.exe"}));
        for (int i = 0; i < names.size(); ++i)
            QCOMPARE(readAll(packed.path() + u'/' + names[i]), sampleData(i, 30000 + i));
        QVERIFY(MessageBox::shown().isEmpty());
    }
};

QTEST_MAIN(InstalledProgramTest)
#include "installed_program_test.moc"
