// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: where it opens and what it keeps, the lists, the pop-up
// menu, and failures of the lists.
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
using command_fixture::boxTexts;
using command_fixture::boxTitles;

namespace {
QPoint twipsToPoint(int left, int top) {
    return QPoint(Twips::toPixels(left), Twips::toPixels(top));
}

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

} // namespace

class TestFrmMain : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<WindowSession> session_;

    static QString stored(const char* key) { return WindowSession::stored(key); }
    static void store(const char* key, const QString& value) { WindowSession::store(key, value); }
    QString source() const { return session_->source.path(); }

private slots:
    void initTestCase() { AppInfo::setHelpFileForTesting(QStringLiteral(CRUNCHWISE_HELP_FILE)); }

    // Each case its own settings; the source folder has two files and folders.
    void init() {
        session_ = std::make_unique<WindowSession>(WindowSession::NoWindow{});
        QVERIFY(session_->source.create(
            {"a.txt", "b.ex_", "sub/", "sub/inner/", "sub/c.dl_", "sub/d.txt", "gone/"}));
    }

    void cleanup() {
        delete activeHelpViewer();
        session_.reset();
        QVERIFY2(MessageBox::pendingAnswers() == 0, "a scripted answer was not asked for");
    }

    void firstStartOpensAtDefaultsAndShowsHelp() {
        auto window = WindowSession::load();
        QVERIFY(window);
        QCOMPARE(window->pos(), twipsToPoint(1000, 1000));
        QCOMPARE(window->centralWidget()->size(),
                 QSize(Twips::toPixels(7260), Twips::toPixels(3420)));
        QCOMPARE(window->windowTitle(), QStringLiteral("Crunchwise"));
        QVERIFY(activeHelpViewer() && activeHelpViewer()->isVisible());
        QCOMPARE(activeHelpViewer()->fileName(), QStringLiteral(CRUNCHWISE_HELP_FILE));
        QCOMPARE(stored("RunOnce"), QStringLiteral("1"));
        QCOMPARE(stored("SysTray"), QStringLiteral("<absent>"));
        QCOMPARE(stored("MainLeft"), QStringLiteral("<absent>"));
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
        QCOMPARE(window->pos(), twipsToPoint(1000, 1000));
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
        QCOMPARE(window->Dir1->path(), source() + QStringLiteral("/sub"));
        QCOMPARE(session_->listed(), QStringList({"c.dl_", "d.txt"}));

        // Enter on the open folder changes nothing.
        window->Dir1->setListIndex(-1);
        QTest::keyClick(window->Dir1, Qt::Key_Return);
        QCOMPARE(window->Dir1->path(), source() + QStringLiteral("/sub"));
        QVERIFY(MessageBox::shown().isEmpty());
    }

    // Into a folder on another volume and back by the "/" entry: the drive
    // list follows, and "/" opens the root, not the root's current folder.
    void folderListCrossingVolumesMovesTheDriveList() {
        auto* window = session_->startOnSource();
        OwnVolume volume(source() + QStringLiteral("/sub"));
        if (!volume.offered())
            QSKIP("needs root and a temporary folder on disk to mount a volume");
        QVERIFY(highlightSubfolder(window->Dir1, QStringLiteral("sub")));
        QTest::keyClick(window->Dir1, Qt::Key_Return);
        QCOMPARE(window->Drive1->drive(), source() + QStringLiteral("/sub"));

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
        QVERIFY(QDir(source() + QStringLiteral("/gone")).removeRecursively());
        MessageBox::setNextAnswer(QMessageBox::Ok);
        QTest::mouseDClick(window->Dir1->viewport(), Qt::LeftButton, {}, gone.center());

        QCOMPARE(boxTitles(), QStringList{"Crunchwise"});
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

    void onlyTheRightButtonAloneOpensTheFilePopUpMenu_data() {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<bool>("opens");
        QTest::newRow("right") << Qt::RightButton << true;
        QTest::newRow("left") << Qt::LeftButton << false;
        QTest::newRow("middle") << Qt::MiddleButton << false;
    }
    void onlyTheRightButtonAloneOpensTheFilePopUpMenu() {
        QFETCH(Qt::MouseButton, button);
        QFETCH(bool, opens);
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
        QCOMPARE(offered, opens ? QStringList({"Compress", "Expand", "-", "Delete", "Rename", "-",
                                               "Properties"})
                                : QStringList());
        QVERIFY(window->lblStatus->text().isEmpty());
        if (opens) // a right click keeps the selection the commands act on
            QCOMPARE(window->File1->selCount(), 2);
    }

    void failedEnterInTheFolderListIsReported() {
        auto* window = session_->startOnSource();
        QVERIFY(highlightSubfolder(window->Dir1, QStringLiteral("gone")));
        QVERIFY(QDir(source() + QStringLiteral("/gone")).removeRecursively());
        MessageBox::setNextAnswer(QMessageBox::Cancel);
        QTest::keyClick(window->Dir1, Qt::Key_Return);
        QCOMPARE(boxTitles(), QStringList{"System Error!"});
        QCOMPARE(window->Dir1->path(), source());
        QVERIFY(session_->errorLog().contains(" frmMainDir1_KeyPress - "));
    }
};

QTEST_MAIN(TestFrmMain)
#include "frm_main_test.moc"
