// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/trash.h"

#include "common/file_name_codec.h"
#include "platform/no_replace_rename.h"
#include "platform/posix_file.h"

#include <QDateTime>
#include <QStandardPaths>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace crunchwise::Trash {

namespace {
using Bytes = std::string;

constexpr int kNameAttempts = 1000;
constexpr std::size_t kMostInfoBytes = 64 * 1024;

Bytes parentOf(const Bytes& path) {
    const std::size_t slash = path.rfind('/');
    return slash == 0 || slash == Bytes::npos ? Bytes("/") : path.substr(0, slash);
}

Bytes nameOf(const Bytes& path) {
    return path.substr(path.rfind('/') + 1);
}

// `path` made absolute against the current folder, without a trailing
// separator.
Bytes absolute(Bytes path) {
    if (path.empty() || path.front() != '/') {
        char current[PATH_MAX];
        path = Bytes(::getcwd(current, sizeof current) ? current : "") + '/' + path;
    }
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// The highest folder above `folder` on the volume `device`: its mount point.
Bytes topDirOf(Bytes folder, dev_t device) {
    struct stat info {};
    while (folder != "/" && ::stat(parentOf(folder).c_str(), &info) == 0 && info.st_dev == device)
        folder = parentOf(folder);
    return folder;
}

// Makes a folder of this user's alone, or accepts one that is there and no
// link. Returns 0 or errno.
int makeFolder(const Bytes& path) {
    if (::mkdir(path.c_str(), 0700) == 0)
        return 0;
    const int error = errno;
    struct stat info {};
    if (error != EEXIST || ::lstat(path.c_str(), &info) != 0)
        return error;
    return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
}

int makeTrash(const Bytes& trash) {
    for (const Bytes& folder : {trash, trash + "/files", trash + "/info"})
        if (const int error = makeFolder(folder); error != 0)
            return error;
    return 0;
}

// The trash folder for a file on `device`, made ready; `topDir` is empty
// for the home trash. Returns 0 or errno.
int trashFor(const Bytes& file, dev_t device, Bytes& trash, Bytes& topDir) {
    const Bytes dataHome = FileNameCodec::hostPath(
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    const Bytes home = FileNameCodec::hostPath(homeTrash());
    struct stat info {};
    // The data folder may not exist yet in a fresh home.
    if (::stat(dataHome.c_str(), &info) != 0 && errno == ENOENT) {
        for (std::size_t at = dataHome.find('/', 1); at != Bytes::npos;
             at = dataHome.find('/', at + 1))
            ::mkdir(dataHome.substr(0, at).c_str(), 0700);
        ::mkdir(dataHome.c_str(), 0700);
    }
    if (::stat(dataHome.c_str(), &info) == 0 && info.st_dev == device) {
        trash = home;
        topDir.clear();
        return makeTrash(trash);
    }
    topDir = topDirOf(parentOf(file), device);
    const Bytes uid = std::to_string(::getuid());
    const Bytes shared = (topDir == "/" ? Bytes() : topDir) + "/.Trash";
    if (::lstat(shared.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && (info.st_mode & S_ISVTX) &&
        makeTrash(shared + '/' + uid) == 0) {
        trash = shared + '/' + uid;
        return 0;
    }
    trash = shared + '-' + uid;
    return makeTrash(trash);
}

// Writes the whole trash info `text` into a new file `path`, flushed to
// disk. Returns 0 or errno (EEXIST when the name is taken); on failure
// nothing is left.
int writeInfo(const Bytes& path, const Bytes& text) {
    PosixFile file;
    if (const int error = file.open(path, O_WRONLY | O_CREAT | O_EXCL, 0600); error != 0)
        return error;
    int error = file.writeAll(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    if (error == 0 && ::fsync(file.fd()) != 0)
        error = errno;
    if (const int closeError = file.close(); error == 0)
        error = closeError;
    if (error != 0)
        ::unlink(path.c_str());
    return error;
}

// True when `path` reads back as `text`.
bool readsBack(const Bytes& path, const Bytes& text) {
    PosixFile file;
    Bytes read;
    return file.open(path, O_RDONLY) == 0 && file.readAll(read, kMostInfoBytes) == 0 &&
           read == text;
}

Bytes infoText(const Bytes& file, const Bytes& topDir) {
    const Bytes recorded =
        topDir.empty() ? file : file.substr(topDir == "/" ? 1 : topDir.size() + 1);
    const QByteArray path = QByteArray::fromStdString(recorded).toPercentEncoding("/");
    const QByteArray date =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toLatin1();
    return "[Trash Info]\nPath=" + path.toStdString() + "\nDeletionDate=" + date.toStdString() +
           '\n';
}

// Moves `file` into `trash` under a free name, its info written and checked
// first. Returns 0 with the new path in `trashed`, or errno.
int moveInto(const Bytes& file, const Bytes& trash, const Bytes& topDir, Bytes& trashed) {
    const Bytes text = infoText(file, topDir);
    for (int attempt = 1; attempt <= kNameAttempts; ++attempt) {
        const Bytes name = nameOf(file) + (attempt == 1 ? "" : '.' + std::to_string(attempt));
        const Bytes info = trash + "/info/" + name + ".trashinfo";
        trashed = trash + "/files/" + name;
        struct stat taken {};
        if (::lstat(trashed.c_str(), &taken) == 0)
            continue;
        const int written = writeInfo(info, text);
        if (written == EEXIST)
            continue;
        if (written != 0)
            return written;
        if (!readsBack(info, text)) {
            ::unlink(info.c_str());
            return EIO;
        }
        const int error = renameNoReplace(file, trashed);
        if (error == 0)
            return 0;
        ::unlink(info.c_str());
        if (error != EEXIST)
            return error;
    }
    return EEXIST;
}
} // namespace

QString homeTrash() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QLatin1String("/Trash");
}

QString moveToTrash(const QString& path, int* hostError) {
    const Bytes file = absolute(FileNameCodec::hostPath(path));
    Bytes trash, topDir, trashed;
    struct stat info {};
    int error = ::lstat(file.c_str(), &info) == 0 ? 0 : errno;
    if (error == 0)
        error = trashFor(file, info.st_dev, trash, topDir);
    if (error == 0)
        error = moveInto(file, trash, topDir, trashed);
    if (hostError)
        *hostError = error;
    return error == 0 ? FileNameCodec::fromHostPath(trashed) : QString();
}

} // namespace crunchwise::Trash
