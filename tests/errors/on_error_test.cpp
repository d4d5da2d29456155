// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/app_info.h"
#include "common/message_box.h"
#include "errors/current_failure.h"
#include "errors/on_error.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

using namespace crunchwise;

class TestOnError : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder_;
    QTemporaryDir stateFolder_;

    QString logPath() const { return folder_.path() + QStringLiteral("/error.log"); }
    QByteArray readLog() const {
        QFile log(logPath());
        return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
    }
    static QByteArray today() {
        return QLocale().toString(QDate::currentDate(), QLocale::ShortFormat).toLocal8Bit();
    }
    int report(int number, const char* description, const char* tag,
               QMessageBox::StandardButton answer) {
        CurrentFailure::set(RuntimeError(number, description));
        MessageBox::setNextAnswer(answer);
        return OnError::HandleError(QString::fromLatin1(tag));
    }

private slots:
    void initTestCase() {
        // A program folder that cannot take the log sends it to the state folder.
        qputenv("XDG_STATE_HOME", stateFolder_.path().toLocal8Bit());
    }

    void init() {
        QFile::remove(logPath());
        AppInfo::setPathForTesting(folder_.path());
        MessageBox::clearShown();
    }

    void logLineAndDialog_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("message");
        QTest::newRow("no disk has its own text") << 52 << "Bad file name or number"
                                                  << "No Disk in Drive";
        QTest::newRow("other numbers keep the description") << 53 << "File not found"
                                                            << "File not found";
        QTest::newRow("negative number keeps its sign") << -7 << "Out of memory"
                                                        << "Out of memory";
        QTest::newRow("empty description") << 75 << ""
                                           << "";
    }
    void logLineAndDialog() {
        QFETCH(int, number);
        QFETCH(QString, description);
        QFETCH(QString, message);
        report(number, description.toUtf8().constData(), "frmMaincmdCompress_Click",
               QMessageBox::Cancel);

        const QByteArray expectedLine = today() + " frmMaincmdCompress_Click - " +
                                        message.toUtf8() + " (" + QByteArray::number(number) +
                                        ")\r\n";
        QCOMPARE(readLog(), expectedLine);

        QCOMPARE(MessageBox::shown().size(), 1);
        const MessageBox::Shown& box = MessageBox::shown().first();
        QCOMPARE(box.title, QStringLiteral("System Error!"));
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.buttons, QMessageBox::Retry | QMessageBox::Cancel);
        QCOMPARE(box.defaultButton, QMessageBox::Retry);
        QCOMPARE(box.text, QStringLiteral("Error Number: ") + QString::number(number) + "\r\n\r\n" +
                               message +
                               "\r\n\r\nPlease press Retry to try again or Cancel\r\n"
                               "to abort the operation");
    }

    void firstFailureCreatesTheLogAndLaterOnesAppend() {
        QVERIFY(!QFile::exists(logPath()));
        report(53, "File not found", "frmMainFirst", QMessageBox::Cancel);
        QVERIFY(QFile::exists(logPath()));
        report(61, "Disk full", "frmMainSecond", QMessageBox::Cancel);
        const QList<QByteArray> lines = readLog().split('\n');
        QCOMPARE(lines.size(), 3); // two lines and the empty rest after the last LF
        QVERIFY(lines[0].endsWith("frmMainFirst - File not found (53)\r"));
        QVERIFY(lines[1].endsWith("frmMainSecond - Disk full (61)\r"));
    }

    // A run's failure logs one line per file and lists at most a screenful
    // of them in its one dialog; a file's own number 52 keeps its reason.
    void runFailureLogsEachFileAndListsAScreenful() {
        std::vector<FileFailure> files = {{"a.txt", 52, "not a valid name"}};
        for (int i = 0; i < 19; ++i)
            files.push_back({"f" + std::to_string(i), 70, "Permission denied"});
        CurrentFailure::set(filesFailure("20 files were not compressed:", files));
        MessageBox::setNextAnswer(QMessageBox::Cancel);
        OnError::HandleError(QStringLiteral("frmMainmPopUp2_Click"));

        const QList<QByteArray> lines = readLog().split('\n');
        QCOMPARE(lines.size(), 21);
        QCOMPARE(lines[0], today() + " frmMainmPopUp2_Click - a.txt: not a valid name (52)\r");
        QCOMPARE(lines[19], today() + " frmMainmPopUp2_Click - f18: Permission denied (70)\r");
        const QString text = MessageBox::shown().value(0).text;
        QVERIFY(text.startsWith("Error Number: 52\r\n\r\n20 files were not compressed:\r\n"
                                "a.txt: not a valid name\r\nf0: Permission denied\r\n"));
        QVERIFY(text.contains("f12: Permission denied\r\nand 6 more\r\n\r\nPlease press Retry"));
        QVERIFY(!text.contains("f13"));
    }

    void answersComeBackAsRetryOrCancel() {
        QCOMPARE(report(57, "Device I/O error", "t", QMessageBox::Retry), OnError::vbRetry);
        QCOMPARE(report(57, "Device I/O error", "t", QMessageBox::Cancel), OnError::vbCancel);
        // The close box and Escape are no Retry.
        QCOMPARE(report(57, "Device I/O error", "t", QMessageBox::Escape), OnError::vbCancel);
    }

    // The program folder gone, the log's name taken by a folder, the program
    // folder a file.
    void unwritableLogStillShowsTheDialogAndHonoursTheAnswer() {
        for (const auto& [programFolder, blocker] :
             {std::pair{"/gone", ""}, {"", "error.log"}, {"/file", ""}}) {
            QTemporaryDir readOnly;
            if (*blocker)
                QVERIFY(QDir(readOnly.path()).mkdir(QLatin1String(blocker)));
            if (QLatin1String(programFolder) == QLatin1String("/file")) {
                QFile file(readOnly.path() + programFolder);
                QVERIFY(file.open(QIODevice::WriteOnly));
            }
            AppInfo::setPathForTesting(readOnly.path() + programFolder);
            MessageBox::clearShown();
            QCOMPARE(report(70, "Permission denied", "frmMainX", QMessageBox::Retry),
                     OnError::vbRetry);
            QCOMPARE(MessageBox::shown().size(), 1);
            QVERIFY(!QFileInfo(readOnly.path() + programFolder + "/error.log").isFile());
        }
    }

    // An installed program folder is read-only: the log then goes to the
    // user's state folder; a writable (build) folder keeps it beside the program.
    void logGoesBesideTheProgramOrToTheStateFolder_data() {
        QTest::addColumn<bool>("programFolderWritable");
        QTest::addColumn<QString>("stateHome"); // "<home>" unset, "<relative>" not absolute
        QTest::addColumn<QString>("expectedLog");
        QTest::newRow("writable folder") << true << "<state>"
                                         << "<program>/error.log";
        QTest::newRow("read-only folder") << false << "<state>"
                                          << "<state>/crunchwise/error.log";
        QTest::newRow("read-only folder, state home unset")
            << false << "<home>"
            << "<home>/.local/state/crunchwise/error.log";
        QTest::newRow("read-only folder, state home relative")
            << false << "<relative>"
            << "<home>/.local/state/crunchwise/error.log";
    }
    void logGoesBesideTheProgramOrToTheStateFolder() {
        QFETCH(bool, programFolderWritable);
        QFETCH(QString, stateHome);
        QFETCH(QString, expectedLog);
        QTemporaryDir program, state, home;
        const QByteArray oldHome = qgetenv("HOME");
        qputenv("HOME", home.path().toLocal8Bit());
        if (stateHome == "<home>")
            qunsetenv("XDG_STATE_HOME");
        else
            qputenv("XDG_STATE_HOME",
                    stateHome == "<relative>" ? "state" : state.path().toLocal8Bit());
        if (!programFolderWritable)
            QVERIFY(QFile::setPermissions(program.path(), QFile::ReadOwner | QFile::ExeOwner));
        AppInfo::setPathForTesting(program.path());

        report(70, "Permission denied", "frmMainX", QMessageBox::Cancel);
        QFile::setPermissions(program.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("HOME", oldHome);
        qputenv("XDG_STATE_HOME", stateFolder_.path().toLocal8Bit());

        expectedLog.replace("<program>", program.path())
            .replace("<state>", state.path())
            .replace("<home>", home.path());
        QFile log(expectedLog);
        QVERIFY2(log.open(QIODevice::ReadOnly), qPrintable(expectedLog));
        QVERIFY(log.readAll().endsWith(" frmMainX - Permission denied (70)\r\n"));
        QVERIFY(programFolderWritable || QDir(program.path()).isEmpty());
    }
};

QTEST_MAIN(TestOnError)
#include "on_error_test.moc"
