// SPDX-License-Identifier: GPL-3.0-or-later
// The per-user settings store: text values by application, section and key.
#pragma once

#include <QString>

namespace crunchwise {

// The stored text, or `defaultValue` when the key is absent.
QString GetSetting(const QString& appName, const QString& section, const QString& key,
                   const QString& defaultValue = QString());

// Stores `value` as text. Throws RuntimeError (70 Permission denied, 75
// Path/File access error) when the store cannot be written.
void SaveSetting(const QString& appName, const QString& section, const QString& key,
                 const QString& value);

} // namespace crunchwise
