// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/splitter_handle.h"

#include "common/twips.h"

#include <QMouseEvent>

namespace crunchwise {

namespace {
int buttonCode(Qt::MouseButtons buttons) {
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) |
           (buttons & Qt::MiddleButton ? 4 : 0);
}

int shiftCode(Qt::KeyboardModifiers modifiers) {
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

float twips(qreal pixels) {
    return float(pixels * Twips::perPixel());
}
} // namespace

SplitterHandle::SplitterHandle(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::SizeHorCursor);
    // Moves without a pressed button are reported too.
    setMouseTracking(true);
}

void SplitterHandle::mousePressEvent(QMouseEvent* event) {
    emit mouseDown(buttonCode(event->button()), shiftCode(event->modifiers()),
                   twips(event->position().x()), twips(event->position().y()));
}

void SplitterHandle::mouseMoveEvent(QMouseEvent* event) {
    emit mouseMove(buttonCode(event->buttons()), shiftCode(event->modifiers()),
                   twips(event->position().x()), twips(event->position().y()));
}

void SplitterHandle::mouseReleaseEvent(QMouseEvent* event) {
    emit mouseUp(buttonCode(event->button()), shiftCode(event->modifiers()),
                 twips(event->position().x()), twips(event->position().y()));
}

} // namespace crunchwise
