// SPDX-License-Identifier: GPL-3.0-or-later
// The window's frame: the splitter between the folder and file lists, driven
// with the mouse; the tray icon, its setting and menus, and the hook that
// brings the icon's messages to the main window.
#include "common/twips.h"
#include "desktop/systray.h"
#include "desktop/window_message.h"
#include "desktop/winproc.h"
#include "tests/support/window_session.h"

#include <QAction>
#include <QMenuBar>
#include <QResizeEvent>
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

// The designed layout around the handle's left edge `handle` (twips): the
// folder list ends 40 twips before it and the file list starts 40 after it.
// In pixels: Dir1 width, handle left, top and height, File1 left and width.
QList<int> around(int handle, int fileWidth) {
    return {Twips::toPixels(handle - 40), Twips::toPixels(handle),      0,
            Twips::toPixels(2625),        Twips::toPixels(handle + 40), Twips::toPixels(fileWidth)};
}
} // namespace

class TestFrmMainFrame : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowSession> session_;
    frmMain* window_ = nullptr;
    QWidget* handle_ = nullptr;
    QWidget* bar_ = nullptr;

    // A window shown, with the splitter's handle and bar.
    bool startSplitter() {
        session_->window = WindowSession::start();
        window_ = session_->window.get();
        handle_ = window_ ? window_->findChild<QWidget*>(QStringLiteral("imgSplitter")) : nullptr;
        bar_ = window_ ? window_->findChild<QWidget*>(QStringLiteral("picSplitter")) : nullptr;
        return handle_ && bar_ && Twips::perPixel() == 15.0;
    }
    QList<int> layout() const {
        return {window_->Dir1->width(), handle_->x(),        handle_->y(),
                handle_->height(),      window_->File1->x(), window_->File1->width()};
    }
    // Mouse actions go through the window, as the desktop delivers them, so
    // the handle keeps the mouse from press to release.
    void mouse(QTest::MouseAction action, QPoint onHandle) {
        const QPoint at = handle_->mapTo(window_, onHandle);
        QTest::mouseEvent(action, window_->windowHandle(), Qt::LeftButton, {}, at);
    }

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

    void dividerStaysWhereItIs_data() {
        QTest::addColumn<int>("action");
        QTest::newRow("first display") << 0;
        QTest::newRow("later resize events") << 1;
        QTest::newRow("window state changes") << 2;
        QTest::newRow("press and release without a move") << 3;
        QTest::newRow("moves without a press") << 4;
    }

    void dividerStaysWhereItIs() {
        QFETCH(int, action);
        QVERIFY(startSplitter());
        const QRect barBefore = bar_->geometry();
        for (int repeat = 0; repeat < 3; ++repeat) {
            if (action == 1) {
                QResizeEvent resize(window_->size(), window_->size());
                QApplication::sendEvent(window_, &resize);
            } else if (action == 2) {
                window_->showMinimized();
                window_->showNormal();
            } else if (action == 3) {
                mouse(QTest::MousePress, {4, 30});
                QVERIFY(bar_->isVisible());
                mouse(QTest::MouseRelease, {4, 30});
            } else if (action == 4) {
                for (const QPoint onHandle : {QPoint(2, 10), QPoint(-100, 40)})
                    QTest::mouseMove(window_->windowHandle(), handle_->mapTo(window_, onHandle));
                QCOMPARE(bar_->geometry(), barBefore);
            }
        }
        // Dir1 3030 wide, handle at 3070, File1 at 3110 and 4170 wide, handle
        // top 0 and height 2625.
        QCOMPARE(layout(), around(3070, 4170));
        QVERIFY(!bar_->isVisible());
    }

    void dragDropsTheDividerWithinTheLimits_data() {
        QTest::addColumn<bool>("fromUpperLimit"); // the next two count from the upper limit
        QTest::addColumn<int>("pixels");          // how far the mouse moves after the press
        QTest::addColumn<int>("expected");        // left of the bar and of the handle, twips
        // The handle starts at 3070 twips, 15 twips to the pixel; the upper
        // limit is the window's outer width less 500.
        QTest::newRow("into the folder list") << false << -100 << 1570;
        QTest::newRow("into the file list") << false << 120 << 4870;
        QTest::newRow("one pixel inside the lower limit") << false << -171 << 505;
        QTest::newRow("one pixel past the lower limit") << false << -172 << 500;
        QTest::newRow("far left, out of the window") << false << -1000 << 500;
        QTest::newRow("one pixel inside the upper limit") << true << -1 << -15;
        QTest::newRow("exactly on the upper limit") << true << 0 << 0;
        QTest::newRow("one pixel past the upper limit") << true << 1 << 0;
        QTest::newRow("far right, out of the window") << true << 100 << 0;
    }

    void dragDropsTheDividerWithinTheLimits() {
        QFETCH(bool, fromUpperLimit);
        QFETCH(int, pixels);
        QFETCH(int, expected);
        QVERIFY(startSplitter());
        if (fromUpperLimit) {
            const int upper = qRound(Twips::fromPixels(window_->frameGeometry().width())) - 500;
            pixels += (upper - 3070) / 15;
            expected += upper;
        }
        const QPoint press(6, 50);
        mouse(QTest::MousePress, press);
        mouse(QTest::MouseMove, press + QPoint(pixels / 2, 20));
        mouse(QTest::MouseMove, press + QPoint(pixels, -30));
        QVERIFY(bar_->isVisible());
        QCOMPARE(bar_->x(), Twips::toPixels(expected));
        QCOMPARE(bar_->width(), Twips::toPixels(75));

        mouse(QTest::MouseRelease, press + QPoint(pixels, -30));
        QVERIFY(!bar_->isVisible());
        // The Source Files frame is 7350 twips wide; 150 twips between the lists.
        const int fileWidth = 7350 - (expected - 40 + 150);
        QCOMPARE(layout(), around(expected, fileWidth));

        // The next resize leaves the divider where it was dropped.
        QResizeEvent resize(window_->size(), window_->size());
        QApplication::sendEvent(window_, &resize);
        QCOMPARE(layout(), around(expected, fileWidth));
    }
};

QTEST_MAIN(TestFrmMainFrame)
#include "frm_main_frame_test.moc"
