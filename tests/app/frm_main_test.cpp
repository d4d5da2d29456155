// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: where it opens and what it keeps, the lists, the pop-up
// menu, failures of the lists, and
// `crunchwise PATH`: the lists open on a folder, or on a file's folder with
// that file current; a running copy does the same for a second one, and
// takes a second copy's Enter (never into an open question: SingleInstance's
// requestsActOnTheMainWindowOnly).
#include "common/locale_number.h"
#include "common/twips.h"
#include "desktop/help_viewer.h"
#include "desktop/win_help.h"
#include "errors/error_trap.h"
#include "failures/runtime_error.h"
#include "tests/support/own_volume.h"
#include "tests/support/window_session.h"
#include "widgets/drive_list_box.h"

#include <QAction>

using namespace crunchwise;
using namespace command_fixture;

namespace {
// A name that is not UTF-8, and its look-alike: the same text on screen.
const QByteArray kRawName("\xff\xfe.txt");
const QByteArray kLookAlike("\xef\xbf\xbd\xef\xbf\xbd.txt");

// Highlights the subfolder `name` of the folder list; false when absent.
bool highlightSubfolder(DirListBox* list, const QString& name) {
    for (int i = 0; i < list->listCount(); ++i) {
        if (list->list(i).endsWith(QLatin1Char('/') + name)) {
            list->setListIndex(i);
            return true;
        }
    }
    return false;
}

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

// A path given to the window, relative to the source folder: whether it
// opens, the folder shown after ("<start>": the one before) and the file
// current and selected there.
struct OpenCase {
    QString path;
    bool opened;
    QString folder;
    QString currentFile;
};
} // namespace

Q_DECLARE_METATYPE(OpenCase)

class TestFrmMain : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowSession> session_;

    static QString stored(const char* key) { return WindowSession::stored(key); }
    static void store(const char* key, const QString& value) { WindowSession::store(key, value); }
    QString source() const { return session_->source.path(); }
    QString pathOf(const QString& name) const { return session_->source.pathOf(name); }

private slots:
    void initTestCase() { AppInfo::setHelpFileForTesting(QStringLiteral(CRUNCHWISE_HELP_FILE)); }

    // Each case its own settings and source folder.
    void init() {
        session_ = std::make_unique<WindowSession>(WindowSession::NoWindow{});
        QVERIFY(session_->source.create({"a.txt", "b.ex_", ".hidden", "sub/", "sub/inner/",
                                         "sub/c.dl_", "sub/d.txt", "gone/", "raw/"}));
        QVERIFY(session_->source.createRaw("raw/" + kRawName) &&
                session_->source.createRaw("raw/" + kLookAlike));
    }
    void cleanup() {
        delete activeHelpViewer();
        session_.reset();
        QVERIFY2(MessageBox::pendingAnswers() == 0, "a scripted answer was not asked for");
    }

    void firstStartOpensAtDefaultsAndShowsHelp() {
        auto window = WindowSession::load();
        QVERIFY(window);
        QCOMPARE(window->pos(), QPoint(Twips::toPixels(1000), Twips::toPixels(1000)));
        QCOMPARE(window->centralWidget()->size(),
                 QSize(Twips::toPixels(7260), Twips::toPixels(3420)));
        QVERIFY(activeHelpViewer() && activeHelpViewer()->isVisible());
        QCOMPARE(activeHelpViewer()->fileName(), QStringLiteral(CRUNCHWISE_HELP_FILE));
        QCOMPARE(stored("RunOnce"), QStringLiteral("1"));
    }

    // The normal first run: closing the window with the help still open
    // ends the program and keeps the placement.
    void closingTheWindowEndsTheProgramWhileHelpIsOpen() {
        auto window = WindowSession::load();
        QVERIFY(activeHelpViewer() && activeHelpViewer()->isVisible());
        QTimer::singleShot(0, window.get(), &QWidget::close);
        QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(1); });
        QCOMPARE(QApplication::exec(), 0);
        QTRY_VERIFY(!activeHelpViewer());
        QCOMPARE(stored("MainLeft"), LocaleNumber::fromSingle(
                                         float(Twips::fromPixels(window->frameGeometry().left()))));
    }

    void closingWhileMinimizedKeepsThePlacement() {
        for (const char* key : {"MainLeft", "MainTop", "MainWidth", "MainHeight"})
            store(key, QStringLiteral("1234"));
        auto window = WindowSession::later();
        window->showMinimized();
        QVERIFY(window->isMinimized());
        window->close();
        for (const char* key : {"MainLeft", "MainTop", "MainWidth", "MainHeight"})
            QCOMPARE(stored(key), QStringLiteral("1234"));
    }

    void movedWindowReopensWhereItWasLeftAtDesignedSize() {
        auto window = WindowSession::later();
        const QSize designed = window->size();
        window->move(200, 150);
        window->close();
        QCOMPARE(stored("MainLeft"), LocaleNumber::fromSingle(float(Twips::fromPixels(200))));
        QCOMPARE(stored("MainTop"), LocaleNumber::fromSingle(float(Twips::fromPixels(150))));
        QCOMPARE(stored("MainWidth"), LocaleNumber::fromSingle(float(
                                          Twips::fromPixels(window->frameGeometry().width()))));
        QVERIFY(!stored("MainHeight").contains(QLatin1Char('.')));

        store("MainWidth", QStringLiteral("99999"));
        store("MainHeight", QStringLiteral("99999"));
        window.reset();
        auto again = WindowSession::load();
        QCOMPARE(again->pos(), QPoint(200, 150));
        QCOMPARE(again->size(), designed);
    }

    void storedPositionThatIsNoNumberFallsBackToDefaults() {
        store("MainLeft", QStringLiteral("left"));
        store("MainTop", QStringLiteral(""));
        auto window = WindowSession::later();
        QCOMPARE(window->pos(), QPoint(Twips::toPixels(1000), Twips::toPixels(1000)));
        QVERIFY(!activeHelpViewer()); // a later start opens no help
    }

    void unwritableStoreAtCloseIsReportedAndTheWindowStillCloses() {
        auto window = WindowSession::later();
        // The store's file becomes a folder: every write now fails.
        const QString file = session_->configPath() + QStringLiteral("/Crunchwise/Crunchwise.conf");
        QVERIFY(QFile::remove(file));
        QVERIFY(QDir().mkpath(file));
        for (int i = 0; i < 4; ++i)
            MessageBox::setNextAnswer(QMessageBox::Cancel);
        QVERIFY(window->close());
        QCOMPARE(boxTitles(), QStringList(4, QStringLiteral("System Error!")));
        QCOMPARE(session_->errorLog().count("frmMainForm_Unload - "), 4);
    }

    void panesFollowTheChosenFolder() {
        auto* window = session_->startOnSource();
        window->Dir1->setPath(QDir::rootPath());
        window->lblStatus->setText(QStringLiteral("Compression Completed"));

        window->Dir1->setPath(source());
        QCOMPARE(window->File1->path(), source());
        QCOMPARE(session_->listed(), QStringList({"a.txt", "b.ex_"}));
        QVERIFY(window->lblStatus->text().isEmpty());

        // Enter in the folder list opens the highlighted folder.
        QVERIFY(highlightSubfolder(window->Dir1, QStringLiteral("sub")));
        QTest::keyClick(window->Dir1, Qt::Key_Return);
        QCOMPARE(window->Dir1->path(), pathOf(QStringLiteral("sub")));
        QCOMPARE(session_->listed(), QStringList({"c.dl_", "d.txt"}));

        // Enter on the open folder changes nothing.
        window->Dir1->setListIndex(-1);
        QTest::keyClick(window->Dir1, Qt::Key_Return);
        QCOMPARE(window->Dir1->path(), pathOf(QStringLiteral("sub")));
        QVERIFY(MessageBox::shown().isEmpty());
    }

    // Into a folder on another volume and back by the "/" entry: the drive
    // list follows, and "/" opens the root, not the root's current folder.
    void folderListCrossingVolumesMovesTheDriveList() {
        auto* window = session_->startOnSource();
        OwnVolume volume(pathOf(QStringLiteral("sub")));
        if (!volume.offered())
            QSKIP("needs root and a temporary folder on disk to mount a volume");
        QVERIFY(highlightSubfolder(window->Dir1, QStringLiteral("sub")));
        QTest::keyClick(window->Dir1, Qt::Key_Return);
        QCOMPARE(window->Drive1->drive(), pathOf(QStringLiteral("sub")));

        window->Dir1->setListIndex(-window->Dir1->count() + window->Dir1->listCount());
        QTest::keyClick(window->Dir1, Qt::Key_Return);
        QCOMPARE(window->Dir1->path(), QStringLiteral("/"));
        QCOMPARE(window->Drive1->drive(), QStringLiteral("/"));
        QCOMPARE(window->File1->path(), QStringLiteral("/"));
    }

    void vanishedFolderWarnsAndFallsBackToTheSystemDrive() {
        auto* window = session_->startOnSource();
        const QRect gone = window->Dir1->visualItemRect(
            window->Dir1->findItems(QStringLiteral("gone"), Qt::MatchEndsWith).value(0));
        QVERIFY(QDir(pathOf(QStringLiteral("gone"))).removeRecursively());
        MessageBox::setNextAnswer(QMessageBox::Ok);
        QTest::mouseDClick(window->Dir1->viewport(), Qt::LeftButton, {}, gone.center());

        QCOMPARE(MessageBox::shown().size(), 1);
        const MessageBox::Shown& warning = MessageBox::shown()[0];
        QCOMPARE(warning.icon, QMessageBox::Warning);
        QVERIFY2(QRegularExpression(QStringLiteral("^Error \\d+:  [A-Z].*\\.$"))
                     .match(warning.text)
                     .hasMatch(),
                 qPrintable(warning.text));
        QCOMPARE(window->Drive1->drive(), frmMain::systemDrive());
        QCOMPARE(window->File1->path(), window->Dir1->path());
    }

    void failureOnTheSystemDriveStopsAfterOneWarning() {
        auto window = WindowSession::later();
        MessageBox::setNextAnswer(QMessageBox::Ok);
        int attempts = 0;
        window->paneTrap().step([&] {
            ++attempts;
            raiseRuntimeError(71);
        });
        QCOMPARE(attempts, 2);
        QCOMPARE(boxTexts(), QStringList{"Error 71:  Disk not ready."});
        QCOMPARE(window->Drive1->drive(), frmMain::systemDrive());
    }

    void failedEnterInTheFolderListIsReported() {
        auto* window = session_->startOnSource();
        QVERIFY(highlightSubfolder(window->Dir1, QStringLiteral("gone")));
        QVERIFY(QDir(pathOf(QStringLiteral("gone"))).removeRecursively());
        MessageBox::setNextAnswer(QMessageBox::Cancel);
        QTest::keyClick(window->Dir1, Qt::Key_Return);
        QCOMPARE(boxTitles(), QStringList{"System Error!"});
        QCOMPARE(window->Dir1->path(), source());
        QVERIFY(session_->errorLog().contains(" frmMainDir1_KeyPress - "));
    }

    void onlyTheRightButtonAloneOpensTheFilePopUpMenu_data() {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::newRow("right") << Qt::RightButton;
        QTest::newRow("left") << Qt::LeftButton;
        QTest::newRow("middle") << Qt::MiddleButton;
    }
    void onlyTheRightButtonAloneOpensTheFilePopUpMenu() {
        QFETCH(Qt::MouseButton, button);
        auto* window = session_->startOnSource();
        window->File1->setListIndex(0);
        window->File1->setSelected(1, true);
        window->lblStatus->setText(QStringLiteral("Compression Completed"));
        QStringList offered;
        QTimer::singleShot(200, [&] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                for (QAction* item : menu->actions())
                    offered << (item->isSeparator() ? QStringLiteral("-") : item->text());
                menu->close();
            }
        });
        const QPoint at = window->File1->visualRect(window->File1->currentIndex()).center();
        // No button left held by an earlier test's double click.
        QTest::mouseRelease(window->lblStatus, Qt::LeftButton);
        QTest::mousePress(window->File1->viewport(), button, {}, at);
        QTest::mouseRelease(window->File1->viewport(), button, {}, at);
        QTest::qWait(300);
        const bool opens = button == Qt::RightButton;
        QCOMPARE(offered, opens ? QStringList({"Compress", "Expand", "-", "Delete", "Rename", "-",
                                               "Properties"})
                                : QStringList());
        QVERIFY(window->lblStatus->text().isEmpty());
        if (opens) // a right click keeps the selection the commands act on
            QCOMPARE(window->File1->selCount(), 2);
    }

    void opensFolderOrFileFolder_data() {
        QTest::addColumn<OpenCase>("row");
        const QString raw = FileNameCodec::decode("raw/" + kRawName);
        const QString lookAlike = FileNameCodec::decode("raw/" + kLookAlike);
        QTest::newRow("folder") << OpenCase{"sub", true, "sub", ""};
        QTest::newRow("folder written with a trailing separator")
            << OpenCase{"sub/", true, "sub", ""};
        QTest::newRow("file") << OpenCase{"sub/d.txt", true, "sub", "d.txt"};
        QTest::newRow("file through a detour") << OpenCase{"sub/../b.ex_", true, "", "b.ex_"};
        QTest::newRow("name not UTF-8 beside its look-alike")
            << OpenCase{raw, true, "raw", raw.mid(4)};
        QTest::newRow("the look-alike") << OpenCase{lookAlike, true, "raw", lookAlike.mid(4)};
        QTest::newRow("hidden file shows its folder") << OpenCase{".hidden", false, "", ""};
        QTest::newRow("missing file changes nothing")
            << OpenCase{"nothing.txt", false, "<start>", ""};
    }
    void opensFolderOrFileFolder() {
        QFETCH(OpenCase, row);
        auto window = WindowSession::later();
        QVERIFY(window);
        const QString start = window->Dir1->path();
        // An earlier selection elsewhere does not survive the opening.
        window->File1->setPath(source());
        window->File1->setSelected(0, true);

        QCOMPARE(window->openPath(pathOf(row.path)), row.opened);
        QVERIFY(MessageBox::shown().isEmpty());
        const QString expected =
            row.folder == "<start>" ? start : QDir::cleanPath(pathOf(row.folder));
        QCOMPARE(window->Dir1->path(), expected);
        if (row.folder == "<start>")
            return;
        QCOMPARE(window->File1->path(), expected);
        QCOMPARE(currentName(window->File1), row.currentFile);
        QCOMPARE(selectedNames(window->File1),
                 row.currentFile.isEmpty() ? QStringList() : QStringList{row.currentFile});
    }

    // A name that is not UTF-8 is left to the lower layers' tests: the
    // command line (file_commands_test), the request (single_instance_test) and
    // openPath (above) each keep its bytes.
    void runningCopyOpensThePathOfASecondAndComesForward_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("hidden"); // else minimized
        QTest::addColumn<bool>("dialogOpen");
        // No path: the second copy's Enter opens the folder highlighted.
        QTest::newRow("no path, window minimized") << "" << false << false;
        QTest::newRow("file, window hidden in the tray") << "sub/c.dl_" << true << false;
        QTest::newRow("folder, window minimized") << "sub" << false << false;
        QTest::newRow("file, once the open dialog is answered") << "sub/c.dl_" << false << true;
    }
    void runningCopyOpensThePathOfASecondAndComesForward() {
        QFETCH(QString, path);
        QFETCH(bool, hidden);
        QFETCH(bool, dialogOpen);
        auto window = WindowSession::later();
        QVERIFY(window);
        window->Dir1->setPath(source());
        if (path.isEmpty()) {
            QVERIFY(highlightSubfolder(window->Dir1, QStringLiteral("sub")));
            window->Dir1->setFocus();
        }
        hidden ? window->hide() : window->showMinimized();
        // A command waiting for an answer, as Rename does.
        QDialog dialog(window.get());
        dialog.setModal(true);
        if (dialogOpen)
            dialog.show();

        QVERIFY(runSecondCopy(path.isEmpty() ? QString() : pathOf(path)));
        if (dialogOpen) {
            QTest::qWait(400);
            QCOMPARE(window->Dir1->path(), source());
            dialog.accept();
        }
        QTRY_COMPARE(window->Dir1->path(), pathOf(QStringLiteral("sub")));
        if (!path.isEmpty())
            QCOMPARE(currentName(window->File1), path.section(u'/', 1));
        QVERIFY(window->isVisible() && !window->isMinimized());
        // Opening a file sends no Enter: no Properties box for it.
        QVERIFY(MessageBox::shown().isEmpty());
    }
};

QTEST_MAIN(TestFrmMain)
#include "frm_main_test.moc"
