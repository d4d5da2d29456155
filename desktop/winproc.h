// SPDX-License-Identifier: GPL-3.0-or-later
// The hook on the main window: an event filter that hands every window
// message (WindowMessage) of the hooked window to a handler, ProcMsg, and then
// lets it go on to the window's own handling unchanged. It never swallows an
// event; Qt's own events carry no message number and go straight on.
#pragma once

#include <QtGlobal>
#include <functional>

class QWidget;

namespace crunchwise::winproc {

using ProcMsgHandler =
    std::function<void(QWidget* hWnd, uint uMsg, quintptr wParam, qintptr lParam)>;

// The window whose own handling every hooked message goes on to: the hooked
// window, or null while no hook is installed.
QWidget* PrevWndProc();

// Installs the hook on `hWnd` in place of any earlier one: from now on each
// of its messages goes to `procMsg` first.
void SetWindowProc(QWidget* hWnd, ProcMsgHandler procMsg);

// Removes the hook; the window's messages no longer reach the handler.
void RestoreWindowProc();

} // namespace crunchwise::winproc
