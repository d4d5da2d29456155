// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/window_message.h"

#include <QCoreApplication>
#include <QWidget>

namespace crunchwise {

WindowMessage::WindowMessage(uint uMsg, quintptr wParam, qintptr lParam)
    : QEvent(eventType()), uMsg(uMsg), wParam(wParam), lParam(lParam) {}

QEvent::Type WindowMessage::eventType() {
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

bool PostMessageA(QWidget* hWnd, uint uMsg, quintptr wParam, qintptr lParam) {
    if (!hWnd)
        return false;
    QCoreApplication::postEvent(hWnd, new WindowMessage(uMsg, wParam, lParam));
    return true;
}

bool SetForegroundWindow(QWidget* hWnd) {
    if (!hWnd)
        return false;
    hWnd->raise();
    hWnd->activateWindow();
    return true;
}

} // namespace crunchwise
