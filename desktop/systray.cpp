// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/systray.h"

#include "desktop/window_message.h"

#include <QPointer>
#include <QSystemTrayIcon>
#include <QWidget>

namespace crunchwise {

namespace {
constexpr const char* kIdProperty = "notifyIconId";
std::optional<bool> availableForTesting;

qintptr mouseMessage(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        return WM_LBUTTONDOWN;
    case QSystemTrayIcon::DoubleClick:
        return WM_LBUTTONDBLCLK;
    case QSystemTrayIcon::Context:
        return WM_RBUTTONUP;
    case QSystemTrayIcon::MiddleClick:
        return WM_MBUTTONDOWN;
    case QSystemTrayIcon::Unknown:
        break;
    }
    return 0;
}

QSystemTrayIcon* addIcon(const NOTIFYICONDATA& data) {
    // The icon belongs to its window and goes with it.
    auto* icon = new QSystemTrayIcon(data.hWnd);
    icon->setProperty(kIdProperty, data.uID);
    if (data.uFlags & NIF_ICON)
        icon->setIcon(data.hIcon);
    if (data.uFlags & NIF_TIP)
        icon->setToolTip(data.szTip);
    if (data.uFlags & NIF_MESSAGE) {
        QObject::connect(icon, &QSystemTrayIcon::activated, data.hWnd,
                         [hWnd = data.hWnd, id = data.uID, message = data.uCallbackMessage](
                             QSystemTrayIcon::ActivationReason reason) {
                             if (const qintptr lParam = mouseMessage(reason))
                                 PostMessageA(hWnd, message, id, lParam);
                         });
    }
    icon->show();
    return icon;
}
} // namespace

QSystemTrayIcon* notifyIcon(const QWidget* hWnd, uint uID) {
    if (!hWnd)
        return nullptr;
    for (QSystemTrayIcon* icon : hWnd->findChildren<QSystemTrayIcon*>(Qt::FindDirectChildrenOnly))
        if (icon->property(kIdProperty).toUInt() == uID)
            return icon;
    return nullptr;
}

bool Shell_NotifyIconA(uint dwMessage, const NOTIFYICONDATA& data) {
    QSystemTrayIcon* icon = notifyIcon(data.hWnd, data.uID);
    switch (dwMessage) {
    case NIM_ADD:
        return data.hWnd && !icon && addIcon(data);
    case NIM_DELETE:
        delete icon;
        return icon != nullptr;
    default:
        return false;
    }
}

bool notificationAreaAvailable() {
    if (availableForTesting)
        return *availableForTesting;
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void setNotificationAreaForTesting(std::optional<bool> available) {
    availableForTesting = available;
}

} // namespace crunchwise
