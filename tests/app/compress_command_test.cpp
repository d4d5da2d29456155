// SPDX-License-Identifier: GPL-3.0-or-later
// Compress through the real window: pop-up menu, "Compress To", the selection
// capture, the batch, the launcher, and the batch run by our runner in its own
// process, followed to its end; hostile file names and where the batch runs.
// What goes wrong in a run is compress_run_test's.
#include "tests/support/window_session.h"

#include "common/globals.h"

#include <QToolButton>

using namespace crunchwise;
using namespace command_fixture;

class TestCompressCommand : public QObject {
    Q_OBJECT

private:
    StagedProgram program_;

    QString inProgram(const QString& name) const { return program_.path() + u'/' + name; }

private slots:
    void initTestCase() { program_.takeOver(); }

    void init() {
        MessageBox::clearShown();
        program_.clearRecords();
    }

    void cleanup() { QVERIFY2(MessageBox::pendingAnswers() == 0, "an answer was not asked for"); }

    void compressesTheSelectionIntoTheChosenFolder() {
        QTemporaryDir source, destination;
        const QStringList names = {"Read Me.txt", "notes.md", "setup.exe", "zz data.bin"};
        for (int i = 0; i < names.size(); ++i)
            QVERIFY(writeAll(source.path() + u'/' + names[i], sampleData(i)));
        auto window = windowOn(source.path());
        // List order: notes.md, Read Me.txt, setup.exe, zz data.bin.
        selectRows(window->File1, {rowOf(window->File1, names[0]), rowOf(window->File1, names[2]),
                                   rowOf(window->File1, names[3])});

        answerCompressTo(destination.path());
        choosePopUpItem(QStringLiteral("Compress"));
        rightClickFileList(*window);
        QVERIFY(window->lblStatus->text().startsWith(u"Compressing 1 of 3: "));
        QVERIFY(endsAs(*window, "Compression Completed"));
        QCOMPARE(program_.waitForRunner(), QByteArray("0"));

        const QByteArray src = QFile::encodeName(source.path()) + '/';
        const QByteArray dst = QFile::encodeName(destination.path()) + '/';
        QCOMPARE(readAll(inProgram(QStringLiteral("recorded.bat"))),
                 "compress --no-follow \"" + src + "Read Me.txt\" \"" + dst + "Read Me.tx_\"\r\n" +
                     "compress --no-follow " + src + "setup.exe " + dst + "setup.ex_\r\n" +
                     "compress --no-follow \"" + src + "zz data.bin\" \"" + dst +
                     "zz data.bi_\"\r\n" + "ren \"" + dst + "Read Me.tx_\" \"Read Me.tx_\"\r\n" +
                     "ren " + dst + "setup.ex_ setup.ex_\r\n" + "ren \"" + dst +
                     "zz data.bi_\" \"zz data.bi_\"\r\n" + "del _tempcom.bat\r\n");
        QCOMPARE(readAll(inProgram(QStringLiteral("recorded.cwd"))).trimmed(),
                 QFile::encodeName(program_.path()));
        QVERIFY(!QFile::exists(inProgram(QStringLiteral("_tempcom.bat"))));
        QCOMPARE(QDir(destination.path()).entryList(QDir::Files),
                 QStringList({"Read Me.tx_", "setup.ex_", "zz data.bi_"}));
        // That msexpand reads them too is the codec's test (SzddPeers).
        for (int i : {0, 2, 3})
            QCOMPARE(expanded(destination.path() + u'/' + names[i].chopped(1) + u'_'),
                     sampleData(i));
    }

    void presenceChecks_data() {
        QTest::addColumn<QString>("pif");
        QTest::addColumn<QString>("compressor"); // name in the program folder, or "PATH"
        QTest::addColumn<QString>("message");    // first line, or empty for none
        QTest::newRow("both present") << "crunchws.pif"
                                      << "compress.exe"
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
        // Without a selection nothing more happened.
        QVERIFY(!QFile::exists(folder.path() + QStringLiteral("/_tempcom.bat")));
    }

    // Leaving "Compress To" (each way out is the dialog test's) writes no
    // batch and empties the status. (What the capture keeps in the window's
    // lists on the way is no one's to see: the batch of a run, checked above,
    // is what it captured.)
    void leavingCompressToWritesNoBatch() {
        QTemporaryDir source;
        for (const char* name : {"a.txt", "b.txt", "c.txt"})
            QVERIFY(writeAll(source.path() + u'/' + QLatin1String(name), "x"));
        auto window = windowOn(source.path());
        window->lblStatus->setText(QStringLiteral("Compression Completed"));
        selectRows(window->File1, {0, 2});
        answerCompressTo(QString());
        window->mPopUp2_Click(0);
        QVERIFY(window->lblStatus->text().isEmpty());
        QVERIFY(Globals::SavePath.isEmpty());
        QVERIFY(!QFile::exists(inProgram(QStringLiteral("recorded.bat"))));
        QVERIFY(!QFile::exists(inProgram(QStringLiteral("_tempcom.bat"))));
    }

    // Names that no quoting can carry are left out and named in the run's
    // one failure report; the others, however hostile, only ever reach the
    // compressor.
    void hostileNamesRunNothingButTheCompressor() {
        QTemporaryDir source, destination;
        const QStringList names = {"a&b|c%d>e<f.txt", "plain.txt", "quote\"name.txt",
                                   "line\nbreak.txt", "x & del plain.txt"};
        for (const QString& name : names)
            QVERIFY(writeAll(source.path() + u'/' + name, name.toUtf8()));
        auto window = windowOn(source.path());
        QList<int> rows;
        for (const QString& name : names)
            rows << rowOf(window->File1, name);
        selectRows(window->File1, rows);
        answerCompressTo(destination.path());
        MessageBox::setNextAnswer(QMessageBox::Cancel);
        window->mPopUp2_Click(0);
        QTRY_COMPARE_WITH_TIMEOUT(window->lblStatus->text(), QStringLiteral("Compression Failed"),
                                  20000);

        QCOMPARE(MessageBox::shown().size(), 1);
        const QString report = MessageBox::shown()[0].text;
        QVERIFY(report.startsWith(u"Error Number: 64\r\n\r\n2 files were not compressed:\r\n"));
        QVERIFY(report.contains(u"quote\"name.txt: no batch line can carry this name"));
        QCOMPARE(program_.waitForRunner(), QByteArray("0"));
        QCOMPARE(filesIn(destination.path()),
                 QStringList({"a&b|c%d>e<f.tx_", "plain.tx_", "x & del plain.tx_"}));
        QStringList sorted = names;
        sorted.sort();
        QCOMPARE(filesIn(source.path()), sorted);
    }

    // A batch that has not finished keeps _tempcom.bat; the next run goes to
    // a folder of its own, still finds the program folder's compressor, and
    // its folder goes once its runner has ended.
    void unfinishedBatchIsNeverRewritten() {
        QTemporaryDir source, destination;
        QVERIFY(writeAll(source.path() + QStringLiteral("/one.txt"), sampleData(1)));
        const QByteArray unfinished = "del _tempcom.bat\r\n";
        QVERIFY(writeAll(program_.file("_tempcom.bat"), unfinished));
        auto window = compress(source.path(), destination.path(), {0});
        QVERIFY(endsAs(*window, "Compression Completed"));

        QCOMPARE(readAll(program_.file("_tempcom.bat")), unfinished);
        QFile::remove(program_.file("_tempcom.bat"));
        const QString runFolder =
            QString::fromUtf8(readAll(program_.file("recorded.cwd")).trimmed());
        QCOMPARE(QFileInfo(runFolder).path(),
                 program_.runtimePath() + QStringLiteral("/Crunchwise"));
        QVERIFY(!QFileInfo::exists(runFolder));
        QCOMPARE(filesIn(destination.path()), QStringList{"one.tx_"});
    }

    // While a run goes on, no second file command starts; once it has
    // ended, its new files show in the list with no refresh, the selection
    // stays on the same files, and the next command runs.
    void aSecondCommandWaitsForTheRun() {
        QTemporaryDir source;
        for (const char* name : {"first.txt", "other.dat", "second.txt"})
            QVERIFY(writeAll(source.path() + u'/' + QLatin1String(name), sampleData(name[0])));
        auto window = compress(source.path(), source.path(), {0});
        QVERIFY(!window->cmdCompress->isEnabled());
        bool opened = false;
        QTimer watch;
        connect(&watch, &QTimer::timeout, [&] {
            if (auto* dialog = qobject_cast<frmSaveDirectory*>(QApplication::activeModalWidget())) {
                opened = true;
                dialog->cmdCancel->click();
            }
        });
        watch.start(20);
        window->mPopUp2_Click(0);
        QVERIFY(endsAs(*window, "Compression Completed"));
        watch.stop();
        QVERIFY(!opened);
        QCOMPARE(listed(window->File1),
                 QStringList({"first.tx_", "first.txt", "other.dat", "second.txt"}));
        QCOMPARE(selectedNames(window->File1), QStringList{"first.txt"});
        QVERIFY(window->cmdCompress->isEnabled());
        selectRows(window->File1, {3});
        answerCompressTo(source.path());
        window->mPopUp2_Click(0);
        QVERIFY(endsAs(*window, "Compression Completed"));
        QCOMPARE(readAll(program_.file("runner.done")), QByteArray("0\n0\n"));
        QCOMPARE(filesIn(source.path()),
                 QStringList({"first.tx_", "first.txt", "other.dat", "second.tx_", "second.txt"}));
        QVERIFY(!QFile::exists(program_.file("_tempcom.bat")));
    }

    // A destination that vanished has no short form: its own path is used,
    // and the compressor's reason reaches the report.
    void destinationWithoutShortFormKeepsItsPath() {
        QTemporaryDir source, destination;
        QVERIFY(writeAll(source.path() + QStringLiteral("/one.txt"), "1"));
        auto window = windowOn(source.path());
        selectRows(window->File1, {0});
        whenOpen<frmSaveDirectory>([&](frmSaveDirectory* dialog) {
            dialog->Dir1->setPath(destination.path());
            destination.remove();
            dialog->cmdSave->click();
        });
        MessageBox::setNextAnswer(QMessageBox::Cancel);
        window->mPopUp2_Click(0);
        QTRY_COMPARE_WITH_TIMEOUT(window->lblStatus->text(), QStringLiteral("Compression Failed"),
                                  20000);
        QVERIFY(readAll(program_.file("recorded.bat"))
                    .contains(" " + QFile::encodeName(destination.path()) + "/one.tx_\r\n"));
        QVERIFY2(MessageBox::shown().value(0).text.contains(QStringLiteral(": folder ") +
                                                            destination.path() +
                                                            QStringLiteral(" does not exist")),
                 qPrintable(MessageBox::shown().value(0).text));
    }
};

QTEST_MAIN(TestCompressCommand)
#include "compress_command_test.moc"
