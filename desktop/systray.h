// SPDX-License-Identifier: GPL-3.0-or-later
// The notification-area icon: its record and the call that adds and deletes
// it. An icon's mouse activity reaches its window as the record's callback
// message (a WindowMessage) with the mouse message in lParam: a click as
// WM_LBUTTONDOWN, a double click as WM_LBUTTONDBLCLK, the context request as
// WM_RBUTTONUP, a middle click as WM_MBUTTONDOWN; wParam is the icon's uID.
#pragma once

#include <QIcon>
#include <QString>
#include <optional>

class QSystemTrayIcon;
class QWidget;

namespace crunchwise {

inline constexpr uint NIM_ADD = 0;
inline constexpr uint NIM_DELETE = 2;
inline constexpr uint NIF_MESSAGE = 1;
inline constexpr uint NIF_ICON = 2;
inline constexpr uint NIF_TIP = 4;

struct NOTIFYICONDATA {
    QWidget* hWnd = nullptr; // the window that owns the icon and gets its messages
    uint uID = 0;            // tells the icons of one window apart
    uint uFlags = 0;         // which of the next three fields are valid
    uint uCallbackMessage = 0;
    QIcon hIcon;
    QString szTip;
};

// NIM_ADD shows the icon that `data` describes, NIM_DELETE removes the icon
// of its window and uID. Returns false, changing nothing, when there is no
// window, an icon of that window and uID is already there (NIM_ADD) or none
// is (NIM_DELETE). An icon is added even where the desktop has no
// notification area; it appears if one starts later.
bool Shell_NotifyIconA(uint dwMessage, const NOTIFYICONDATA& data);

// The icon that NIM_ADD showed for the window and uID; null when there is none.
QSystemTrayIcon* notifyIcon(const QWidget* hWnd, uint uID);

// Whether the desktop offers a notification area now.
bool notificationAreaAvailable();
// Tests decide whether there is a notification area; nullopt asks the desktop again.
void setNotificationAreaForTesting(std::optional<bool> available);

} // namespace crunchwise
