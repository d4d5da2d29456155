// SPDX-License-Identifier: GPL-3.0-or-later
// Compress through the real window: pop-up menu, "Compress To", the batch,
// the launcher, and the batch run by our runner in its own process.
#include "command_fixture.h"

#include "common/app_info.h"
#include "common/globals.h"
#include "common/message_box.h"
#include "dialogs/frm_save_directory.h"

#include <QLabel>
#include <QProcess>
#include <QPushButton>

using namespace crunchwise;
using namespace command_fixture;

class TestCompressCommand : public QObject {
    Q_OBJECT

private:
    QTemporaryDir config_;
    StagedProgram program_;
    QTemporaryDir runtime_;

    QString inProgram(const QString& name) const { return program_.path() + u'/' + name; }

    static QByteArray expandedBy(const QString& program, const QString& file) {
        QProcess process;
        if (program.endsWith(u"msexpand")) {
            process.setStandardInputFile(file);
            process.start(program, {});
        } else {
            process.start(program, {file, file + QStringLiteral(".out")});
        }
        process.waitForFinished(20000);
        return program.endsWith(u"msexpand") ? process.readAllStandardOutput()
                                             : readAll(file + QStringLiteral(".out"));
    }

private slots:
    void initTestCase() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config_.path());
        AppInfo::setPathForTesting(program_.path());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime_.path()));
    }

    void init() {
        MessageBox::clearShown();
        program_.clearRecords();
    }

    void cleanup() { QVERIFY2(MessageBox::pendingAnswers() == 0, "an answer was not asked for"); }

    void compressesTheSelectionIntoTheChosenFolder_data() {
        QTest::addColumn<bool>("byMenu");
        QTest::newRow("pop-up menu") << true;
        QTest::newRow("mPopUp2_Click(0)") << false;
    }
    void compressesTheSelectionIntoTheChosenFolder() {
        QFETCH(bool, byMenu);
        QTemporaryDir source, destination;
        const QStringList names = {"Read Me.txt", "notes.md", "setup.exe", "zz data.bin"};
        for (int i = 0; i < names.size(); ++i)
            QVERIFY(writeAll(source.path() + u'/' + names[i], sampleData(i)));
        auto window = windowOn(source.path());
        // List order: notes.md, Read Me.txt, setup.exe, zz data.bin.
        selectRows(window->File1, {rowOf(window->File1, names[0]), rowOf(window->File1, names[2]),
                                   rowOf(window->File1, names[3])});

        answerCompressTo(destination.path());
        if (byMenu) {
            choosePopUpItem(QStringLiteral("Compress"));
            rightClickFileList(*window);
        } else {
            window->mPopUp2_Click(0);
        }
        QCOMPARE(window->lblStatus->text(), QStringLiteral("Compression Completed"));
        QCOMPARE(program_.waitForRunner(), QByteArray("0"));

        const QByteArray src = QFile::encodeName(source.path()) + '/';
        const QByteArray dst = QFile::encodeName(destination.path()) + '/';
        QCOMPARE(readAll(inProgram(QStringLiteral("recorded.bat"))),
                 "compress \"" + src + "Read Me.txt\" \"" + dst + "Read Me.tx_\"\r\n" +
                     "compress " + src + "setup.exe " + dst + "setup.ex_\r\n" + "compress \"" +
                     src + "zz data.bin\" \"" + dst + "zz data.bi_\"\r\n" + "ren \"" + dst +
                     "Read Me.tx_\" \"Read Me.tx_\"\r\n" + "ren " + dst +
                     "setup.ex_ setup.ex_\r\n" + "ren \"" + dst +
                     "zz data.bi_\" \"zz data.bi_\"\r\n" + "del _tempcom.bat\r\n");
        QCOMPARE(readAll(inProgram(QStringLiteral("recorded.cwd"))).trimmed(),
                 QFile::encodeName(program_.path()));
        QVERIFY(!QFile::exists(inProgram(QStringLiteral("_tempcom.bat"))));
        QCOMPARE(QDir(destination.path()).entryList(QDir::Files),
                 QStringList({"Read Me.tx_", "setup.ex_", "zz data.bi_"}));
        for (int i : {0, 2, 3}) {
            const QString packed = destination.path() + u'/' + names[i].chopped(1) + u'_';
            QCOMPARE(expandedBy(QStringLiteral(CRUNCHWISE_PROGRAM_DIR "/expand.exe"), packed),
                     sampleData(i));
            QCOMPARE(expandedBy(QStringLiteral(MSEXPAND_PATH), packed), sampleData(i));
        }
    }

    void presenceChecks_data() {
        QTest::addColumn<QString>("pif");
        QTest::addColumn<QString>("compressor"); // name in the program folder, or "PATH"
        QTest::addColumn<QString>("message");    // first line, or empty for none
        QTest::newRow("both present") << "crunchws.pif"
                                      << "compress.exe"
                                      << "";
        QTest::newRow("compressor stored as COMPRESS.EXE") << "crunchws.pif"
                                                           << "COMPRESS.EXE"
                                                           << "";
        QTest::newRow("compressor only along PATH") << "crunchws.pif"
                                                    << "PATH"
                                                    << "";
        QTest::newRow("no launcher") << ""
                                     << "compress.exe"
                                     << "The DOS PIF File CrunchWs is missing";
        QTest::newRow("no compressor") << "crunchws.pif"
                                       << ""
                                       << "The Microsoft® Program COMPRESS.EXE is missing";
    }
    void presenceChecks() {
        QFETCH(QString, pif);
        QFETCH(QString, compressor);
        QFETCH(QString, message);
        QTemporaryDir folder, elsewhere, source;
        if (!pif.isEmpty())
            QVERIFY(
                QFile::copy(inProgram(QStringLiteral("crunchws.pif")), folder.path() + u'/' + pif));
        const QString compressorFolder = compressor == u"PATH" ? elsewhere.path() : folder.path();
        if (!compressor.isEmpty())
            QVERIFY(QFile::link(
                QStringLiteral(CRUNCHWISE_PROGRAM_DIR "/compress.exe"),
                compressorFolder + u'/' +
                    (compressor == u"PATH" ? QStringLiteral("compress.exe") : compressor)));
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(elsewhere.path()) + ':' + path);
        AppInfo::setPathForTesting(folder.path());
        QVERIFY(writeAll(source.path() + QStringLiteral("/a.txt"), "a"));
        auto window = windowOn(source.path());
        window->File1->setListIndex(0); // a current item but no selection
        window->File1->setSelected(0, false);
        if (!message.isEmpty())
            MessageBox::setNextAnswer(QMessageBox::Ok);
        window->mPopUp2_Click(0);
        AppInfo::setPathForTesting(program_.path());
        qputenv("PATH", path);

        QCOMPARE(MessageBox::shown().size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QCOMPARE(MessageBox::shown()[0].icon, QMessageBox::Critical);
            QCOMPARE(MessageBox::shown()[0].title, QStringLiteral("Crunchwise"));
            QCOMPARE(MessageBox::shown()[0].text.section(QStringLiteral("\r\n"), 0, 0), message);
        }
        // The reset ran; without a selection nothing more happened.
        QVERIFY(window->txtDOSPath.isEmpty() == !message.isEmpty());
        QVERIFY(!QFile::exists(folder.path() + QStringLiteral("/_tempcom.bat")));
    }

    void leavingTheDialogWritesNothing_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("Cancel") << "cancel";
        QTest::newRow("Esc") << "esc";
        QTest::newRow("close box") << "close";
    }
    void leavingTheDialogWritesNothing() {
        QFETCH(QString, how);
        QTemporaryDir source;
        QVERIFY(writeAll(source.path() + QStringLiteral("/a.txt"), "a"));
        auto window = windowOn(source.path());
        selectRows(window->File1, {0});
        window->lblStatus->setText(QStringLiteral("old"));
        answerCompressTo(QString(), how);
        window->mPopUp2_Click(0);
        QVERIFY(window->lblStatus->text().isEmpty());
        QVERIFY(Globals::SavePath.isEmpty());
        QVERIFY(!QFile::exists(inProgram(QStringLiteral("_tempcom.bat"))));
        QVERIFY(!QFile::exists(inProgram(QStringLiteral("recorded.bat"))));
    }
};

QTEST_MAIN(TestCompressCommand)
#include "test_compress_command.moc"
