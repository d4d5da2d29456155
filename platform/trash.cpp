// SPDX-License-Identifier: GPL-3.0-or-later
#include "trash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace crunchwise::Trash {

namespace {
bool present(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

QString dataHome() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

QString canonical(const QString& folder) {
    const QString resolved = QFileInfo(folder).canonicalFilePath();
    return resolved.isEmpty() ? QDir::cleanPath(folder) : resolved;
}

// True when `folder` is a trash folder of this user: the home trash, or a
// volume's ".Trash-$uid" or ".Trash/$uid".
bool isTrashFolder(const QString& folder) {
    const QString uid = QString::number(::getuid());
    const QFileInfo info(folder);
    if (canonical(folder) == canonical(homeTrash()))
        return true;
    if (info.fileName() == QLatin1String(".Trash-") + uid)
        return true;
    return info.fileName() == uid && QFileInfo(info.path()).fileName() == QLatin1String(".Trash");
}

// True when `trashed` lies in a trash's "files" folder with its trash info.
bool arrivedInTrash(const QString& trashed) {
    const QFileInfo file(trashed);
    if (!file.isAbsolute() || !present(trashed))
        return false;
    const QString filesFolder = file.path();
    if (QFileInfo(filesFolder).fileName() != QLatin1String("files"))
        return false;
    const QString trashFolder = QFileInfo(filesFolder).path();
    return isTrashFolder(trashFolder) &&
           QFileInfo::exists(trashFolder + QLatin1String("/info/") + file.fileName() +
                             QLatin1String(".trashinfo"));
}

// Puts a file that went astray back where it was, never over another file,
// and removes the trash info written beside it and the folders made for it
// (only when they are empty).
void moveBack(const QString& from, const QString& to) {
    if (::renameat2(AT_FDCWD, QFile::encodeName(from).constData(), AT_FDCWD,
                    QFile::encodeName(to).constData(), RENAME_NOREPLACE) != 0)
        return;
    const QString filesFolder = QFileInfo(from).path();
    const QString straySpace = QFileInfo(filesFolder).path();
    QFile::remove(straySpace + QLatin1String("/info/") + QFileInfo(from).fileName() +
                  QLatin1String(".trashinfo"));
    QDir(straySpace).rmdir(QStringLiteral("info"));
    QDir(straySpace).rmdir(QStringLiteral("files"));
}
} // namespace

QString homeTrash() {
    return dataHome() + QLatin1String("/Trash");
}

QString moveToTrash(const QString& path) {
    const QString source = QFileInfo(path).absoluteFilePath();
    if (!present(source))
        return QString();
    // Without the data folder Qt 6.4 reports success but moves the file into
    // the current folder instead of a trash.
    QDir().mkpath(dataHome());
    QString trashed;
    if (!QFile::moveToTrash(source, &trashed))
        return QString();
    trashed = QFileInfo(trashed).absoluteFilePath();
    if (arrivedInTrash(trashed) && !present(source))
        return trashed;
    if (!present(source) && present(trashed))
        moveBack(trashed, source);
    return QString();
}

} // namespace crunchwise::Trash
