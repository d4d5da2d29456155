// SPDX-License-Identifier: GPL-3.0-or-later
// Delete, Rename and Properties on real files, driven through the command
// handler with the dialogs answered as a user would; and every command on a
// name that is not UTF-8 ("\xff\xfe.txt") beside its look-alike twin
// ("\uFFFD\uFFFD.txt", what a lossy conversion makes of it), which acts on
// the file chosen and leaves the twin alone.
#include "tests/support/window_session.h"

#include "program/command_line.h"
#include "tests/support/scratch_folder.h"

#include <QDateTime>
#include <QInputDialog>
#include <QLocale>

#include <sys/mount.h>
#include <sys/stat.h>

using namespace crunchwise;
using namespace command_fixture;

namespace {
QStringList trashed(const QString& home) {
    return QDir(home + QStringLiteral("/.local/share/Trash/files")).entryList(QDir::Files);
}
} // namespace

class TestFileCommands : public QObject {
    Q_OBJECT

    // One window for the cases that need no home of their own.
    WindowSession session_{QStringList{}};
    frmMain& window = *session_.window;
    StagedProgram program_;
    const QString kRaw = FileNameCodec::decode("\xff\xfe");
    const QString kTwin = QStringLiteral("\uFFFD\uFFFD");
    const QByteArray rawData_ = QByteArray(2222, 'r');
    const QByteArray twinData_ = QByteArray(333, 't');
    bool rawLaid_ = false;

    // The raw names and their twins, plain ("*.txt") and compressed
    // ("*.tx_"); the raw one `suffix` alone selected.
    void layRaw(const char* suffix) {
        session_.reset({});
        for (const auto& [name, data] : {std::pair{kRaw, rawData_}, std::pair{kTwin, twinData_}}) {
            session_.write(name + ".txt", data);
            QVERIFY(compressed(data, session_.source.pathOf(name + ".tx_")));
        }
        window.File1->refresh();
        session_.select({kRaw + QLatin1String(suffix)});
        rawLaid_ = true;
    }
    QByteArray raw(const char* suffix) const { return session_.read(kRaw + QLatin1String(suffix)); }

private slots:
    void init() { MessageBox::clearShown(); }
    void cleanup() {
        QLocale::setDefault(QLocale::c());
        QVERIFY2(MessageBox::pendingAnswers() == 0, "a scripted answer was not asked for");
        if (std::exchange(rawLaid_, false)) // the twin is never touched
            QCOMPARE(session_.read(kTwin + ".txt"), twinData_);
    }

    void deleteMovesTheSelectionToTheTrash_data() {
        QTest::addColumn<bool>("withDataFolder");
        QTest::newRow("home with its data folder") << true;
        QTest::newRow("home without ~/.local/share yet") << false;
    }
    void deleteMovesTheSelectionToTheTrash() {
        QFETCH(bool, withDataFolder);
        WindowSession session({"a.txt", "b.txt", "c.txt", "d.txt"}, withDataFolder);
        // The current folder is where a misdirected move would land.
        QDir::setCurrent(session.source.path());
        session.select({"a.txt", "b.txt", "d.txt"});
        session.write("late.txt", "x");
        MessageBox::setNextAnswer(QMessageBox::Yes);

        session.window->mPopUp2_Click(4);

        QCOMPARE(boxTexts(),
                 QStringList{"Are you sure you want to move these 3 items to the Trash?"});
        QCOMPARE(session.onDisk(), QStringList({"c.txt", "late.txt"}));
        QCOMPARE(trashed(session.homePath()), QStringList({"a.txt", "b.txt", "d.txt"}));
        for (const char* name : {"a.txt", "b.txt", "d.txt"}) {
            QFile info(session.homePath() + "/.local/share/Trash/info/" + name + ".trashinfo");
            QVERIFY(info.open(QIODevice::ReadOnly));
            QVERIFY(
                info.readAll().contains("Path=" + QFile::encodeName(session.source.pathOf(name))));
        }
        QCOMPARE(session.listed(), QStringList({"c.txt", "late.txt"}));
    }

    void deleteThatDoesNotGoAhead_data() {
        QTest::addColumn<bool>("selectFile");
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<bool>("refreshed");
        QTest::newRow("confirmation declined") << true << false << true;
        QTest::newRow("current file but none selected") << false << false << false;
    }
    void deleteThatDoesNotGoAhead() {
        QFETCH(bool, selectFile);
        QFETCH(bool, confirm);
        QFETCH(bool, refreshed);
        session_.reset({"a.txt", "b.txt"});
        session_.select({"a.txt"});
        if (!selectFile)
            window.File1->setSelected(0, false);
        session_.write("late.txt", "x");
        if (selectFile)
            MessageBox::setNextAnswer(confirm ? QMessageBox::Yes : QMessageBox::No);

        window.mPopUp2_Click(4);

        QCOMPARE(session_.onDisk(), QStringList({"a.txt", "b.txt", "late.txt"}));
        QVERIFY(trashed(session_.homePath()).isEmpty());
        QCOMPARE(session_.listed().contains("late.txt"), refreshed);
    }

    void fileThatCannotBeTrashedStaysAndIsReported() {
        WindowSession session({"a.txt", "b.txt"});
        // No trash can be made where the data folder is a plain file.
        QDir(session.homePath()).rmdir(".local/share");
        QFile blocker(session.homePath() + "/.local/share");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        // Qt then reports success but moves the file into the current folder.
        QDir::setCurrent(session.source.path());
        session.select({"a.txt"});
        MessageBox::setNextAnswer(QMessageBox::Yes);
        MessageBox::setNextAnswer(QMessageBox::Ok);

        session.window->mPopUp2_Click(4);

        QCOMPARE(boxTexts().value(1),
                 QStringLiteral("1 item could not be moved to the Trash and was left where it "
                                "is:\n\n%1: Path not found")
                     .arg(session.source.pathOf("a.txt")));
        QCOMPARE(MessageBox::shown()[1].icon, QMessageBox::Warning);
        QCOMPARE(session.read("a.txt"), QByteArray("a.txt"));
        QCOMPARE(QDir(session.source.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList({"a.txt", "b.txt"}));
    }

    // A trash whose info file cannot be written (a full volume) takes
    // nothing: the file stays where it was and the warning says why.
    void trashOnAFullVolumeLeavesTheFileWhereItWas() {
        session_.reset({});
        QTemporaryDir mountPoint;
        const QByteArray volume = QFile::encodeName(mountPoint.path());
        if (::mount("crunchwise-full", volume.constData(), "tmpfs", 0, "size=64k") != 0)
            QSKIP("needs root to mount a small volume");
        const QString folder = mountPoint.path();
        QVERIFY(writeAll(folder + QStringLiteral("/a.txt"), "keep me"));
        QFile filler(folder + QStringLiteral("/filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        while (filler.write(QByteArray(4096, 'f')) > 0 && filler.flush()) {
        }
        filler.close();
        window.Dir1->setPath(folder);
        session_.select({"a.txt"});
        MessageBox::setNextAnswer(QMessageBox::Yes);
        MessageBox::setNextAnswer(QMessageBox::Ok);

        window.mPopUp2_Click(4);
        window.Dir1->setPath(session_.source.path());

        const QStringList infos =
            QDir(folder + QStringLiteral("/.Trash-%1/info").arg(::getuid())).entryList(QDir::Files);
        const QStringList moved = QDir(folder + QStringLiteral("/.Trash-%1/files").arg(::getuid()))
                                      .entryList(QDir::Files);
        const QByteArray kept = readAll(folder + QStringLiteral("/a.txt"));
        ::umount2(volume.constData(), MNT_DETACH);
        QCOMPARE(kept, QByteArray("keep me"));
        QCOMPARE(infos + moved, QStringList());
        QVERIFY2(boxTexts().value(1).endsWith(folder + QStringLiteral("/a.txt: Disk full")),
                 qPrintable(boxTexts().join(u'|')));
    }

    void rename_data() {
        QTest::addColumn<QString>("answer"); // null: Cancel
        QTest::addColumn<bool>("vanish");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("message"); // the dialog's, after the number
        QTest::addColumn<QStringList>("after");
        const QStringList untouched{"a.txt", "b.txt", "c.txt"};
        const QString badName = "Bad file name: \"%1\" (a name may not hold \"/\" or be \".\" or "
                                "\"..\")";
        QTest::newRow("accepted") << "z.txt" << false << 0 << QString()
                                  << QStringList({"a.txt", "c.txt", "z.txt"});
        QTest::newRow("cancelled") << QString() << false << 0 << QString() << untouched;
        QTest::newRow("empty answer") << "" << false << 0 << QString() << untouched;
        QTest::newRow("unchanged name") << "b.txt" << false << 0 << QString() << untouched;
        QTest::newRow("name of another file")
            << "c.txt" << false << 58 << "Cannot rename \"b.txt\" to \"c.txt\": File already exists"
            << untouched;
        QTest::newRow("vanished file")
            << "z.txt" << true << 53 << "Cannot rename \"b.txt\" to \"z.txt\": File not found"
            << QStringList({"a.txt", "c.txt"});
        QTest::newRow("into a subfolder")
            << "sub/z.txt" << false << 64 << badName.arg("sub/z.txt") << untouched;
        QTest::newRow("to the parent folder")
            << ".." << false << 64 << badName.arg("..") << untouched;
        QTest::newRow("to the folder itself")
            << "." << false << 64 << badName.arg(".") << untouched;
    }
    void rename() {
        QFETCH(QString, answer);
        QFETCH(bool, vanish);
        QFETCH(int, error);
        QFETCH(QString, message);
        QFETCH(QStringList, after);
        session_.reset({"a.txt", "b.txt", "c.txt"});
        QDir(session_.source.path()).mkdir("sub");
        session_.select({"b.txt"});
        if (vanish)
            session_.source.remove("b.txt");
        if (error != 0)
            MessageBox::setNextAnswer(QMessageBox::Cancel);
        QString asked; // title, prompt and proposed name
        whenOpen<QInputDialog>([&](QInputDialog* box) {
            asked = box->windowTitle() + u'|' + box->labelText() + u'|' + box->textValue();
            box->setTextValue(answer);
            answer.isNull() ? box->reject() : box->accept();
        });

        window.mPopUp2_Click(5);

        QCOMPARE(asked, QStringLiteral("File Rename|Enter New Filename|b.txt"));
        QCOMPARE(session_.onDisk(), after);
        QCOMPARE(session_.listed(), after);
        QCOMPARE(session_.read("c.txt"), QByteArray("c.txt"));
        if (after.contains("z.txt"))
            QCOMPARE(session_.read("z.txt"), QByteArray("b.txt"));
        QCOMPARE(MessageBox::shown().size(), error ? 1 : 0);
        if (error != 0) {
            QCOMPARE(MessageBox::shown()[0].text.section(QStringLiteral("\r\n"), 0, 2),
                     QStringLiteral("Error Number: %1\r\n\r\n%2").arg(error).arg(message));
            QVERIFY(session_.errorLog().contains(
                QStringLiteral("frmMainmPopUp2_Click - %1 (%2)").arg(message).arg(error)));
        }
        // The position stays current, whichever file now holds it.
        QCOMPARE(window.File1->listIndex(), 1);
    }

    void properties_data() {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QTime>("changed");
        QTest::addColumn<QString>("text");
        const QTime afternoon(14, 7, 9);
        const QString at = "Last Modified: 3/5/99 2:07:09 PM\nFile Size: ";
        QTest::newRow("empty file") << qint64(0) << afternoon << at + " bytes";
        QTest::newRow("999 bytes") << qint64(999) << afternoon << at + "999 bytes";
        QTest::newRow("1000 bytes") << qint64(1000) << afternoon << at + "1,000 bytes";
        QTest::newRow("3 GiB") << (qint64(3) << 30) << afternoon << at + "3,221,225,472 bytes";
        QTest::newRow("changed at midnight")
            << qint64(5) << QTime(0, 0, 0) << "Last Modified: 3/5/99\nFile Size: 5 bytes";
    }
    void properties() {
        QFETCH(qint64, size);
        QFETCH(QTime, changed);
        QFETCH(QString, text);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        session_.reset({"a.txt", "Report 1.doc"});
        const QString path = session_.source.pathOf("Report 1.doc");
        QVERIFY(::truncate(QFile::encodeName(path).constData(), size) == 0); // sparse
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime(QDate(1999, 3, 5), changed),
                                 QFileDevice::FileModificationTime));
        file.close();
        session_.select({"Report 1.doc"});
        MessageBox::setNextAnswer(QMessageBox::Ok);

        window.mPopUp2_Click(7);

        QCOMPARE(boxTitles(), QStringList{"Report 1.doc"});
        QCOMPARE(boxTexts(), QStringList{text});
        QCOMPARE(MessageBox::shown()[0].icon, QMessageBox::Information);
    }

    // The error dialog names the file that could not be read.
    void propertiesOfAVanishedFileNamesIt() {
        session_.reset({"a.txt", "gone.txt"});
        session_.select({"gone.txt"});
        session_.source.remove("gone.txt");
        MessageBox::setNextAnswer(QMessageBox::Cancel);
        window.mPopUp2_Click(7);
        QCOMPARE(boxTitles(), QStringList{"System Error!"});
        QVERIFY2(MessageBox::shown()[0].text.startsWith(
                     QStringLiteral("Error Number: 53\r\n\r\n\"gone.txt\": File not found")),
                 qPrintable(MessageBox::shown()[0].text));
    }

    void commandsWithoutACurrentFileDoNothing_data() {
        QTest::addColumn<int>("index");
        QTest::newRow("Compress") << 0;
        QTest::newRow("Expand") << 1;
        QTest::newRow("Delete") << 4;
        QTest::newRow("Rename") << 5;
        QTest::newRow("Properties") << 7;
    }
    void commandsWithoutACurrentFileDoNothing() {
        QFETCH(int, index);
        session_.reset({"a.txt"});
        window.mPopUp2_Click(index);
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(session_.onDisk(), QStringList({"a.txt"}));
    }

    void propertiesShowsTheRawName() {
        layRaw(".txt");
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        MessageBox::setNextAnswer(QMessageBox::Ok);
        window.mPopUp2_Click(7);
        QCOMPARE(boxTitles(), QStringList{FileNameCodec::displayText(kRaw + ".txt")});
        QVERIFY(boxTexts()[0].endsWith(QStringLiteral("File Size: 2,222 bytes")));
    }

    void deleteTrashesTheRawName() {
        layRaw(".txt");
        MessageBox::setNextAnswer(QMessageBox::Yes);
        window.mPopUp2_Click(4);
        QCOMPARE(raw(".txt"), QByteArray("<missing>"));
        const QString trash = session_.homePath() + QStringLiteral("/.local/share/Trash");
        QCOMPARE(readAll(trash + QStringLiteral("/files/") + kRaw + ".txt"), rawData_);
        const QByteArray info = readAll(trash + QStringLiteral("/info/") + kRaw + ".txt.trashinfo");
        // Raw names, which QTemporaryDir could not remove.
        std::filesystem::remove_all(FileNameCodec::encode(trash).toStdString());
        QVERIFY2(info.contains("%FF%FE.txt\nDeletionDate="), info.constData());
    }

    void renameRenamesTheRawName() {
        layRaw(".txt");
        whenOpen<QInputDialog>([](QInputDialog* box) {
            box->setTextValue(QStringLiteral("renamed.txt"));
            box->accept();
        });
        window.mPopUp2_Click(5);
        QCOMPARE(session_.read(QStringLiteral("renamed.txt")), rawData_);
        QCOMPARE(raw(".txt"), QByteArray("<missing>"));
    }

    void expandExpandsTheRawName() {
        layRaw(".tx_");
        QString proposed;
        whenOpen<frmSaveDirectoryExpand>([&](frmSaveDirectoryExpand* dialog) {
            proposed = dialog->txtFileName->text();
            dialog->txtFileName->setText(kRaw + ".out");
            dialog->cmdSave->click();
        });
        window.mPopUp2_Click(1);
        QCOMPARE(proposed, kRaw + ".txt");
        QCOMPARE(window.lblStatus->text(), QStringLiteral("Expansion Completed"));
        QCOMPARE(raw(".out"), rawData_);
        QCOMPARE(session_.read(kTwin + ".out"), QByteArray("<missing>"));
    }

    void compressCompressesTheRawName() {
        layRaw(".txt");
        program_.takeOver();
        crunchwise::testing::ScratchFolder destination;
        const QString into = QString::fromStdString(destination.path());
        answerCompressTo(into);
        window.mPopUp2_Click(0);
        QVERIFY(endsAs(window, "Compression Completed"));
        QCOMPARE(filesIn(into), QStringList{kRaw + ".tx_"});
        QCOMPARE(expanded(into + u'/' + kRaw + ".tx_"), rawData_);
    }

    void commandLinePathSelectsTheRawName() {
        layRaw(".tx_");
        QByteArray path = FileNameCodec::encode(session_.source.pathOf(kRaw + ".txt"));
        char program[] = "crunchwise";
        char* argv[] = {program, path.data()};
        QString opened;
        QCOMPARE(CommandLine().readPath(argumentList(2, argv), opened), std::optional<int>());
        QVERIFY(window.openPath(opened));
        QCOMPARE(currentName(window.File1), kRaw + ".txt");
    }

    // A file: address names a file of this host, its "/" unencoded.
    void commandLineAddressNamesOnlyALocalPath() {
        QString opened;
        for (const char* address : {"file:///etc%2Fpasswd", "file://elsewhere/etc"})
            QCOMPARE(CommandLine().readPath({"crunchwise", address}, opened), std::optional(1));
        QCOMPARE(CommandLine().readPath({"crunchwise", "file:///etc/pass%77d"}, opened),
                 std::optional<int>());
        QCOMPARE(opened, QStringLiteral("/etc/passwd"));
    }
};

QTEST_MAIN(TestFileCommands)
#include "file_commands_test.moc"
