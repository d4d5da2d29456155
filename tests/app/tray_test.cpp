// SPDX-License-Identifier: GPL-3.0-or-later
// The tray icon, its setting and menus, and the hook that brings the icon's
// messages to the main window.
#include "desktop/systray.h"
#include "desktop/window_message.h"
#include "desktop/winproc.h"
#include "tests/support/window_session.h"

#include <QAction>
#include <QMenuBar>
#include <QSystemTrayIcon>

using namespace crunchwise;

namespace {
constexpr uint kTrayCallback = 0x401;
constexpr uint kIconId = 125;

// Records the window messages that reach the window's own handling.
class Passed : public QObject {
public:
    QList<std::tuple<uint, quintptr, qintptr>> messages;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == WindowMessage::eventType()) {
            const auto* m = static_cast<WindowMessage*>(event);
            messages.append({m->uMsg, m->wParam, m->lParam});
        }
        return false;
    }
};

QSystemTrayIcon* icon(const frmMain* window) {
    return notifyIcon(window, kIconId);
}

void post(frmMain* window, uint uMsg, qintptr lParam) {
    PostMessageA(window, uMsg, kIconId, lParam);
    QCoreApplication::sendPostedEvents();
}
} // namespace

class TestTray : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowSession> session_;

    // The icon shown with its tip, the hook on the window, then whether Hide,
    // Show, Remove and Add are enabled.
    static QList<bool> trayState(const frmMain* w) {
        const QSystemTrayIcon* i = icon(w);
        return {i && i->isVisible() && i->toolTip() == "Crunchwise" && !i->icon().isNull(),
                winproc::PrevWndProc() == w,
                w->mnuHide->isEnabled(),
                w->mnuShow->isEnabled(),
                w->mnuRemove->isEnabled(),
                w->mnuAdd->isEnabled()};
    }
    const QList<bool> on_{true, true, true, true, true, false};
    const QList<bool> off_{false, false, false, false, false, true};

private slots:
    void init() {
        session_ = std::make_unique<WindowSession>(WindowSession::NoWindow{});
        setNotificationAreaForTesting(true);
        MessageBox::clearShown();
    }

    void cleanup() {
        session_.reset();
        QCOMPARE(MessageBox::shown().size(), 0);
    }

    // The setting decides at start; the unload removes icon and hook and
    // leaves the setting as it was.
    void startFollowsTheSettingAndUnloadRemovesTheIcon_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("on");
        QTest::newRow("no setting") << QString() << true;
        QTest::newRow("1") << QStringLiteral("1") << true;
        QTest::newRow("0") << QStringLiteral("0") << false;
        QTest::newRow("any other number") << QStringLiteral("2") << false;
    }
    void startFollowsTheSettingAndUnloadRemovesTheIcon() {
        QFETCH(QString, stored);
        QFETCH(bool, on);
        if (!stored.isNull())
            WindowSession::store("SysTray", stored);
        auto window = WindowSession::start();
        QCOMPARE(trayState(window.get()), on ? on_ : off_);
        QVERIFY(window->close());
        QVERIFY(!icon(window.get()));
        QVERIFY(!winproc::PrevWndProc());
        QCOMPARE(WindowSession::stored("SysTray"), stored.isNull() ? "<absent>" : stored);
    }

    void removeThenAddSwitchesIconHookAndSetting() {
        auto window = WindowSession::start();
        window->mnuRemove->trigger();
        QCOMPARE(trayState(window.get()), off_);
        QCOMPARE(WindowSession::stored("SysTray"), QStringLiteral("0"));
        post(window.get(), kTrayCallback, WM_LBUTTONDOWN);
        QVERIFY(window->isVisible());

        window->mnuAdd->trigger();
        QCOMPARE(trayState(window.get()), on_);
        QCOMPARE(WindowSession::stored("SysTray"), QStringLiteral("1"));
        post(window.get(), kTrayCallback, WM_LBUTTONDOWN);
        QVERIFY(!window->isVisible());
    }

    void trayMessagesHideAndShowAndAllPassOn_data() {
        QTest::addColumn<QList<int>>("lParams");
        QTest::addColumn<bool>("visible");
        QTest::newRow("click hides") << QList<int>{WM_LBUTTONDOWN} << false;
        QTest::newRow("clicking the icon of the hidden window shows it")
            << QList<int>{WM_LBUTTONDOWN, WM_LBUTTONDOWN} << true;
        QTest::newRow("a third click hides it again")
            << QList<int>{WM_LBUTTONDOWN, WM_LBUTTONDOWN, WM_LBUTTONDOWN} << false;
        QTest::newRow("double click ends shown")
            << QList<int>{WM_LBUTTONDOWN, WM_LBUTTONDBLCLK} << true;
        QTest::newRow("double click on a shown window") << QList<int>{WM_LBUTTONDBLCLK} << true;
        QTest::newRow("move, left release, right press, middle click")
            << QList<int>{0x200, 0x202, 0x204, WM_MBUTTONDOWN} << true;
    }

    void trayMessagesHideAndShowAndAllPassOn() {
        QFETCH(QList<int>, lParams);
        QFETCH(bool, visible);
        Passed passed;
        auto window = WindowSession::start(&passed);
        QList<std::tuple<uint, quintptr, qintptr>> sent;
        for (int lParam : lParams) {
            post(window.get(), kTrayCallback, lParam);
            sent.append({kTrayCallback, kIconId, lParam});
        }
        // A message of another number goes on untouched and changes nothing.
        PostMessageA(window.get(), WM_USER + 2, 7, WM_LBUTTONDOWN);
        QCoreApplication::sendPostedEvents();
        sent.append({WM_USER + 2, 7, WM_LBUTTONDOWN});
        QCOMPARE(window->isVisible(), visible);
        QCOMPARE(passed.messages, sent);
    }

    void iconActivationsArriveAsCallbackMessages() {
        Passed passed;
        auto window = WindowSession::start(&passed);
        emit icon(window.get())->activated(QSystemTrayIcon::Trigger);
        QTRY_VERIFY(!window->isVisible());
        emit icon(window.get())->activated(QSystemTrayIcon::DoubleClick);
        QTRY_VERIFY(window->isVisible());
        using M = std::tuple<uint, quintptr, qintptr>;
        QCOMPARE(passed.messages, QList<M>({{kTrayCallback, kIconId, WM_LBUTTONDOWN},
                                            {kTrayCallback, kIconId, WM_LBUTTONDBLCLK}}));
    }

    void rightReleaseOpensTheTrayMenuThenPostsWmUser() {
        Passed passed;
        auto window = WindowSession::start(&passed);
        qsizetype passedWhileOpen = -1;
        QWidget* opened = nullptr;
        // Once the menu is open, choose Hide Crunchwise with the keyboard.
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            opened = QApplication::activePopupWidget();
            if (!opened)
                return;
            poll.stop();
            passedWhileOpen = passed.messages.size();
            QTest::keyClick(opened, Qt::Key_Down);
            QTest::keyClick(opened, Qt::Key_Return);
        });
        poll.start(10);
        post(window.get(), kTrayCallback, WM_RBUTTONUP);
        QCOMPARE(opened, window->mnuPopUp);
        QCOMPARE(passedWhileOpen, 0);
        QVERIFY(!window->isVisible());
        QTRY_COMPARE(passed.messages.size(), 2);
        using M = std::tuple<uint, quintptr, qintptr>;
        QCOMPARE(passed.messages,
                 QList<M>({{kTrayCallback, kIconId, WM_RBUTTONUP}, {WM_USER, 0, 0}}));
    }

    void withoutNotificationAreaTheWindowIsNeverStranded() {
        setNotificationAreaForTesting(false);
        auto window = WindowSession::start();
        QVERIFY(!window->mnuHide->isEnabled());
        post(window.get(), kTrayCallback, WM_LBUTTONDOWN);
        window->mPopUp_Click(0);
        QVERIFY(window->isVisible());

        // The area appears: the View menu offers Hide again.
        setNotificationAreaForTesting(true);
        QMenu* view = window->menuBar()->findChild<QMenu*>(QStringLiteral("mnuView"));
        QTimer::singleShot(0, view, &QMenu::close);
        view->exec();
        QVERIFY(window->mnuHide->isEnabled());
        window->mnuHide->trigger();
        QVERIFY(!window->isVisible());

        // It goes away while the window is hidden: the window comes back.
        setNotificationAreaForTesting(false);
        QTRY_VERIFY(window->isVisible());
    }
};

QTEST_MAIN(TestTray)
#include "tray_test.moc"
