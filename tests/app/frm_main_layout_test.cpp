// SPDX-License-Identifier: GPL-3.0-or-later
// The folder and file lists around the splitter, driven with the mouse.
#include "common/twips.h"
#include "tests/support/window_session.h"

#include <QResizeEvent>

using namespace crunchwise;

namespace {
// The designed layout around the handle's left edge `handle` (twips): the
// folder list ends 40 twips before it and the file list starts 40 after it.
// In pixels: Dir1 width, handle left, top and height, File1 left and width.
QList<int> around(int handle, int fileWidth) {
    return {Twips::toPixels(handle - 40), Twips::toPixels(handle),      0,
            Twips::toPixels(2625),        Twips::toPixels(handle + 40), Twips::toPixels(fileWidth)};
}
} // namespace

class TestFrmMainLayout : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowSession> session_;
    frmMain* window_ = nullptr;
    QWidget* handle_ = nullptr;
    QWidget* bar_ = nullptr;

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

private slots:
    void init() {
        session_ = std::make_unique<WindowSession>(WindowSession::NoWindow{});
        session_->window = WindowSession::start();
        window_ = session_->window.get();
        QVERIFY(window_);
        handle_ = window_->findChild<QWidget*>(QStringLiteral("imgSplitter"));
        bar_ = window_->findChild<QWidget*>(QStringLiteral("picSplitter"));
        QVERIFY(handle_ && bar_);
        QCOMPARE(Twips::perPixel(), 15.0);
    }

    void cleanup() { session_.reset(); }

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

QTEST_MAIN(TestFrmMainLayout)
#include "frm_main_layout_test.moc"
