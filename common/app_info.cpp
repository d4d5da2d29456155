// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/app_info.h"

#include <QCoreApplication>
#include <optional>

namespace crunchwise::AppInfo {

namespace {
QString& currentTitle() {
    static QString title = QString::fromLatin1(kTitle);
    return title;
}
std::optional<QString>& pathOverride() {
    static std::optional<QString> folder;
    return folder;
}
std::optional<QString>& helpOverride() {
    static std::optional<QString> file;
    return file;
}
} // namespace

QString title() {
    return currentTitle();
}

void setTitle(const QString& title) {
    currentTitle() = title;
}

QString path() {
    if (pathOverride())
        return *pathOverride();
    return QCoreApplication::applicationDirPath();
}

void setPathForTesting(const QString& folder) {
    pathOverride() = folder;
}

QString helpFile() {
    if (helpOverride())
        return *helpOverride();
    return path() + QLatin1Char('/') + QLatin1String(kHelpFileName);
}

void setHelpFileForTesting(const QString& file) {
    helpOverride() = file;
}

} // namespace crunchwise::AppInfo
