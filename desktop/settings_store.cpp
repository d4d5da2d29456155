// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/settings_store.h"

#include "failures/runtime_error.h"

#include <QSettings>
#include <memory>

namespace crunchwise {

namespace {
// One store per application name, in the host's native format for the user.
std::unique_ptr<QSettings> openStore(const QString& appName) {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, appName,
                                       appName);
}

QString address(const QString& section, const QString& key) {
    return section + QLatin1Char('/') + key;
}
} // namespace

QString GetSetting(const QString& appName, const QString& section, const QString& key,
                   const QString& defaultValue) {
    return openStore(appName)->value(address(section, key), defaultValue).toString();
}

void SaveSetting(const QString& appName, const QString& section, const QString& key,
                 const QString& value) {
    auto store = openStore(appName);
    store->setValue(address(section, key), value);
    store->sync();
    if (store->status() == QSettings::AccessError)
        raiseRuntimeError(ErrorNumber::PermissionDenied);
    if (store->status() != QSettings::NoError)
        raiseRuntimeError(ErrorNumber::PathFileAccess);
}

} // namespace crunchwise
