// SPDX-License-Identifier: GPL-3.0-or-later
// Expand through the real window: pop-up menu, "Expand To", the LZ library.
#include "window_session.h"

#include "common/app_info.h"
#include "common/globals.h"
#include "common/message_box.h"
#include "dialogs/frm_save_directory_expand.h"
#include "tests/support/szdd_file.h"

#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressDialog>

using namespace crunchwise;
using namespace command_fixture;

class TestExpandCommand : public QObject {
    Q_OBJECT

private:
    QTemporaryDir config_;

    // A compressed copy of `data` at `file`, made by `program`.
    static bool compressed(const QString& program, const QByteArray& data, const QString& file) {
        const QString plain = file + QStringLiteral(".plain");
        if (!writeAll(plain, data))
            return false;
        QProcess process;
        if (program == u"mscompress") {
            process.start(QStringLiteral("mscompress"), {plain});
            process.waitForFinished(20000);
            return QFile::remove(plain) && QFile::rename(plain + u'_', file);
        }
        process.start(QStringLiteral(CRUNCHWISE_PROGRAM_DIR "/compress.exe"), {plain, file});
        process.waitForFinished(20000);
        return QFile::remove(plain) && process.exitCode() == 0;
    }

    // Runs Expand on the files `names` of `folder`; `answer` answers the dialog.
    static std::unique_ptr<frmMain>
    expand(const QString& folder, const QStringList& names,
           const std::function<void(frmSaveDirectoryExpand*)>& answer) {
        auto window = windowOn(folder);
        QList<int> rows;
        for (const QString& name : names)
            rows << rowOf(window->File1, name);
        selectRows(window->File1, rows);
        whenOpen<frmSaveDirectoryExpand>(answer);
        choosePopUpItem(QStringLiteral("Expand"));
        rightClickFileList(*window);
        return window;
    }
    static void acceptProposal(frmSaveDirectoryExpand* dialog) { dialog->cmdSave->click(); }

private slots:
    void initTestCase() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config_.path());
    }
    void init() { MessageBox::clearShown(); }
    void cleanup() { QVERIFY2(MessageBox::pendingAnswers() == 0, "an answer was not asked for"); }

    // Ours, Debian's compressor, and another whose header gives a length that
    // its data cannot hold; each file under its own proposed name.
    void expandsEveryFileUnderItsProposedName() {
        QTemporaryDir folder;
        const auto& reference = crunchwise::testing::kReferenceCompressed;
        QVERIFY(writeAll(folder.path() + QStringLiteral("/testfile.tx_"),
                         QByteArray(reinterpret_cast<const char*>(reference.data()),
                                    qsizetype(reference.size()))));
        QVERIFY(compressed("ours", sampleData(1), folder.path() + QStringLiteral("/read me.tx_")));
        QVERIFY(
            compressed("mscompress", sampleData(2), folder.path() + QStringLiteral("/SETUP.EX_")));
        QVERIFY(compressed("ours", sampleData(3), folder.path() + QStringLiteral("/lib.dl_")));
        QString proposed;
        auto window = expand(folder.path(), {"read me.tx_", "SETUP.EX_", "lib.dl_", "testfile.tx_"},
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
        QCOMPARE(readAll(folder.path() + QStringLiteral("/testfile.txt")),
                 QByteArray::fromStdString(crunchwise::testing::kReferenceText));
        QVERIFY(rowOf(window->File1, QStringLiteral("SETUP.EXE")) >= 0);
    }

    // Each way out of the dialog is the dialog test's; one is enough here.
    void leavingTheDialogWritesNothing() {
        QTemporaryDir folder;
        QVERIFY(compressed("ours", sampleData(1), folder.path() + QStringLiteral("/a.tx_")));
        auto window = expand(folder.path(), {"a.tx_"}, [&](frmSaveDirectoryExpand* dialog) {
            QVERIFY(writeAll(folder.path() + QStringLiteral("/later.txt"), "x"));
            dialog->cmdCancel->click();
        });
        QVERIFY(window->lblStatus->text().isEmpty());
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList({"a.tx_", "later.txt"}));
        QCOMPARE(rowOf(window->File1, QStringLiteral("later.txt")), -1); // not refreshed
    }

    // What fails shows "Expansion Failed", no message box, and leaves every
    // file that was there as it was.
    // The dialog proposes the name of the suffix table's row, or ends in "$".
    void proposedNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("proposed");
        QTest::newRow("row ex_") << "Setup.Ex_"
                                 << "Setup.ExE";
        QTest::newRow("row htm_") << "index.htm_"
                                  << "index.html";
        QTest::newRow("no row") << "README.TXT"
                                << "README.TX$";
    }
    void proposedNames() {
        QFETCH(QString, name);
        QFETCH(QString, proposed);
        QTemporaryDir folder;
        QVERIFY(writeAll(folder.path() + u'/' + name, "x"));
        QString offered;
        auto window = expand(folder.path(), {name}, [&](frmSaveDirectoryExpand* dialog) {
            offered = dialog->txtFileName->text();
            dialog->cmdCancel->click();
        });
        QCOMPARE(offered, proposed);
    }

    void failures_data() {
        QTest::addColumn<QString>("source");      // the file selected
        QTest::addColumn<QString>("destination"); // name typed, "" keeps the proposal
        QTest::newRow("truncated source") << "cut.tx_"
                                          << "";
        QTest::newRow("destination folder gone") << "a.tx_"
                                                 << "gone/a.txt";
        QTest::newRow("the source itself") << "a.tx_"
                                           << "a.tx_";
        QTest::newRow("the source through a link") << "a.tx_"
                                                   << "link.tx_";
    }
    void failures() {
        QFETCH(QString, source);
        QFETCH(QString, destination);
        QTemporaryDir folder;
        const QString in = folder.path() + u'/';
        QVERIFY(compressed("ours", sampleData(1, 200000), in + QStringLiteral("a.tx_")));
        const QByteArray packed = readAll(in + QStringLiteral("a.tx_"));
        QVERIFY(writeAll(in + QStringLiteral("cut.tx_"), packed.chopped(64)));
        QVERIFY(writeAll(in + QStringLiteral("cut.txt"), "existing"));
        QVERIFY(QFile::link(in + QStringLiteral("a.tx_"), in + QStringLiteral("link.tx_")));
        const QStringList before = QDir(folder.path()).entryList(QDir::Files);
        auto window = expand(folder.path(), {source}, [&](frmSaveDirectoryExpand* dialog) {
            if (!destination.isEmpty())
                dialog->txtFileName->setText(destination);
            dialog->cmdSave->click();
        });
        QCOMPARE(window->lblStatus->text(), QStringLiteral("Expansion Failed"));
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), before);
        QCOMPARE(readAll(in + QStringLiteral("a.tx_")), packed);
        QCOMPARE(readAll(in + QStringLiteral("cut.txt")), QByteArray("existing"));
    }

    // The chosen name may be the proposal of a later file: that one is
    // refused rather than overwriting the first.
    void noFileOfTheRunOverwritesAnother() {
        QTemporaryDir folder;
        QVERIFY(compressed("ours", sampleData(1), folder.path() + QStringLiteral("/a.tx_")));
        QVERIFY(compressed("ours", sampleData(2), folder.path() + QStringLiteral("/b.tx_")));
        auto window = expand(folder.path(), {"a.tx_", "b.tx_"}, [](frmSaveDirectoryExpand* d) {
            d->txtFileName->setText(QStringLiteral("b.txt"));
            d->cmdSave->click();
        });
        QCOMPARE(window->lblStatus->text(), QStringLiteral("Expansion Failed"));
        QCOMPARE(readAll(folder.path() + QStringLiteral("/b.txt")), sampleData(1));
    }

    // A long run shows its progress; Cancel stops it after the file in hand,
    // leaving only complete files and no hidden ones.
    void cancelStopsAfterTheFileInHand() {
        QTemporaryDir folder, out;
        const QByteArray data = sampleData(5, 512 * 1024);
        QStringList names;
        for (int i = 0; i < 300; ++i) {
            names << QStringLiteral("f%1.bin").arg(i, 3, 10, QLatin1Char('0'));
            QVERIFY(writeAll(folder.path() + u'/' + names.last(), data));
        }
        bool cancelled = false;
        QString label;
        whenOpen<QProgressDialog>([&](QProgressDialog* progress) {
            label = progress->labelText();
            progress->findChild<QPushButton*>()->click();
            cancelled = true;
        });
        auto window = expand(folder.path(), names, [&](frmSaveDirectoryExpand* d) {
            d->Dir1->setPath(out.path());
            d->cmdSave->click();
        });
        if (!cancelled)
            QSKIP("the run ended before its progress was shown");
        QVERIFY(label.startsWith(QStringLiteral("Expanding f")));
        const QStringList written = QDir(out.path()).entryList(QDir::Files | QDir::Hidden);
        QVERIFY2(!written.isEmpty() && written.size() < names.size(),
                 qPrintable(QString::number(written.size())));
        for (const QString& name : written)
            QCOMPARE(readAll(out.path() + u'/' + name).size(), data.size());
        QVERIFY(window->lblStatus->text().isEmpty());
    }

    // The root folder's doubled separator is passed on and works.
    void rootFolderDestination() {
        QTemporaryDir folder;
        QVERIFY(compressed("ours", sampleData(4), folder.path() + QStringLiteral("/root.tx_")));
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
