// SPDX-License-Identifier: GPL-3.0-or-later
// The toolbar, the File and Help menus and the help entries, driven by
// clicks and keys on a shown main window.
#include "desktop/help_popup.h"
#include "desktop/help_viewer.h"
#include "desktop/win_help.h"
#include "tests/support/window_session.h"

#include <QAction>
#include <QToolButton>
#include <QWhatsThis>

using namespace crunchwise;

namespace {
void closeHelp() {
    delete activeHelpViewer();
    delete activeHelpPopup();
}

// Clicks toolbar button `name`, or triggers menu item `name`.
void choose(frmMain& window, const QString& name) {
    if (auto* button = window.findChild<QToolButton*>(name))
        QTest::mouseClick(button, Qt::LeftButton);
    else
        window.findChild<QAction*>(name)->trigger();
}

} // namespace

class TestFrmMainMenus : public QObject {
    Q_OBJECT

    // One window for every case; each begins on a.txt and b.txt.
    WindowSession session_{QStringList{}};
    frmMain& window() { return *session_.window; }

private slots:
    void initTestCase() {
        AppInfo::setHelpFileForTesting(QStringLiteral(CRUNCHWISE_HELP_FILE));
        window().show();
    }
    void init() {
        session_.reset({"a.txt", "b.txt"});
        QApplication::setActiveWindow(&window());
    }
    void cleanup() {
        QWhatsThis::leaveWhatsThisMode();
        closeHelp();
        AppInfo::setHelpFileForTesting(QStringLiteral(CRUNCHWISE_HELP_FILE));
        QVERIFY2(MessageBox::pendingAnswers() == 0, "a scripted answer was not asked for");
    }

    void buttonAndMenuItemRunTheSameCommand_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("boxTitle"); // empty: no box
        QTest::addColumn<QStringList>("left");
        const QStringList all{"a.txt", "b.txt"};
        // The session's program folder has no launcher: Compress says so.
        QTest::newRow("Compress button") << "cmdCompress"
                                         << "Crunchwise" << all;
        QTest::newRow("Compress menu") << "mnuCompress"
                                       << "Crunchwise" << all;
        // Expand asks for a destination; the test cancels it. The Delete and
        // Properties items are their keys' (frm_main_desktop_test).
        QTest::newRow("Expand button") << "cmdExpand" << QString() << all;
        QTest::newRow("Expand menu") << "mnuExpand" << QString() << all;
        QTest::newRow("Delete button") << "cmdDelete"
                                       << "Move to Trash" << QStringList{"b.txt"};
        QTest::newRow("Properties button") << "cmdProperties"
                                           << "a.txt" << all;
    }
    void buttonAndMenuItemRunTheSameCommand() {
        QFETCH(QString, control);
        QFETCH(QString, boxTitle);
        QFETCH(QStringList, left);
        session_.select({"a.txt"});
        window().lblStatus->setText(QStringLiteral("Compression Completed"));
        if (!boxTitle.isEmpty())
            MessageBox::setNextAnswer(QMessageBox::Yes);
        if (control.contains(u"Expand"))
            command_fixture::whenOpen<QDialog>([](QDialog* dialog) { dialog->reject(); });

        choose(window(), control);

        QCOMPARE(window().lblStatus->text(), QString());
        QCOMPARE(command_fixture::boxTitles(),
                 boxTitle.isEmpty() ? QStringList() : QStringList{boxTitle});
        QCOMPARE(session_.onDisk(), left);
    }

    // While Expand asks for its destination, no other command can start:
    // the items are disabled and the handler refuses a call that gets through.
    void noSecondCommandStartsWhileOneRuns() {
        session_.select({"a.txt"});
        bool disabled = false;
        command_fixture::whenOpen<QDialog>([&](QDialog* dialog) {
            disabled = !window().mnuDelete->isEnabled() && !window().cmdCompress->isEnabled() &&
                       !window().mPopUp2[7]->isEnabled();
            window().mPopUp2_Click(4); // Delete would ask first
            dialog->reject();
        });
        window().cmdExpand->click();
        QVERIFY(disabled);
        QCOMPARE(MessageBox::shown().size(), 0);
        QVERIFY(window().mnuDelete->isEnabled() && window().cmdCompress->isEnabled());
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
        window().File1->setFocus();
        QStringList tips;
        for (int i = 0; i < 7; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            tips << QApplication::focusWidget()->toolTip();
        }
        QCOMPARE(tips, QStringList({"Exit", "What's This Help", "Help", "Properties", "Delete",
                                    "Expand", "Compress"}));
    }

    void f1OpensTheContentsAndSearchTheEmptyIndex() {
        QTest::keyClick(&window(), Qt::Key_F1);
        QVERIFY(activeHelpViewer() && activeHelpViewer()->isVisible());
        QVERIFY(!activeHelpViewer()->indexShown());
        QCOMPARE(activeHelpViewer()->currentTopic(), 0);

        window().msearch->trigger();
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
            QVERIFY(helpFile == "<missing>" || command_fixture::writeAll(path, helpFile));
            AppInfo::setHelpFileForTesting(path);
        }
        if (byKey)
            QTest::keyClick(&window(), Qt::Key_F1, Qt::ShiftModifier);
        else
            QTest::mouseClick(window().cmdWhatsThis, Qt::LeftButton);
        QVERIFY(QWhatsThis::inWhatsThisMode());

        auto* target = window().findChild<QWidget*>(control);
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
        choose(window(), item);
        QCOMPARE(command_fixture::boxTexts(),
                 QStringList{"Unable to display Help Contents. There is no Help associated with "
                             "this project."});
        QVERIFY(!activeHelpViewer());
    }
};

QTEST_MAIN(TestFrmMainMenus)
#include "frm_main_menus_test.moc"
