// SPDX-License-Identifier: GPL-3.0-or-later
// A window message: a number and two values, delivered to a window as an
// event of its own type. The tray icon reports its mouse activity this way.
#pragma once

#include <QEvent>
#include <QtGlobal>

class QWidget;

namespace crunchwise {

inline constexpr uint WM_USER = 0x400;
inline constexpr uint WM_LBUTTONDOWN = 0x201;
inline constexpr uint WM_LBUTTONDBLCLK = 0x203;
inline constexpr uint WM_RBUTTONUP = 0x205;
inline constexpr uint WM_MBUTTONDOWN = 0x207;

class WindowMessage : public QEvent {
public:
    WindowMessage(uint uMsg, quintptr wParam, qintptr lParam);

    static QEvent::Type eventType();

    uint uMsg;
    quintptr wParam;
    qintptr lParam;
};

// Queues the message for `hWnd` and returns at once; false when there is no window.
bool PostMessageA(QWidget* hWnd, uint uMsg, quintptr wParam, qintptr lParam);

// Brings `hWnd` to the front and gives it the keyboard focus.
bool SetForegroundWindow(QWidget* hWnd);

} // namespace crunchwise
