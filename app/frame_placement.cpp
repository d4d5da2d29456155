// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame_placement.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

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

// Done once the frame is known (it differs from the window's inside), or
// when none appears in time.
void FramePlacement::correct() {
    const QRect frame = window_->frameGeometry();
    const bool framed = frame != window_->geometry();
    if (framed && frame.topLeft() != framePosition_)
        window_->move(framePosition_);
    if (framed || --pollsLeft_ <= 0)
        deleteLater();
}

} // namespace crunchwise
