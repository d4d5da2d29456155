// SPDX-License-Identifier: GPL-3.0-or-later
// Expand through the real window: pop-up menu, "Expand To", the replace
// question, the LZ library and the failure dialog.
#include "tests/support/window_session.h"

#include "common/globals.h"
#include "szdd/szdd.h"

using namespace crunchwise;
using namespace command_fixture;

class TestExpandCommand : public QObject {
    Q_OBJECT

private:
    QTemporaryDir config_;

private slots:
    void initTestCase() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config_.path());
    }
    void init() { MessageBox::clearShown(); }
    void cleanup() { QVERIFY2(MessageBox::pendingAnswers() == 0, "an answer was not asked for"); }

    // Each file under its own proposed name. (Files of Debian's mscompress
    // are the codec's: SzddPeers.)
    void expandsEveryFileUnderItsProposedName() {
        QTemporaryDir folder;
        QVERIFY(compressed(sampleData(1), folder.path() + QStringLiteral("/read me.tx_")));
        QVERIFY(compressed(sampleData(2), folder.path() + QStringLiteral("/SETUP.EX_")));
        QVERIFY(compressed(sampleData(3), folder.path() + QStringLiteral("/lib.dl_")));
        QString proposed;
        auto window = expand(folder.path(), {"read me.tx_", "SETUP.EX_", "lib.dl_"},
                             [&](frmSaveDirectoryExpand* dialog) {
                                 QCOMPARE(dialog->windowTitle(), QStringLiteral("Expand To"));
                                 proposed = dialog->txtFileName->text();
                                 dialog->cmdSave->click();
                             });
        QCOMPARE(proposed, QStringLiteral("lib.dll")); // the first in list order
        QCOMPARE(window->lblStatus->text(), QStringLiteral("Expansion Completed"));
        QCOMPARE(readAll(folder.path() + QStringLiteral("/read me.txt")), sampleData(1));
        QCOMPARE(readAll(folder.path() + QStringLiteral("/SETUP.EXE")), sampleData(2));
        QCOMPARE(readAll(folder.path() + QStringLiteral("/lib.dll")), sampleData(3));
        QVERIFY(rowOf(window->File1, QStringLiteral("SETUP.EXE")) >= 0);
        QVERIFY(MessageBox::shown().isEmpty());
    }

    // Each way out of the dialog is the dialog test's; one is enough here.
    void leavingTheDialogWritesNothing() {
        QTemporaryDir folder;
        QVERIFY(compressed(sampleData(1), folder.path() + QStringLiteral("/a.tx_")));
        auto window = expand(folder.path(), {"a.tx_"}, [&](frmSaveDirectoryExpand* dialog) {
            QVERIFY(writeAll(folder.path() + QStringLiteral("/later.txt"), "x"));
            dialog->cmdCancel->click();
        });
        QVERIFY(window->lblStatus->text().isEmpty());
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList({"a.tx_", "later.txt"}));
        QCOMPARE(rowOf(window->File1, QStringLiteral("later.txt")), -1); // not refreshed
    }

    // One question for the run lists the outputs that exist; No leaves them
    // and their sources out, Yes replaces them.
    void existingFilesAreReplacedOnlyWhenTheUserAgrees_data() {
        QTest::addColumn<bool>("agree");
        QTest::newRow("Yes replaces it") << true;
        QTest::newRow("No leaves it and its source out") << false;
    }
    void existingFilesAreReplacedOnlyWhenTheUserAgrees() {
        QFETCH(bool, agree);
        QTemporaryDir folder;
        const QString in = folder.path() + u'/';
        QVERIFY(compressed(sampleData(1), in + QStringLiteral("SAMPLE.TX_")));
        QVERIFY(compressed(sampleData(2), in + QStringLiteral("OTHER.TX_")));
        QVERIFY(writeAll(in + QStringLiteral("SAMPLE.TXT"), "edited by the user"));
        MessageBox::setNextAnswer(agree ? QMessageBox::Yes : QMessageBox::No);
        auto window = expand(folder.path(), {"OTHER.TX_", "SAMPLE.TX_"}, acceptProposal);

        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].text, QStringLiteral("1 file already exists in %1:\r\n\r\n"
                                                             "SAMPLE.TXT\r\n\r\nReplace it?")
                                                  .arg(folder.path()));
        QCOMPARE(MessageBox::shown()[0].defaultButton, QMessageBox::No);
        QCOMPARE(readAll(in + QStringLiteral("SAMPLE.TXT")),
                 agree ? sampleData(1) : QByteArray("edited by the user"));
        QCOMPARE(readAll(in + QStringLiteral("OTHER.TXT")), sampleData(2));
        QCOMPARE(window->lblStatus->text(), QStringLiteral("Expansion Completed"));
    }

    // An output that is a selected file, or the output of an earlier file,
    // is refused and named in the failure dialog; the others are expanded.
    // Other spellings of a selected file are the output plan's (OutputPlan).
    void refusedOutputs_data() {
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("line");
        QTest::newRow("the source itself") << QStringList{"a.tx_"} << "a.tx_"
                                           << "a.tx_: its output a.tx_ is a selected file";
        QTest::newRow("the output of an earlier file")
            << QStringList{"a.tx_", "b.tx_"} << "b.txt"
            << "b.tx_: its output b.txt is also the output of a.tx_";
    }
    void refusedOutputs() {
        QFETCH(QStringList, selected);
        QFETCH(QString, typed);
        QFETCH(QString, line);
        QTemporaryDir folder;
        const QString in = folder.path() + u'/';
        QVERIFY(compressed(sampleData(1), in + QStringLiteral("a.tx_")));
        QVERIFY(compressed(sampleData(2), in + QStringLiteral("b.tx_")));
        const QByteArray a = readAll(in + QStringLiteral("a.tx_"));
        const QByteArray b = readAll(in + QStringLiteral("b.tx_"));
        MessageBox::setNextAnswer(QMessageBox::Cancel);
        auto window = expand(folder.path(), selected, saveAs(typed));

        QCOMPARE(boxTitles(), QStringList{"System Error!"});
        QVERIFY2(boxTexts()[0].contains(line + QStringLiteral("; not expanded")),
                 qPrintable(boxTexts()[0]));
        QCOMPARE(window->lblStatus->text(), QStringLiteral("Expansion Failed"));
        QCOMPARE(readAll(in + QStringLiteral("a.tx_")), a);
        QCOMPARE(readAll(in + QStringLiteral("b.tx_")), b);
        if (typed == u"b.txt")
            QCOMPARE(readAll(in + QStringLiteral("b.txt")), sampleData(1));
    }

    // A file cut short: the dialog names it with both lengths; a new file
    // keeps what could be expanded, an existing one is never replaced by it.
    // (Another compressor's wrong length gives the same failure of the LZ
    // library: LzFailure.)
    void damagedFiles_data() {
        QTest::addColumn<bool>("existing");
        QTest::addColumn<QString>("line");
        QTest::newRow("nothing there") << false << "what was expanded is kept as trunc.txt";
        QTest::newRow("over an existing file") << true << "trunc.txt not replaced";
    }
    void damagedFiles() {
        QFETCH(bool, existing);
        QFETCH(QString, line);
        QTemporaryDir folder;
        const QString in = folder.path() + u'/';
        QVERIFY(compressed(sampleData(7, 78737), in + QStringLiteral("whole.tx_")));
        const QByteArray source = readAll(in + QStringLiteral("whole.tx_")).left(5000);
        QVERIFY(writeAll(in + QStringLiteral("trunc.tx_"), source));
        if (existing) {
            QVERIFY(writeAll(in + QStringLiteral("trunc.txt"), "the user's file"));
            MessageBox::setNextAnswer(QMessageBox::Yes);
        }
        MessageBox::setNextAnswer(QMessageBox::Cancel);
        auto window = expand(folder.path(), {"trunc.tx_"}, acceptProposal);

        const QByteArray part = expansionOf(source);
        szdd::Header header;
        szdd::readHeader(spanOf(source), header);
        QCOMPARE(window->lblStatus->text(), QStringLiteral("Expansion Failed"));
        QVERIFY(!MessageBox::shown().isEmpty());
        const QString text = MessageBox::shown().last().text;
        QVERIFY2(text.contains(QStringLiteral("trunc.tx_: expanded %1 bytes, the header says %2; ")
                                   .arg(part.size())
                                   .arg(header.length) +
                               line),
                 qPrintable(text));
        QCOMPARE(readAll(in + QStringLiteral("trunc.txt")),
                 existing ? QByteArray("the user's file") : part);
        QVERIFY(hiddenFiles(folder.path()).isEmpty());
    }

    // A failure names the file; Retry expands the failed files again.
    void retryExpandsTheFailedFilesAgain() {
        QTemporaryDir folder;
        QVERIFY(compressed(sampleData(4), folder.path() + QStringLiteral("/a.tx_")));
        QString text;
        whenOpen<QMessageBox>([&](QMessageBox* box) {
            text = box->text();
            QDir(folder.path()).mkdir(QStringLiteral("later"));
            box->button(QMessageBox::Retry)->click();
        });
        auto window = expand(folder.path(), {"a.tx_"}, saveAs(QStringLiteral("later/a.txt")));
        QVERIFY2(text.contains(QStringLiteral("a.tx_: cannot write later/a.txt: Path not found")),
                 qPrintable(text));
        QCOMPARE(readAll(folder.path() + QStringLiteral("/later/a.txt")), sampleData(4));
        QCOMPARE(window->lblStatus->text(), QStringLiteral("Expansion Completed"));
    }

    // The root folder's doubled separator is passed on and works.
    void rootFolderDestination() {
        QTemporaryDir folder;
        QVERIFY(compressed(sampleData(4), folder.path() + QStringLiteral("/root.tx_")));
        const QString target = QStringLiteral("/crunchwise-expand-test.txt");
        if (!writeAll(target, "probe") || !QFile::remove(target))
            QSKIP("the root folder is not writable here");
        auto window = expand(folder.path(), {"root.tx_"}, [&](frmSaveDirectoryExpand* d) {
            d->Dir1->setPath(QStringLiteral("/"));
            d->txtFileName->setText(target.mid(1));
            d->cmdSave->click();
        });
        const QByteArray written = readAll(target);
        QFile::remove(target);
        QCOMPARE(window->lblStatus->text(), QStringLiteral("Expansion Completed"));
        QCOMPARE(written, sampleData(4));
    }
};

QTEST_MAIN(TestExpandCommand)
#include "expand_command_test.moc"
