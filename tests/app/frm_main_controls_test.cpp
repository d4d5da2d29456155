// SPDX-License-Identifier: GPL-3.0-or-later
// What a user reaches around the window's own controls: the toolbar, the
// menus and their keys, Tab, the help entries and What's This, files dropped
// from a file manager, and lists that follow what other programs change on
// the disk; driven by clicks and keys on a shown main window.
#include "desktop/files/file_url.h"
#include "desktop/files/folder_watch.h"
#include "desktop/help_popup.h"
#include "desktop/help_viewer.h"
#include "desktop/win_help.h"
#include "tests/support/window_session.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QMimeData>
#include <QSignalSpy>
#include <QToolButton>
#include <QWhatsThis>

using namespace crunchwise;
using namespace command_fixture;

namespace {
// Clicks toolbar button `name`, or triggers menu item `name`.
void choose(frmMain& window, const QString& name) {
    if (auto* button = window.findChild<QToolButton*>(name))
        QTest::mouseClick(button, Qt::LeftButton);
    else
        window.findChild<QAction*>(name)->trigger();
}

// Runs `script` in another process, in `folder`, while the window goes on.
bool runElsewhere(const QString& folder, const QString& script) {
    QProcess shell;
    shell.setWorkingDirectory(folder);
    shell.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script});
    return QTest::qWaitFor([&] { return shell.state() == QProcess::NotRunning; }, 30000) &&
           shell.exitStatus() == QProcess::NormalExit && shell.exitCode() == 0;
}

// A drop of the addresses `list` offering `actions`, as a file manager sends
// it; the action the window took, or IgnoreAction.
Qt::DropAction drop(frmMain& window, const QByteArray& list, Qt::DropActions actions) {
    QMimeData data;
    data.setData(QStringLiteral("text/uri-list"), list);
    const QPoint at = window.File1->mapTo(&window, window.File1->rect().center());
    QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    if (!enter.isAccepted())
        return Qt::IgnoreAction;
    QDropEvent dropped(QPointF(at), actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &dropped);
    return dropped.isAccepted() ? dropped.dropAction() : Qt::IgnoreAction;
}
} // namespace

class TestFrmMainControls : public QObject {
    Q_OBJECT

    // One window for every case; each begins on a.txt and b.txt.
    WindowSession session_{QStringList{}};
    frmMain& window = *session_.window;

private slots:
    void initTestCase() {
        AppInfo::setHelpFileForTesting(QStringLiteral(CRUNCHWISE_HELP_FILE));
        window.show();
    }
    void init() {
        session_.reset({"a.txt", "b.txt"});
        QApplication::setActiveWindow(&window);
    }
    void cleanup() {
        QWhatsThis::leaveWhatsThisMode();
        delete activeHelpViewer();
        delete activeHelpPopup();
        AppInfo::setHelpFileForTesting(QStringLiteral(CRUNCHWISE_HELP_FILE));
        QVERIFY2(MessageBox::pendingAnswers() == 0, "a scripted answer was not asked for");
    }

    void buttonAndMenuItemRunTheSameCommand_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QStringList>("boxTitles");
        QTest::addColumn<QStringList>("left");
        const QStringList all{"a.txt", "b.txt"};
        // The session's program folder has no launcher: Compress says so.
        QTest::newRow("Compress button") << "cmdCompress" << QStringList{"Crunchwise"} << all;
        QTest::newRow("Compress menu") << "mnuCompress" << QStringList{"Crunchwise"} << all;
        // Expand asks for a destination; the test cancels it. The Delete and
        // Properties items are their keys' (below).
        QTest::newRow("Expand button") << "cmdExpand" << QStringList() << all;
        QTest::newRow("Expand menu") << "mnuExpand" << QStringList() << all;
        QTest::newRow("Delete button")
            << "cmdDelete" << QStringList{"Move to Trash"} << QStringList{"b.txt"};
        QTest::newRow("Properties button") << "cmdProperties" << QStringList{"a.txt"} << all;
    }
    void buttonAndMenuItemRunTheSameCommand() {
        QFETCH(QString, control);
        QFETCH(QStringList, boxTitles);
        QFETCH(QStringList, left);
        session_.select({"a.txt"});
        window.lblStatus->setText(QStringLiteral("Compression Completed"));
        if (!boxTitles.isEmpty())
            MessageBox::setNextAnswer(QMessageBox::Yes);
        if (control.contains(u"Expand"))
            whenOpen<QDialog>([](QDialog* dialog) { dialog->reject(); });

        choose(window, control);

        QCOMPARE(window.lblStatus->text(), QString());
        QCOMPARE(command_fixture::boxTitles(), boxTitles);
        QCOMPARE(session_.onDisk(), left);
    }

    void exitRunsTheUnload_data() {
        QTest::addColumn<QString>("control");
        QTest::newRow("Exit button") << "cmdExit";
        QTest::newRow("File menu Exit") << "mexit";
    }
    void exitRunsTheUnload() {
        QFETCH(QString, control);
        auto closing = WindowSession::start();
        closing->move(150, 120);
        choose(*closing, control);
        QVERIFY(!closing->isVisible());
        QVERIFY(WindowSession::stored("MainLeft") != u"<absent>");
    }

    void tabRunsFromTheFileListThroughTheButtonsFromTheRight() {
        window.File1->setFocus();
        QStringList tips;
        for (int i = 0; i < 7; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            tips << QApplication::focusWidget()->toolTip();
        }
        QCOMPARE(tips, QStringList({"Exit", "What's This Help", "Help", "Properties", "Delete",
                                    "Expand", "Compress"}));
    }

    void f1OpensTheContentsAndSearchTheEmptyIndex() {
        QTest::keyClick(&window, Qt::Key_F1);
        QVERIFY(activeHelpViewer() && activeHelpViewer()->isVisible());
        QVERIFY(!activeHelpViewer()->indexShown());
        QCOMPARE(activeHelpViewer()->currentTopic(), 0);

        window.msearch->trigger();
        QVERIFY(activeHelpViewer()->indexShown());
        QCOMPARE(activeHelpViewer()->keywordSearch()->text(), QString());
        QVERIFY(activeHelpViewer()->keywordList()->count() > 10);
    }

    // What's This, by Shift+F1 or its button, then a click: the topic of the
    // control clicked, or, as Contents does in its viewer, why there is none.
    void whatsThisShowsTheTopicOfTheControlClicked_data() {
        QTest::addColumn<QByteArray>("helpFile"); // empty: the shipped one; "<missing>": none
        QTest::addColumn<QString>("control");
        QTest::addColumn<bool>("byKey");
        QTest::addColumn<QString>("says");
        HelpFile help;
        QVERIFY(help.load(QStringLiteral(CRUNCHWISE_HELP_FILE)));
        const auto title = [&](int context) {
            return "<b>" + help.topics()[help.topicForContext(context)].title.toHtmlEscaped() +
                   "</b>";
        };
        QTest::newRow("Shift+F1, file list") << QByteArray() << "File1" << true << title(100);
        QTest::newRow("button, folder list") << QByteArray() << "Dir1" << false << title(90);
        QTest::newRow("button, Delete button") << QByteArray() << "cmdDelete" << false << title(70);
        QTest::newRow("no help file")
            << QByteArray("<missing>") << "File1" << true << "Cannot open the help file";
        QTest::newRow("no topic for the control")
            << QByteArray("@topic Contents\n@context 90\nThe folder list.\n") << "File1" << true
            << "has no topic for this part of the window (context 100)";
        QTest::newRow("no topic at all")
            << QByteArray("; nothing here\n") << "File1" << true << "holds no topic";
    }
    void whatsThisShowsTheTopicOfTheControlClicked() {
        QFETCH(QByteArray, helpFile);
        QFETCH(QString, control);
        QFETCH(bool, byKey);
        QFETCH(QString, says);
        QTemporaryDir folder;
        if (!helpFile.isEmpty()) {
            const QString path = folder.filePath(QStringLiteral("compress.hlp"));
            QVERIFY(helpFile == "<missing>" || writeAll(path, helpFile));
            AppInfo::setHelpFileForTesting(path);
        }
        if (byKey)
            QTest::keyClick(&window, Qt::Key_F1, Qt::ShiftModifier);
        else
            QTest::mouseClick(window.cmdWhatsThis, Qt::LeftButton);
        QVERIFY(QWhatsThis::inWhatsThisMode());

        auto* target = window.findChild<QWidget*>(control);
        auto* area = qobject_cast<QAbstractScrollArea*>(target);
        QTest::mouseClick(area ? area->viewport() : target, Qt::LeftButton);

        QVERIFY(!QWhatsThis::inWhatsThisMode());
        QVERIFY(activeHelpPopup());
        const auto* text = activeHelpPopup()->findChild<QLabel*>(QStringLiteral("popupText"));
        QVERIFY2(text->text().contains(says), qPrintable(text->text()));
    }

    void withoutAHelpFileContentsAndSearchSaySo_data() {
        QTest::addColumn<QString>("item");
        QTest::newRow("Contents") << "mcontents";
        QTest::newRow("Search") << "msearch";
    }
    void withoutAHelpFileContentsAndSearchSaySo() {
        QFETCH(QString, item);
        AppInfo::setHelpFileForTesting(QString());
        MessageBox::setNextAnswer(QMessageBox::Ok);
        choose(window, item);
        QCOMPARE(boxTexts(),
                 QStringList{"Unable to display Help Contents. There is no Help associated with "
                             "this project."});
        QVERIFY(!activeHelpViewer());
    }

    // Each key runs the command of its menu item, which shows it; keys that
    // act on files do so only from the file list, and not while a command runs.
    void keysRunTheirMenuCommands_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<bool>("locked");
        QTest::addColumn<QString>("boxTitle"); // empty: no box
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<QStringList>("onDisk");
        const QStringList all{"a.txt", "b.txt", "c.txt"};
        const int none = Qt::NoModifier;
        QTest::newRow("Delete trashes the selection")
            << "mnuDelete" << int(Qt::Key_Delete) << none << "File1" << false << "Move to Trash"
            << QStringList{} << QStringList{"a.txt", "c.txt"};
        QTest::newRow("Delete in the folder list deletes nothing")
            << "mnuDelete" << int(Qt::Key_Delete) << none << "Dir1" << false << ""
            << QStringList{"b.txt"} << all;
        QTest::newRow("Delete while a command runs does nothing")
            << "mnuDelete" << int(Qt::Key_Delete) << none << "File1" << true << ""
            << QStringList{"b.txt"} << all;
        QTest::newRow("F2 renames the current file")
            << "mnuRename" << int(Qt::Key_F2) << none << "File1" << false << ""
            << QStringList{"c.txt"} << QStringList{"a.txt", "c.txt", "renamed.txt"};
        QTest::newRow("Alt+Enter shows the properties")
            << "mnuProperties" << int(Qt::Key_Return) << int(Qt::AltModifier) << "File1" << false
            << "b.txt" << QStringList{"b.txt"} << all;
        QTest::newRow("Ctrl+A selects every file")
            << "mnuSelectAll" << int(Qt::Key_A) << int(Qt::ControlModifier) << "File1" << false
            << "" << all << all;
        QTest::newRow("F5 reads the lists again, the status stays")
            << "mnuRefresh" << int(Qt::Key_F5) << none << "Dir1" << false << ""
            << QStringList{"b.txt"} << QStringList{"a.txt", "b.txt", "c.txt", "new.txt"};
    }
    void keysRunTheirMenuCommands() {
        QFETCH(QString, item);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, focus);
        QFETCH(bool, locked);
        QFETCH(QString, boxTitle);
        QFETCH(QStringList, selected);
        QFETCH(QStringList, onDisk);
        session_.reset({"a.txt", "b.txt", "c.txt"});
        session_.select({"b.txt"});
        QVERIFY(!window.findChild<QAction*>(item)->shortcut().isEmpty());
        if (!boxTitle.isEmpty())
            MessageBox::setNextAnswer(QMessageBox::Yes);
        if (item == u"mnuRename")
            whenOpen<QInputDialog>([](QInputDialog* box) {
                box->setTextValue(QStringLiteral("renamed.txt"));
                box->accept();
            });
        if (item == u"mnuRefresh") {
            session_.write(QStringLiteral("new.txt"), "new");
            window.lblStatus->setText(QStringLiteral("Expansion Completed"));
        }
        window.findChild<QWidget*>(focus)->setFocus();
        std::optional<frmMain::CommandLock> lock;
        if (locked)
            lock.emplace(window);

        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key),
                        Qt::KeyboardModifiers(modifiers));

        QCOMPARE(boxTitles(), boxTitle.isEmpty() ? QStringList() : QStringList{boxTitle});
        QCOMPARE(session_.onDisk(), onDisk);
        QCOMPARE(session_.listed(), onDisk);
        QCOMPARE(selectedNames(window.File1), selected);
        if (item == u"mnuRefresh")
            QCOMPARE(window.lblStatus->text(), QStringLiteral("Expansion Completed"));
    }

    // Two files dropped from a file manager: their folder opens with both
    // selected, the first current. A drop is taken as a copy, never as a move,
    // which would have the file manager delete the files; a folder opens itself.
    // Which addresses name local files is FileUrl's (FileUrlLines).
    void droppedFilesOpenTheirFolderSelected_data() {
        QTest::addColumn<QStringList>("dropped"); // in the source folder
        QTest::addColumn<int>("offered");
        QTest::addColumn<int>("taken");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QStringList>("selected");
        const int copyOrMove = int(Qt::CopyAction | Qt::MoveAction);
        const QString rawName = FileNameCodec::decode("sub/caf\xe9.ex_");
        QTest::newRow("two files, copy or move offered")
            << QStringList{"sub/d.txt", rawName} << copyOrMove << int(Qt::CopyAction) << "sub"
            << QStringList{FileNameCodec::decode("caf\xe9.ex_"), "d.txt"};
        QTest::newRow("link offered") << QStringList{"sub/d.txt"} << int(Qt::LinkAction)
                                      << int(Qt::LinkAction) << "sub" << QStringList{"d.txt"};
        QTest::newRow("move alone is refused") << QStringList{"sub/d.txt"} << int(Qt::MoveAction)
                                               << int(Qt::IgnoreAction) << "" << QStringList{};
        QTest::newRow("a folder opens itself")
            << QStringList{"sub"} << copyOrMove << int(Qt::CopyAction) << "sub" << QStringList{};
    }
    void droppedFilesOpenTheirFolderSelected() {
        QFETCH(QStringList, dropped);
        QFETCH(int, offered);
        QFETCH(int, taken);
        QFETCH(QString, folder);
        QFETCH(QStringList, selected);
        session_.reset({"a.txt"});
        QVERIFY(session_.source.create({"sub/", "sub/c.txt", "sub/d.txt"}));
        QVERIFY(session_.source.createRaw("sub/caf\xe9.ex_"));
        QByteArray list; // a file manager's text/uri-list
        for (const QString& name : dropped)
            list += FileUrl::uriList({session_.source.pathOf(name)});

        const auto action = drop(window, list, Qt::DropActions(offered));

        QCOMPARE(int(action), taken);
        const QString shown =
            folder.isEmpty() ? session_.source.path() : session_.source.pathOf(folder);
        QCOMPARE(window.Dir1->path(), shown);
        QCOMPARE(window.File1->path(), shown);
        QCOMPARE(selectedNames(window.File1), selected);
        if (selected.size() > 1)
            QCOMPARE(currentName(window.File1), QStringLiteral("d.txt"));
    }

    // Files and folders made or removed by another program appear and go
    // without Refresh; the selection and the current file stay.
    void listsFollowAnotherProgram() {
        session_.reset({"a.txt", "b.txt", "c.txt"});
        session_.select({"b.txt", "c.txt"});

        QVERIFY(
            runElsewhere(session_.source.path(), "touch 0.txt bb.txt && mkdir sub && rm c.txt"));

        QTRY_COMPARE_WITH_TIMEOUT(session_.listed(),
                                  (QStringList{"0.txt", "a.txt", "b.txt", "bb.txt"}), 5000);
        QCOMPARE(selectedNames(window.File1), QStringList{"b.txt"});
        QCOMPARE(currentName(window.File1), QStringLiteral("b.txt"));
        QTRY_COMPARE_WITH_TIMEOUT(window.Dir1->listCount(), 1, 5000);
        QCOMPARE(window.Dir1->list(0), session_.source.pathOf("sub"));

        // The folder shown goes away: the nearest one left is shown.
        window.Dir1->setPath(session_.source.pathOf("sub"));
        QVERIFY(runElsewhere(session_.source.path(), "rmdir sub"));
        QTRY_COMPARE_WITH_TIMEOUT(window.Dir1->path(), session_.source.path(), 5000);
        QCOMPARE(window.Dir1->listCount(), 0);
    }

    // While a command asks something, the lists stay as they were; they
    // follow once it is answered.
    void listsWaitWhileACommandAsks() {
        session_.reset({"a.txt", "b.txt"});
        session_.select({"b.txt"});
        QStringList listedWhileAsking;
        whenOpen<QInputDialog>([&](QInputDialog* box) {
            QVERIFY(runElsewhere(session_.source.path(), "touch 0.txt"));
            QTest::qWait(1500);
            listedWhileAsking = session_.listed();
            box->reject();
        });
        window.mPopUp2_Click(5); // Rename asks for the new name
        QCOMPARE(listedWhileAsking, (QStringList{"a.txt", "b.txt"}));
        QTRY_COMPARE_WITH_TIMEOUT(session_.listed(), (QStringList{"0.txt", "a.txt", "b.txt"}),
                                  5000);
        QCOMPARE(currentName(window.File1), QStringLiteral("b.txt"));
    }

    // 10,000 files made at once in the folder shown: the window reads the
    // folder about once per three quarters of a second that the burst lasts,
    // not once per file, and updates the list by rows, keeping the selection.
    void aBurstOfFilesIsReadOnce() {
        session_.reset({"keep.txt"});
        session_.select({"keep.txt"});
        auto* watch = window.findChild<FolderWatch*>();
        QVERIFY(watch && watch->watching());
        QSignalSpy told(watch, &FolderWatch::changed);
        QSignalSpy reset(window.File1->model(), &QAbstractItemModel::modelReset);
        QElapsedTimer burst;
        burst.start();

        QVERIFY(runElsewhere(session_.source.path(), "seq -f 'f%05g' 10000 | xargs touch"));

        const qint64 lasted = burst.elapsed();
        QTRY_COMPARE_WITH_TIMEOUT(window.File1->listCount(), 10001, 10000);
        QTest::qWait(1000); // nothing more comes
        qInfo("a burst of %lld ms was read %d times", lasted, int(told.size()));
        QVERIFY(told.size() <= 2 + lasted / 750);
        QCOMPARE(reset.size(), 0);
        QCOMPARE(selectedNames(window.File1), QStringList{"keep.txt"});
    }
};

QTEST_MAIN(TestFrmMainControls)
#include "frm_main_controls_test.moc"
