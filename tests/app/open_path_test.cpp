// SPDX-License-Identifier: GPL-3.0-or-later
// `crunchwise PATH`: the lists open on a folder, or on a file's folder with
// that file current; a running copy does the same for a second one.
#include "common/file_name_codec.h"
#include "tests/support/window_session.h"

#include <QLocalSocket>
#include <QProcess>

using namespace crunchwise;

namespace {
// A name that is not UTF-8, and its look-alike: the same text on screen.
const QByteArray kRawName("\xff\xfe.txt");
const QByteArray kLookAlike("\xef\xbf\xbd\xef\xbf\xbd.txt");
} // namespace

class TestOpenPath : public QObject {
    Q_OBJECT

private:
    WindowSession session_{WindowSession::NoWindow{}};
    const TestFolder& source_ = session_.source;

    // A loaded and shown main window of a later start (no first-run help).
    static std::unique_ptr<frmMain> startWindow() { return WindowSession::load(); }
    // The current file, or "" when none, and the selected files.
    static QString current(const FileListBox* list) {
        return list->listIndex() < 0 ? QString() : list->list(list->listIndex());
    }
    static QStringList selected(const FileListBox* list) {
        QStringList names;
        for (int i = 0; i < list->listCount(); ++i) {
            if (list->selected(i))
                names << list->list(i);
        }
        return names;
    }
    // Runs the real program as a second copy with `path` (none when empty);
    // true when it ends normally with exit code 0.
    static bool runSecondCopy(const QString& path) {
        QTemporaryDir secondConfig;
        QProcess second;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), secondConfig.path());
        second.setProcessEnvironment(environment);
        // The path's exact bytes, through the shell: QProcess would pass a
        // name that is not UTF-8 as its look-alike.
        QString octal;
        for (const char byte : FileNameCodec::encode(path))
            octal += QString::asprintf("\\0%03o", unsigned(uchar(byte)));
        const QString command = path.isEmpty()
                                    ? QStringLiteral("exec \"$0\"")
                                    : QStringLiteral("exec \"$0\" \"$(printf %b \"$1\")\"");
        second.start(QStringLiteral("/bin/sh"),
                     {QStringLiteral("-c"), command, QStringLiteral(CRUNCHWISE_EXECUTABLE), octal});
        if (!second.waitForStarted())
            return false;
        // The running copy answers from this event loop.
        QDeadlineTimer deadline(15000);
        while (second.state() != QProcess::NotRunning && !deadline.hasExpired())
            QTest::qWait(20);
        return second.exitStatus() == QProcess::NormalExit && second.exitCode() == 0 &&
               QDir(secondConfig.path()).isEmpty();
    }

private slots:
    void initTestCase() {
        WindowSession::store("RunOnce", QStringLiteral("1"));
        QVERIFY(source_.create({"a.txt", "b.ex_", ".hidden", "sub/", "sub/c.dl_", "sub/d.txt"}));
        QVERIFY(source_.createRaw("sub/" + kRawName) && source_.createRaw("sub/" + kLookAlike));
    }

    void cleanup() { QVERIFY(MessageBox::shown().isEmpty()); }

    void opensFolderOrFileFolder_data() {
        QTest::addColumn<QString>("path"); // relative to the source folder
        QTest::addColumn<bool>("opened");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("currentFile");
        QTest::newRow("folder") << "sub" << true << "sub"
                                << "";
        QTest::newRow("folder written with a trailing separator") << "sub/" << true << "sub"
                                                                  << "";
        QTest::newRow("file") << "sub/d.txt" << true << "sub"
                              << "d.txt";
        QTest::newRow("file through a detour") << "sub/../b.ex_" << true << ""
                                               << "b.ex_";
        const QString raw = FileNameCodec::decode("sub/" + kRawName);
        const QString lookAlike = FileNameCodec::decode("sub/" + kLookAlike);
        QTest::newRow("name not UTF-8 beside its look-alike") << raw << true << "sub" << raw.mid(4);
        QTest::newRow("the look-alike") << lookAlike << true << "sub" << lookAlike.mid(4);
        QTest::newRow("hidden file shows its folder") << ".hidden" << false << ""
                                                      << "";
        QTest::newRow("missing file changes nothing") << "nothing.txt" << false << "<start>"
                                                      << "";
    }
    void opensFolderOrFileFolder() {
        QFETCH(QString, path);
        QFETCH(bool, opened);
        QFETCH(QString, folder);
        QFETCH(QString, currentFile);
        auto window = startWindow();
        QVERIFY(window);
        const QString start = window->Dir1->path();
        // An earlier selection elsewhere does not survive the opening.
        window->File1->setPath(source_.path());
        window->File1->setSelected(0, true);

        QCOMPARE(window->openPath(source_.pathOf(path)), opened);
        const QString expected =
            folder == "<start>" ? start : QDir::cleanPath(source_.pathOf(folder));
        QCOMPARE(window->Dir1->path(), expected);
        if (folder == "<start>")
            return;
        QCOMPARE(window->File1->path(), expected);
        QCOMPARE(current(window->File1), currentFile);
        QCOMPARE(selected(window->File1),
                 currentFile.isEmpty() ? QStringList() : QStringList{currentFile});
    }

    void runningCopyOpensThePathOfASecondAndComesForward_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("currentFile");
        QTest::addColumn<bool>("hidden"); // else minimized
        QTest::addColumn<bool>("dialogOpen");
        QTest::newRow("file, window hidden in the tray") << "sub/c.dl_"
                                                         << "c.dl_" << true << false;
        QTest::newRow("folder, window minimized") << "sub"
                                                  << "" << false << false;
        QTest::newRow("file, once the open dialog is answered") << "sub/c.dl_"
                                                                << "c.dl_" << false << true;
        const QString raw = FileNameCodec::decode("sub/" + kRawName);
        QTest::newRow("name not UTF-8 beside its look-alike") << raw << raw.mid(4) << true << false;
    }
    void runningCopyOpensThePathOfASecondAndComesForward() {
        QFETCH(QString, path);
        QFETCH(QString, currentFile);
        QFETCH(bool, hidden);
        QFETCH(bool, dialogOpen);
        auto window = startWindow();
        QVERIFY(window);
        window->Dir1->setPath(source_.path());
        hidden ? window->hide() : window->showMinimized();
        // A command waiting for an answer, as Rename does.
        QDialog dialog(window.get());
        dialog.setModal(true);
        if (dialogOpen)
            dialog.show();

        QVERIFY(runSecondCopy(source_.pathOf(path)));
        if (dialogOpen) {
            QTest::qWait(400);
            QCOMPARE(window->Dir1->path(), source_.path());
            dialog.accept();
        }
        QTRY_COMPARE(window->Dir1->path(), source_.pathOf(QStringLiteral("sub")));
        QCOMPARE(current(window->File1), currentFile);
        QVERIFY(window->isVisible() && !window->isMinimized());
        // Opening a path sends no Enter: no Properties box for the file.
        QVERIFY(MessageBox::shown().isEmpty());
    }
    // The hand-off brings a question forward and leaves it to the user: no
    // Enter answers it, and no request names another window.
    void handOffNeverAnswersAnOpenQuestion_data() {
        QTest::addColumn<QString>("handOff");
        QTest::newRow("a second copy") << "second copy";
        QTest::newRow("a second copy with a path") << "second copy with a path";
        QTest::newRow("a request naming the question") << "Move to Trash";
    }
    void handOffNeverAnswersAnOpenQuestion() {
        QFETCH(QString, handOff);
        auto window = startWindow();
        QVERIFY(window);
        window->Dir1->setPath(source_.path());
        window->File1->setListIndex(0);
        window->File1->setSelected(0, true);
        // An Enter in the folder list would open its highlighted folder.
        window->Dir1->setListIndex(0);
        window->Dir1->setFocus();
        const QString chosen = window->File1->list(0);
        bool handedOff = false;
        bool stillAsking = false;
        command_fixture::whenOpen<QMessageBox>([&](QMessageBox* question) {
            if (handOff == QLatin1String("second copy")) {
                handedOff = runSecondCopy(QString());
            } else if (handOff == QLatin1String("second copy with a path")) {
                handedOff = runSecondCopy(source_.pathOf(QStringLiteral("b.ex_")));
            } else {
                QLocalSocket socket;
                socket.connectToServer(qEnvironmentVariable("XDG_RUNTIME_DIR") +
                                       QStringLiteral("/Crunchwise.socket"));
                socket.write(handOff.toUtf8() + '\n');
                // Dropped, unanswered.
                handedOff = socket.waitForConnected(1000) && QTest::qWaitFor([&] {
                                return socket.state() == QLocalSocket::UnconnectedState;
                            }) &&
                            socket.readAll().isEmpty();
            }
            stillAsking = question->isVisible() && QApplication::activeModalWidget() == question;
            question->button(QMessageBox::No)->click();
        });
        window->mnuDelete->trigger();
        QVERIFY(handedOff);
        QVERIFY(stillAsking);
        QVERIFY(QFile::exists(source_.pathOf(chosen)));
        QCOMPARE(window->Dir1->path(), source_.path());
    }
};

QTEST_MAIN(TestOpenPath)
#include "open_path_test.moc"
