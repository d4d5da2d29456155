// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/winproc.h"

#include "desktop/window_message.h"

#include <QPointer>
#include <QWidget>

namespace crunchwise::winproc {

namespace {
class WindowProc : public QObject {
public:
    WindowProc(QWidget* hWnd, ProcMsgHandler procMsg)
        : QObject(hWnd), procMsg_(std::move(procMsg)) {
        hWnd->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == WindowMessage::eventType() && watched == parent()) {
            const auto* message = static_cast<const WindowMessage*>(event);
            // A failure of the handler must not keep the message from the window.
            try {
                procMsg_(static_cast<QWidget*>(watched), message->uMsg, message->wParam,
                         message->lParam);
            } catch (...) {
            }
        }
        return false;
    }

private:
    ProcMsgHandler procMsg_;
};

QPointer<WindowProc> installed;
} // namespace

QWidget* PrevWndProc() {
    return installed ? static_cast<QWidget*>(installed->parent()) : nullptr;
}

void SetWindowProc(QWidget* hWnd, ProcMsgHandler procMsg) {
    RestoreWindowProc();
    // The filter belongs to the window and goes with it.
    installed = new WindowProc(hWnd, std::move(procMsg));
}

void RestoreWindowProc() {
    delete installed.data();
}

} // namespace crunchwise::winproc
