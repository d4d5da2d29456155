// SPDX-License-Identifier: GPL-3.0-or-later
// A Compress run through the real window when things go wrong: a folder it
// cannot write, outputs that collide, runs too large for one batch, a batch
// the runner refuses, Cancel, and closing the window while it runs. A link
// at an output name is compress.exe's test (Destination), a runtime folder
// someone else owns BatchFile's (BatchFileTest).
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

} // namespace

class TestCompressRun : public QObject {
    Q_OBJECT

private:
    StagedProgram program_;

    QStringList errorLogLines() const {
        const QString log = QString::fromUtf8(readAll(program_.file("error.log")));
        return log == u"<missing>" ? QStringList()
                                   : log.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }

private slots:
    void initTestCase() { program_.takeOver(); }

    void init() {
        MessageBox::clearShown();
        program_.clearRecords();
    }

    void cleanup() { QVERIFY2(MessageBox::pendingAnswers() == 0, "an answer was not asked for"); }

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
        const QStringList log = errorLogLines();
        QCOMPARE(log.size(), 2 * runs);
        for (int i = 0; i < log.size(); ++i) {
            QVERIFY2(log[i].contains(QStringLiteral(" frmMainmPopUp2_Click - %1.txt: ")
                                         .arg(QLatin1Char(i % 2 ? 'b' : 'a'))) &&
                         log[i].endsWith(u" (70)"),
                     qPrintable(log[i]));
        }
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

        QCOMPARE(MessageBox::shown().size(), 2);
        QCOMPARE(MessageBox::shown()[0].text, QStringLiteral("1 file already exists in %1:\r\n\r\n"
                                                             "y.tx_\r\n\r\nReplace it?")
                                                  .arg(folder.path()));
        QCOMPARE(MessageBox::shown()[1].text,
                 QStringLiteral("Error Number: 58\r\n\r\n4 files were not compressed:\r\n"
                                "a.txy: gives the same compressed name a.tx_ as a.txt; not "
                                "compressed\r\n"
                                "x.tx_: its compressed name x.tx_ is a selected file; not "
                                "compressed\r\n"
                                "x.txt: its compressed name x.tx_ is a selected file; not "
                                "compressed\r\n"
                                "x.txy: its compressed name x.tx_ is a selected file; not "
                                "compressed\r\n\r\n"
                                "Please press Retry to try again or Cancel\r\nto abort the "
                                "operation"));
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
        QVERIFY(endsAs(*window, "Compression Failed"));
        QVERIFY(writeAll(program_.file("crunchws.pif"),
                         "program=record-batch\narguments=/c _tempcom.bat\n"));
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY2(MessageBox::shown()[0].text.contains(reported),
                 qPrintable(MessageBox::shown()[0].text));
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
        QVERIFY(window->lblStatus->text().startsWith(u"Compressing 2 of 2: big.bin") ||
                window->lblStatus->text().startsWith(u"Compressing 1 of 2: "));
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

QTEST_MAIN(TestCompressRun)
#include "compress_run_test.moc"
