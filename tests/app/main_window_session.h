// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as a later start finds it: settings in a fresh temporary
// store, error.log in a temporary program folder, the first-run help done.
#pragma once

#include "app/frm_main.h"
#include "common/app_info.h"
#include "platform/settings_store.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

class MainWindowSession {
public:
    MainWindowSession() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config_.path());
        crunchwise::AppInfo::setPathForTesting(programFolder_.path());
        store("RunOnce", QStringLiteral("1"));
    }

    static void store(const char* key, const QString& value) {
        crunchwise::SaveSetting(QStringLiteral("Crunchwise"), QStringLiteral("Settings"),
                                QLatin1String(key), value);
    }
    static QString stored(const char* key) {
        return crunchwise::GetSetting(QStringLiteral("Crunchwise"), QStringLiteral("Settings"),
                                      QLatin1String(key), QStringLiteral("<absent>"));
    }

    // Loads and shows the window. `watcher`, when given, filters the window's
    // events from before the load on.
    static std::unique_ptr<frmMain> start(QObject* watcher = nullptr) {
        auto window = std::make_unique<frmMain>();
        if (watcher)
            window->installEventFilter(watcher);
        if (window->Form_Load() != frmMain::LoadOutcome::Show)
            return nullptr;
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            return nullptr;
        return window;
    }

private:
    QTemporaryDir config_;
    QTemporaryDir programFolder_;
};
