// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's notification-area icon: the View menu items that turn it
// on and off, the tray menu, and the hook that brings the icon's messages to
// ProcMsg.
#include "app/frm_main.h"

#include "common/app_info.h"
#include "common/locale_number.h"
#include "desktop/settings_store.h"
#include "desktop/window_message.h"
#include "desktop/winproc.h"
#include "errors/error_trap.h"

#include <QCursor>
#include <QMenu>
#include <QTimer>

using namespace crunchwise;

namespace {
constexpr uint kIconId = 125;
constexpr uint kTrayCallback = WM_USER + 1;
// While the window is hidden, how often to check that the icon can still
// bring it back.
constexpr int kHiddenWatchMs = 1000;

QAction* addItem(QMenu* menu, const char* name, const QString& caption, const QString& tip) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(QLatin1String(name));
    item->setStatusTip(tip);
    return item;
}

void saveSysTray(const char* value) {
    SaveSetting(AppInfo::title(), QStringLiteral("Settings"), QStringLiteral("SysTray"),
                QLatin1String(value));
}
} // namespace

void frmMain::createTrayMenus(QMenu* mnuView) {
    mnuHide = addItem(mnuView, "mnuHide", QStringLiteral("&Hide Crunchwise"),
                      QStringLiteral("Hide the window; the tray icon brings it back"));
    mnuShow = addItem(mnuView, "mnuShow", QStringLiteral("&Show Crunchwise"),
                      QStringLiteral("Show the window"));
    mnuView->addSeparator()->setObjectName(QStringLiteral("separator4"));
    mnuRemove = addItem(mnuView, "mnuRemove", QStringLiteral("Remo&ve From System Tray"),
                        QStringLiteral("Take the icon out of the notification area"));
    mnuAdd = addItem(mnuView, "mnuAdd", QStringLiteral("A&dd To System Tray"),
                     QStringLiteral("Put an icon in the notification area"));
    mnuAdd->setEnabled(false);
    connect(mnuHide, &QAction::triggered, this, &frmMain::mnuHide_Click);
    connect(mnuShow, &QAction::triggered, this, &frmMain::mnuShow_Click);
    connect(mnuRemove, &QAction::triggered, this, &frmMain::mnuRemove_Click);
    connect(mnuAdd, &QAction::triggered, this, &frmMain::mnuAdd_Click);
    // The notification area may have come or gone since the menu was last open.
    connect(mnuView, &QMenu::aboutToShow, this, [this] { setTrayItems(mnuRemove->isEnabled()); });

    mnuPopUp = new QMenu(QStringLiteral("PopUp"), this);
    mnuPopUp->setObjectName(QStringLiteral("mnuPopUp"));
    mPopUp[0] = mnuPopUp->addAction(QStringLiteral("Hide Crunchwise"));
    mPopUp[1] = mnuPopUp->addAction(QStringLiteral("Show Crunchwise"));
    for (int index : {0, 1}) {
        mPopUp[index]->setObjectName(QStringLiteral("mPopUp%1").arg(index));
        connect(mPopUp[index], &QAction::triggered, this, [this, index] { mPopUp_Click(index); });
    }

    hiddenWatch_ = new QTimer(this);
    hiddenWatch_->setInterval(kHiddenWatchMs);
    connect(hiddenWatch_, &QTimer::timeout, this, &frmMain::watchWhileHidden);
}

// The View menu's tray items for the state on or off. Hide is offered only
// while an icon can bring the window back.
void frmMain::setTrayItems(bool on) {
    mnuHide->setEnabled(on && iconCanBringBack());
    mnuShow->setEnabled(on);
    mnuAdd->setEnabled(!on);
    mnuRemove->setEnabled(on);
}

bool frmMain::iconCanBringBack() const {
    return notificationAreaAvailable() && notifyIcon(this, kIconId);
}

void frmMain::TrayStartup() {
    const QString stored = GetSetting(AppInfo::title(), QStringLiteral("Settings"),
                                      QStringLiteral("SysTray"), QStringLiteral("1"));
    // A value that is no number counts as absent.
    const bool on = LocaleNumber::toInteger(stored).value_or(1) == 1;
    if (on) {
        ShellTrayAdd();
        SubClass(this);
    }
    setTrayItems(on);
}

// Each call is a step of the unload of its own.
void frmMain::TrayShutdown() {
    hiddenWatch_->stop();
    ErrorTrap trap(tag("Form_Unload"));
    trap.step([&] { ShellTrayRemove(); });
    trap.step([&] { UnSubClass(); });
}

void frmMain::ShellTrayAdd() {
    ErrorTrap trap(tag("ShellTrayAdd"));
    trap.step([&] {
        nid_.hWnd = this;
        nid_.uID = kIconId;
        nid_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        nid_.uCallbackMessage = kTrayCallback;
    });
    trap.step([&] { nid_.hIcon = windowIcon(); });
    trap.step([&] { nid_.szTip = QStringLiteral("Crunchwise"); });
    trap.step([&] { Shell_NotifyIconA(NIM_ADD, nid_); });
}

// Sends the record as the last ShellTrayAdd left it; with none, nothing is removed.
void frmMain::ShellTrayRemove() {
    ErrorTrap trap(tag("ShellTrayRemove"));
    trap.step([&] { Shell_NotifyIconA(NIM_DELETE, nid_); });
}

void frmMain::mnuAdd_Click() {
    ErrorTrap trap(tag("mnuAdd_Click"));
    trap.step([&] { ShellTrayAdd(); });
    trap.step([&] { SubClass(this); });
    trap.step([&] { setTrayItems(true); });
    trap.step([&] { saveSysTray("1"); });
}

void frmMain::mnuRemove_Click() {
    ErrorTrap trap(tag("mnuRemove_Click"));
    trap.step([&] { ShellTrayRemove(); });
    trap.step([&] { UnSubClass(); });
    trap.step([&] { setTrayItems(false); });
    trap.step([&] { saveSysTray("0"); });
}

void frmMain::mnuHide_Click() {
    mPopUp_Click(0);
}

void frmMain::mnuShow_Click() {
    mPopUp_Click(1);
}

void frmMain::mPopUp_Click(int Index) {
    ErrorTrap trap(tag("mPopUp_Click"));
    // Without an icon to come back from, the window stays shown.
    if (Index == 0 && iconCanBringBack()) {
        trap.step([&] { hide(); });
        trap.step([&] { hiddenWatch_->start(); });
    } else if (Index == 1) {
        trap.step([&] { hiddenWatch_->stop(); });
        trap.step([&] {
            if (isMinimized())
                showNormal();
            else
                show();
        });
        trap.step([&] { SetForegroundWindow(this); });
    }
}

// The notification area can go away while the window is hidden (the panel
// ends); the window then comes back instead of being stranded.
void frmMain::watchWhileHidden() {
    if (isVisible())
        hiddenWatch_->stop();
    else if (!iconCanBringBack())
        mPopUp_Click(1);
}

void frmMain::SubClass(QWidget* hWnd) {
    ErrorTrap trap(QString(), ErrorTrap::Mode::Ignore);
    trap.step([&] {
        winproc::SetWindowProc(hWnd,
                               [this](QWidget* window, uint uMsg, quintptr wParam, qintptr lParam) {
                                   ProcMsg(window, uMsg, wParam, lParam);
                               });
    });
}

void frmMain::UnSubClass() {
    ErrorTrap trap(tag("UnSubClass"));
    if (!winproc::PrevWndProc())
        return;
    trap.step([] { winproc::RestoreWindowProc(); });
}

void frmMain::ProcMsg(QWidget* /*hWnd*/, uint uMsg, quintptr /*wParam*/, qintptr lParam) {
    if (uMsg != kTrayCallback)
        return;
    ErrorTrap trap(QString(), ErrorTrap::Mode::Ignore);
    switch (lParam) {
    case WM_LBUTTONDOWN:
        // Some desktops (the D-Bus tray) report every click as a single one
        // and never a double click: there a click must bring a hidden window
        // back, or nothing would.
        trap.step([&] { mPopUp_Click(isVisible() ? 0 : 1); });
        break;
    case WM_LBUTTONDBLCLK:
        trap.step([&] { mPopUp_Click(1); });
        break;
    case WM_RBUTTONUP:
        trap.step([&] { SetForegroundWindow(this); });
        trap.step([&] { mnuPopUp->exec(QCursor::pos()); });
        trap.step([&] { PostMessageA(this, WM_USER, 0, 0); });
        break;
    default:
        break;
    }
}
