// SPDX-License-Identifier: GPL-3.0-or-later
// `crunchwise PATH`: the lists open on a folder, or on a file's folder with
// that file current; a running copy does the same for a second one, and
// takes a second copy's Enter (never into an open question: SingleInstance's
// requestsActOnTheMainWindowOnly).
#include "tests/support/window_session.h"

using namespace crunchwise;
using namespace command_fixture;

namespace {
// A name that is not UTF-8, and its look-alike: the same text on screen.
const QByteArray kRawName("\xff\xfe.txt");
const QByteArray kLookAlike("\xef\xbf\xbd\xef\xbf\xbd.txt");

// Runs the real program as a second copy with `path` (none when empty);
// true when it ends normally with exit code 0 and writes no settings.
bool runSecondCopy(const QString& path) {
    QTemporaryDir secondConfig;
    QProcess second;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), secondConfig.path());
    second.setProcessEnvironment(environment);
    // The path's exact bytes, through the shell: QProcess would pass a name
    // that is not UTF-8 as its look-alike.
    QString octal;
    for (const char byte : FileNameCodec::encode(path))
        octal += QString::asprintf("\\0%03o", unsigned(uchar(byte)));
    const QString command = path.isEmpty() ? QStringLiteral("exec \"$0\"")
                                           : QStringLiteral("exec \"$0\" \"$(printf %b \"$1\")\"");
    second.start(QStringLiteral("/bin/sh"),
                 {QStringLiteral("-c"), command, QStringLiteral(CRUNCHWISE_EXECUTABLE), octal});
    if (!second.waitForStarted())
        return false;
    // The running copy answers from this event loop.
    return QTest::qWaitFor([&] { return second.state() == QProcess::NotRunning; }, 15000) &&
           second.exitStatus() == QProcess::NormalExit && second.exitCode() == 0 &&
           QDir(secondConfig.path()).isEmpty();
}
} // namespace

class TestOpenPath : public QObject {
    Q_OBJECT

private:
    WindowSession session_{WindowSession::NoWindow{}};

    QString source() const { return session_.source.path(); }
    QString pathOf(const QString& name) const { return session_.source.pathOf(name); }

private slots:
    void initTestCase() {
        QVERIFY(session_.source.create(
            {"a.txt", "b.ex_", ".hidden", "sub/", "sub/c.dl_", "sub/d.txt", "raw/"}));
        QVERIFY(session_.source.createRaw("raw/" + kRawName) &&
                session_.source.createRaw("raw/" + kLookAlike));
    }
    void cleanup() { QVERIFY(MessageBox::shown().isEmpty()); }

    void secondCopyHandsOffToTheFirstAndEnds() {
        auto window = WindowSession::later();
        window->Dir1->setPath(source());
        window->Dir1->setListIndex(window->Dir1->listCount() - 1); // sub
        window->Dir1->setFocus();
        window->showMinimized();

        // The Enter reaches the folder list of the running copy and opens the
        // highlighted folder; the window comes back from the taskbar.
        QVERIFY(runSecondCopy(QString()));
        QTRY_COMPARE(window->Dir1->path(), pathOf(QStringLiteral("sub")));
        QVERIFY(!window->isMinimized());
    }

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
        const QString raw = FileNameCodec::decode("raw/" + kRawName);
        const QString lookAlike = FileNameCodec::decode("raw/" + kLookAlike);
        QTest::newRow("name not UTF-8 beside its look-alike") << raw << true << "raw" << raw.mid(4);
        QTest::newRow("the look-alike") << lookAlike << true << "raw" << lookAlike.mid(4);
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
        auto window = WindowSession::later();
        QVERIFY(window);
        const QString start = window->Dir1->path();
        // An earlier selection elsewhere does not survive the opening.
        window->File1->setPath(source());
        window->File1->setSelected(0, true);

        QCOMPARE(window->openPath(pathOf(path)), opened);
        const QString expected = folder == "<start>" ? start : QDir::cleanPath(pathOf(folder));
        QCOMPARE(window->Dir1->path(), expected);
        if (folder == "<start>")
            return;
        QCOMPARE(window->File1->path(), expected);
        QCOMPARE(currentName(window->File1), currentFile);
        QCOMPARE(selectedNames(window->File1),
                 currentFile.isEmpty() ? QStringList() : QStringList{currentFile});
    }

    // A name that is not UTF-8 is left to the lower layers' tests: the
    // command line (raw_names_test), the request (single_instance_test) and
    // openPath (above) each keep its bytes.
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
    }
    void runningCopyOpensThePathOfASecondAndComesForward() {
        QFETCH(QString, path);
        QFETCH(QString, currentFile);
        QFETCH(bool, hidden);
        QFETCH(bool, dialogOpen);
        auto window = WindowSession::later();
        QVERIFY(window);
        window->Dir1->setPath(source());
        hidden ? window->hide() : window->showMinimized();
        // A command waiting for an answer, as Rename does.
        QDialog dialog(window.get());
        dialog.setModal(true);
        if (dialogOpen)
            dialog.show();

        QVERIFY(runSecondCopy(pathOf(path)));
        if (dialogOpen) {
            QTest::qWait(400);
            QCOMPARE(window->Dir1->path(), source());
            dialog.accept();
        }
        QTRY_COMPARE(window->Dir1->path(), pathOf(QStringLiteral("sub")));
        QCOMPARE(currentName(window->File1), currentFile);
        QVERIFY(window->isVisible() && !window->isMinimized());
        // Opening a path sends no Enter: no Properties box for the file.
        QVERIFY(MessageBox::shown().isEmpty());
    }
};

QTEST_MAIN(TestOpenPath)
#include "open_path_test.moc"
