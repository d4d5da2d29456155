// SPDX-License-Identifier: GPL-3.0-or-later
#include "folder_reader.h"

#include "errors/runtime_error.h"
#include "platform/files/file_name_codec.h"

#include <QDir>

#include <cerrno>
#include <cstdint>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace crunchwise {

namespace {

// Large enough to read a folder of 100,000 names in a few calls.
constexpr std::size_t kBufferBytes = 256 * 1024;
constexpr off_t kMostReserved = 256 * 1024 * 1024;

struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0)
            ::close(fd);
    }
};

bool isWanted(int folderFd, const dirent64& entry, FolderReader::Entries wanted) {
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

FolderListing FolderReader::read(const QString& folder, Entries wanted) {
    if (folder.isEmpty())
        raiseRuntimeError(ErrorNumber::PathNotFound);
    const Descriptor dir{
        ::open(FileNameCodec::encode(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (dir.fd < 0)
        raiseFolderError(errno);
    const auto buffer = std::make_unique_for_overwrite<std::uint64_t[]>(kBufferBytes / 8);
    char* const bytes = reinterpret_cast<char*>(buffer.get());
    FolderListing listing;
    // A folder's size is about the bytes of its entries, names included.
    struct stat info {};
    if (::fstat(dir.fd, &info) == 0 && info.st_size > 0 && info.st_size < kMostReserved)
        listing.reserve(std::size_t(info.st_size));
    for (;;) {
        const ssize_t got = ::getdents64(dir.fd, bytes, kBufferBytes);
        if (got < 0)
            raiseFolderError(errno);
        if (got == 0)
            break;
        for (ssize_t at = 0; at < got;) {
            const auto* entry = reinterpret_cast<const dirent64*>(bytes + at);
            at += entry->d_reclen;
            if (entry->d_name[0] != '.' && isWanted(dir.fd, *entry, wanted))
                listing.add(entry->d_name);
        }
    }
    listing.sort();
    return listing;
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
