// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frame_placement.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace crunchwise {

namespace {
// The frame is asked for this often after the window is shown, for at most
// this long; without a window manager there is no frame to wait for.
constexpr int kPollMs = 20;
constexpr int kPolls = 150;
} // namespace

void FramePlacement::place(QWidget* window, QPoint framePosition) {
    window->move(framePosition);
    new FramePlacement(window, framePosition);
}

FramePlacement::FramePlacement(QWidget* window, QPoint framePosition)
    : QObject(window), window_(window), framePosition_(framePosition), poll_(new QTimer(this)),
      pollsLeft_(kPolls) {
    poll_->setInterval(kPollMs);
    connect(poll_, &QTimer::timeout, this, &FramePlacement::correct);
    window->installEventFilter(this);
}

bool FramePlacement::eventFilter(QObject* /*watched*/, QEvent* event) {
    if (event->type() == QEvent::Show && !poll_->isActive())
        poll_->start();
    return false;
}

// Done once the frame is known, or when none appears in time. The window
// handle is asked, not the widget: the widget keeps the frame it knew at its
// last move, which may be from before the window manager drew one.
void FramePlacement::correct() {
    QWindow* handle = window_->windowHandle();
    const bool framed = handle && !handle->frameMargins().isNull();
    if (framed && handle->framePosition() != framePosition_) {
        const QMargins frame = handle->frameMargins();
        window_->setGeometry(
            QRect(framePosition_ + QPoint(frame.left(), frame.top()), window_->size()));
    }
    if (framed || --pollsLeft_ <= 0)
        deleteLater();
}

} // namespace crunchwise
