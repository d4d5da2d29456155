// SPDX-License-Identifier: GPL-3.0-or-later
#include "folder_reader.h"

#include "errors/runtime_error.h"
#include "platform/files/file_name_codec.h"
#include "platform/files/natural_order.h"

#include <QDir>

#include <cerrno>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace crunchwise {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

bool isWanted(int folderFd, const dirent& entry, FolderReader::Entries wanted) {
    const bool wantFiles = wanted == FolderReader::Entries::Files;
    if (entry.d_type == DT_REG)
        return wantFiles;
    if (entry.d_type == DT_DIR)
        return !wantFiles;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
        return false;
    struct stat info {};
    if (::fstatat(folderFd, entry.d_name, &info, 0) != 0)
        return false; // a dangling link or an entry gone meanwhile
    return wantFiles ? S_ISREG(info.st_mode) : S_ISDIR(info.st_mode);
}

} // namespace

std::vector<QString> FolderReader::read(const QString& folder, Entries wanted) {
    if (folder.isEmpty())
        raiseRuntimeError(ErrorNumber::PathNotFound);
    std::unique_ptr<DIR, DirCloser> dir(::opendir(FileNameCodec::encode(folder).constData()));
    if (!dir)
        raiseFolderError(errno);
    const int folderFd = ::dirfd(dir.get());
    std::vector<QString> names;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir.get());
        if (!entry)
            break;
        if (entry->d_name[0] == '.' || !isWanted(folderFd, *entry, wanted))
            continue;
        names.push_back(FileNameCodec::decode(entry->d_name, qstrlen(entry->d_name)));
    }
    if (errno != 0)
        raiseFolderError(errno);
    NaturalOrder::sort(names);
    return names;
}

QString FolderReader::normalized(const QString& path) {
    if (path.isEmpty())
        return {};
    return QDir::cleanPath(QDir::isAbsolutePath(path) ? path
                                                      : QDir::current().absoluteFilePath(path));
}

QString FolderReader::join(const QString& folder, const QString& name) {
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

void FolderReader::raiseFolderError(int hostError) {
    if (hostError == ENOENT)
        raiseRuntimeError(ErrorNumber::PathNotFound);
    raiseHostError(hostError);
}

} // namespace crunchwise
