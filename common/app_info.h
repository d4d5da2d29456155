// SPDX-License-Identifier: GPL-3.0-or-later
// What the program knows about itself: title, folder, help file, version.
#pragma once

#include <QString>

namespace crunchwise::AppInfo {

inline constexpr const char* kTitle = "Crunchwise";
inline constexpr const char* kHelpFileName = "compress.hlp";

// The program title; settings and the running copy are found under it.
QString title();
// A second copy renames itself before it hands off, so it matches nothing.
void setTitle(const QString& title);

// The folder that holds the program file, without a trailing separator.
QString path();
// Points path() at another folder (tests stage their own program folder).
void setPathForTesting(const QString& folder);

// Full path of the configured help file, or empty when none is configured.
QString helpFile();
void setHelpFileForTesting(const QString& file);

} // namespace crunchwise::AppInfo
