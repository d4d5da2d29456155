// SPDX-License-Identifier: GPL-3.0-or-later
// Compress through the real window: pop-up menu, "Compress To", the batch run
// by our runner in its own process and followed to its end; hostile names,
// where the batch runs, and what goes wrong: a folder it cannot write,
// colliding outputs, several batches, a batch that does not run, Cancel and
// closing the window. The batch text is CompressBatch's, a link at an output
// name compress.exe's (Destination), a runtime folder someone else owns
// BatchFile's.
#include "tests/support/window_session.h"

#include "tests/support/own_volume.h"

#include <QToolButton>
#include <numeric>

using namespace crunchwise;
using namespace command_fixture;

namespace {
// A file that takes the compressor several seconds: zeros, without taking
// any room on the disk.
bool writeLargeSparseFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.resize(qint64(700) << 20);
}

// Which of the launcher and compress.exe are there ("folder": the program
// folder, "PATH": elsewhere along PATH), and the first line of the message.
struct Presence {
    bool pif;
    QString compressor;
    QString message;
};
} // namespace

Q_DECLARE_METATYPE(Presence)

class TestCompress : public QObject {
    Q_OBJECT

    StagedProgram program_;

    QStringList errorLogLines() const {
        const QString log = QString::fromUtf8(readAll(program_.file("error.log")));
        return log == u"<missing>" ? QStringList()
                                   : log.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }
    void expectFailure(const frmMain& window, const QString& text) {
        QVERIFY(endsAs(window, "Compression Failed"));
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY2(MessageBox::shown()[0].text.contains(text),
                 qPrintable(MessageBox::shown()[0].text));
    }

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
        select(window->File1, {names[0], names[2], names[3]});

        answerCompressTo(destination.path());
        choosePopUpItem(QStringLiteral("Compress"));
        rightClickFileList(*window);
        QVERIFY(window->lblStatus->text().startsWith(u"Compressing 1 of 3: "));
        QVERIFY(endsAs(*window, "Compression Completed"));
        QCOMPARE(program_.waitForRunner(), QByteArray("0"));
        QVERIFY(!QFile::exists(program_.file("_tempcom.bat")));
        QCOMPARE(QDir(destination.path()).entryList(QDir::Files),
                 QStringList({"Read Me.tx_", "setup.ex_", "zz data.bi_"}));
        for (int i : {0, 2, 3})
            QCOMPARE(expanded(destination.path() + u'/' + names[i].chopped(1) + u'_'),
                     sampleData(i));
    }

    void presenceChecks_data() {
        QTest::addColumn<Presence>("row");
        QTest::newRow("both present") << Presence{true, "folder", ""};
        QTest::newRow("compressor only along PATH") << Presence{true, "PATH", ""};
        QTest::newRow("no launcher")
            << Presence{false, "folder", "The DOS PIF File CrunchWs is missing"};
        QTest::newRow("no compressor")
            << Presence{true, "", "The Microsoft® Program COMPRESS.EXE is missing"};
    }
    void presenceChecks() {
        QFETCH(Presence, row);
        QTemporaryDir folder, elsewhere, source;
        if (row.pif)
            QVERIFY(QFile::copy(program_.file("crunchws.pif"), folder.filePath("crunchws.pif")));
        if (!row.compressor.isEmpty())
            QVERIFY(QFile::link(QStringLiteral(CRUNCHWISE_PROGRAM_DIR "/compress.exe"),
                                (row.compressor == u"PATH" ? elsewhere : folder)
                                    .filePath(QStringLiteral("compress.exe"))));
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(elsewhere.path()) + ':' + path);
        AppInfo::setPathForTesting(folder.path());
        QVERIFY(writeAll(source.path() + QStringLiteral("/a.txt"), "a"));
        auto window = windowOn(source.path());
        window->File1->setListIndex(0); // a current item but no selection
        window->File1->setSelected(0, false);
        if (!row.message.isEmpty())
            MessageBox::setNextAnswer(QMessageBox::Ok);
        window->mPopUp2_Click(0);
        AppInfo::setPathForTesting(program_.path());
        qputenv("PATH", path);

        QCOMPARE(MessageBox::shown().size(), row.message.isEmpty() ? 0 : 1);
        if (!row.message.isEmpty()) {
            QCOMPARE(MessageBox::shown()[0].icon, QMessageBox::Critical);
            QCOMPARE(boxTexts()[0].section(QStringLiteral("\r\n"), 0, 0), row.message);
        }
        // Without a selection nothing more happened.
        QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("_tempcom.bat"))));
    }

    // Leaving "Compress To" (each way out is the dialog test's) writes no
    // batch and empties the status.
    void leavingCompressToWritesNoBatch() {
        QTemporaryDir source;
        QVERIFY(writeAll(source.path() + QStringLiteral("/a.txt"), "x"));
        auto window = windowOn(source.path());
        window->lblStatus->setText(QStringLiteral("Compression Completed"));
        selectRows(window->File1, {0});
        answerCompressTo(QString());
        window->mPopUp2_Click(0);
        QVERIFY(window->lblStatus->text().isEmpty());
        QVERIFY(!QFile::exists(program_.file("recorded.bat")));
        QVERIFY(!QFile::exists(program_.file("_tempcom.bat")));
    }

    // Names that no quoting can carry are left out and named in the run's
    // one failure report; the others, however hostile, only ever reach the
    // compressor.
    void hostileNamesRunNothingButTheCompressor() {
        QTemporaryDir source, destination;
        QStringList names = {"a&b|c%d>e<f.txt", "line\nbreak.txt", "plain.txt", "quote\"name.txt",
                             "x & del plain.txt"};
        for (const QString& name : names)
            QVERIFY(writeAll(source.path() + u'/' + name, name.toUtf8()));
        MessageBox::setNextAnswer(QMessageBox::Cancel);
        auto window = windowOn(source.path());
        select(window->File1, names);
        answerCompressTo(destination.path());
        window->mPopUp2_Click(0);
        expectFailure(*window, "quote\"name.txt: no batch line can carry this name");
        QVERIFY(MessageBox::shown()[0].text.startsWith(
            u"Error Number: 64\r\n\r\n2 files were not compressed:\r\n"));
        QCOMPARE(program_.waitForRunner(), QByteArray("0"));
        QCOMPARE(filesIn(destination.path()),
                 QStringList({"a&b|c%d>e<f.tx_", "plain.tx_", "x & del plain.tx_"}));
        QCOMPARE(filesIn(source.path()), names);
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
        expectFailure(*window, ": folder " + destination.path() + " does not exist");
        QVERIFY(readAll(program_.file("recorded.bat"))
                    .contains(" " + QFile::encodeName(destination.path()) + "/one.tx_\r\n"));
    }

    void readOnlyDestinationIsReportedForEachFile_data() {
        QTest::addColumn<bool>("retry");
        QTest::newRow("Cancel") << false;
        QTest::newRow("Retry, then Cancel") << true;
    }
    void readOnlyDestinationIsReportedForEachFile() {
        QFETCH(bool, retry);
        QTemporaryDir source, destination;
        for (const char* name : {"a.txt", "b.txt"})
            QVERIFY(writeAll(source.path() + u'/' + QLatin1String(name), sampleData(name[0])));
        const OwnVolume readOnly(destination.path(), true);
        if (!readOnly.usable())
            QSKIP("cannot make a read-only folder here");
        if (retry)
            MessageBox::setNextAnswer(QMessageBox::Retry);
        MessageBox::setNextAnswer(QMessageBox::Cancel);
        auto window = compress(source.path(), destination.path(), {0, 1});
        QVERIFY(endsAs(*window, "Compression Failed"));

        const int runs = retry ? 2 : 1;
        QCOMPARE(MessageBox::shown().size(), runs);
        const QString report = MessageBox::shown()[0].text;
        QVERIFY2(
            report.startsWith(u"Error Number: 70\r\n\r\n2 files were not compressed:\r\na.txt: "),
            qPrintable(report));
        QVERIFY(report.contains(u"\r\nb.txt: "));
        // One error.log line per file and run; their form is OnError's.
        QCOMPARE(errorLogLines().size(), 2 * runs);
        QCOMPARE(readAll(program_.file("runner.done")).count('\n'), runs);
        QVERIFY(filesIn(destination.path()).isEmpty());
    }

    // Outputs that would overwrite a selected file or each other are
    // refused and named; an existing one is replaced only after one question.
    void collidingOutputsAreRefusedAndExistingOnesAskedAbout_data() {
        QTest::addColumn<bool>("replace");
        QTest::newRow("Yes: replaced") << true;
        QTest::newRow("No: kept") << false;
    }
    void collidingOutputsAreRefusedAndExistingOnesAskedAbout() {
        QFETCH(bool, replace);
        QTemporaryDir folder;
        const QString in = folder.path() + u'/';
        for (const char* name : {"a.txt", "a.txy", "x.txt", "x.txy", "y.txt"})
            QVERIFY(writeAll(in + QLatin1String(name), sampleData(name[0] + name[4])));
        QVERIFY(writeAll(in + QStringLiteral("y.tx_"), "the user's own y.tx_"));
        QVERIFY(writeAll(in + QStringLiteral("old"), "an older x"));
        QProcess::execute(QStringLiteral(CRUNCHWISE_PROGRAM_DIR "/compress.exe"),
                          {in + QStringLiteral("old"), in + QStringLiteral("x.tx_")});
        const QByteArray olderX = readAll(in + QStringLiteral("x.tx_"));
        MessageBox::setNextAnswer(replace ? QMessageBox::Yes : QMessageBox::No);
        MessageBox::setNextAnswer(QMessageBox::Cancel);
        // List order: a.txt, a.txy, old, x.tx_, x.txt, x.txy, y.tx_, y.txt.
        auto window = compress(folder.path(), folder.path(), {0, 1, 3, 4, 5, 7});
        QVERIFY(endsAs(*window, "Compression Failed"));

        QCOMPARE(boxTexts().value(0), QStringLiteral("1 file already exists in %1:\r\n\r\n"
                                                     "y.tx_\r\n\r\nReplace it?")
                                          .arg(folder.path()));
        const QString report = boxTexts().value(1);
        QVERIFY2(report.startsWith(u"Error Number: 58\r\n\r\n4 files were not compressed:\r\n"
                                   "a.txy: gives the same compressed name a.tx_ as a.txt; not "
                                   "compressed\r\n"),
                 qPrintable(report));
        for (const char* name : {"x.tx_", "x.txt", "x.txy"})
            QVERIFY(report.contains(
                name + QStringLiteral(": its compressed name x.tx_ is a selected file")));
        QCOMPARE(errorLogLines().size(), 4);
        QCOMPARE(readAll(in + QStringLiteral("x.tx_")), olderX);
        QCOMPARE(expanded(in + QStringLiteral("a.tx_")), readAll(in + QStringLiteral("a.txt")));
        QCOMPARE(replace ? expanded(in + QStringLiteral("y.tx_"))
                         : readAll(in + QStringLiteral("y.tx_")),
                 replace ? readAll(in + QStringLiteral("y.txt")) : "the user's own y.tx_");
    }

    // More than one batch's worth of files: each batch under the runner's
    // limit, run one after another, none left behind.
    void aLargeRunGoesInSeveralBatches() {
        QTemporaryDir source, destination;
        const int files = 1200;
        const QString stem = QString(190, u'n');
        for (int i = 0; i < files; ++i)
            QVERIFY(writeAll(
                source.path() + u'/' + stem + QString::number(i) + QStringLiteral(".txt"), "x"));
        QList<int> rows(files);
        std::iota(rows.begin(), rows.end(), 0);
        auto window = compress(source.path(), destination.path(), rows);
        QVERIFY(endsAs(*window, "Compression Completed"));
        QCOMPARE(filesIn(destination.path()).size(), files);
        QCOMPARE(readAll(program_.file("runner.done")), QByteArray("0\n0\n"));
        QVERIFY(!QFile::exists(program_.file("_tempcom.bat")));
    }

    // A launcher that cannot start, or a batch that the runner refuses, is
    // named in the report and the batch removed, so that the next run is not
    // pushed elsewhere by it.
    void aBatchThatDoesNotRunIsReportedAndRemoved_data() {
        QTest::addColumn<QByteArray>("launcher");
        QTest::addColumn<QString>("reported");
        QTest::newRow("the launcher names no program")
            << QByteArray("program=no-such-program\n")
            << "Error Number: 53\r\n\r\n1 file was not compressed:\r\none.txt: not compressed: "
               "File not found";
        QTest::newRow("the runner refuses the batch")
            << QByteArray("program=refuse\n")
            << "one.txt: crunchws-cmd: _tempcom.bat: larger than 1 MiB; not run";
    }
    void aBatchThatDoesNotRunIsReportedAndRemoved() {
        QFETCH(QByteArray, launcher);
        QFETCH(QString, reported);
        QTemporaryDir source, destination;
        QVERIFY(writeAll(source.path() + QStringLiteral("/one.txt"), "1"));
        QVERIFY(writeAll(program_.file("refuse"),
                         "#!/bin/sh\necho 'crunchws-cmd: _tempcom.bat: larger than 1 MiB; not run' "
                         ">&2\nexit 2\n"));
        QFile(program_.file("refuse")).setPermissions(QFile::ReadOwner | QFile::ExeOwner);
        QVERIFY(writeAll(program_.file("crunchws.pif"), launcher));
        MessageBox::setNextAnswer(QMessageBox::Cancel);
        auto window = compress(source.path(), destination.path(), {0});
        expectFailure(*window, reported);
        QVERIFY(writeAll(program_.file("crunchws.pif"),
                         "program=record-batch\narguments=/c _tempcom.bat\n"));
        QVERIFY(!QFile::exists(program_.file("_tempcom.bat")));
        QVERIFY(filesIn(destination.path()).isEmpty());

        selectRows(window->File1, {0});
        answerCompressTo(destination.path());
        window->mPopUp2_Click(0);
        QVERIFY(endsAs(*window, "Compression Completed"));
        QCOMPARE(readAll(program_.file("recorded.cwd")).trimmed(),
                 QFile::encodeName(program_.path()));
    }

    // Cancel stops the file in hand, keeps the older file it was to
    // replace, and leaves what was done before.
    void cancelStopsTheRunAndKeepsOlderFiles_data() {
        QTest::addColumn<bool>("byKey");
        QTest::newRow("Cancel button") << false;
        QTest::newRow("Esc") << true;
    }
    void cancelStopsTheRunAndKeepsOlderFiles() {
        QFETCH(bool, byKey);
        QTemporaryDir source, destination;
        QVERIFY(writeAll(source.path() + QStringLiteral("/a.txt"), sampleData(1)));
        QVERIFY(writeLargeSparseFile(source.path() + QStringLiteral("/big.bin")));
        QVERIFY(writeAll(destination.path() + QStringLiteral("/big.bi_"), "older"));
        MessageBox::setNextAnswer(QMessageBox::Yes);
        auto window = compress(source.path(), destination.path(), {0, 1});
        QToolButton* cancel = nullptr;
        QVERIFY(QTest::qWaitFor([&] {
            cancel = window->findChild<QToolButton*>(QStringLiteral("cmdCancelRun"));
            return cancel && cancel->isVisible();
        }));
        if (byKey) {
            window->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(window.get()));
            QTest::keyClick(window->File1, Qt::Key_Escape);
        } else
            cancel->click();
        QVERIFY(endsAs(*window, "Compression Cancelled"));

        QCOMPARE(MessageBox::shown().size(), 1); // the replace question, no failure
        // The staged launcher is a shell that ends at once; the runner and
        // compress.exe behind it take a moment more to remove the temporary.
        QTRY_COMPARE(filesIn(destination.path()), QStringList({"a.tx_", "big.bi_"}));
        QCOMPARE(readAll(destination.path() + QStringLiteral("/big.bi_")), QByteArray("older"));
        QVERIFY(!window->findChild<QToolButton*>(QStringLiteral("cmdCancelRun")));
        QVERIFY(window->cmdCompress->isEnabled());
        QVERIFY(!QFile::exists(program_.file("_tempcom.bat")));
    }

    // Closing the window during a run asks first: No goes on, Yes stops the
    // run as Cancel does.
    void closingTheWindowDuringARunAsksFirst() {
        QTemporaryDir source, destination;
        QVERIFY(writeLargeSparseFile(source.path() + QStringLiteral("/big.bin")));
        auto window = compress(source.path(), destination.path(), {0});
        QVERIFY(window->lblStatus->text().startsWith(u"Compressing 1 of 1: big.bin"));
        MessageBox::setNextAnswer(QMessageBox::No);
        QVERIFY(!window->close());
        QVERIFY(window->isVisible());
        QVERIFY(MessageBox::shown().value(0).text.startsWith(
            u"Crunchwise is still compressing (0 of 1 files done)."));
        MessageBox::setNextAnswer(QMessageBox::Yes);
        QVERIFY(window->close());
        QVERIFY(filesIn(destination.path()).isEmpty());
        QVERIFY(errorLogLines().isEmpty());
        QVERIFY(!QFile::exists(program_.file("_tempcom.bat")));
    }
};

QTEST_MAIN(TestCompress)
#include "compress_test.moc"
