// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/files/folder_reader.h"

#include "common/file_name_codec.h"
#include "failures/runtime_error.h"

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

enum class Kind { File, Folder, Other };

// The entry type from the folder itself; a stat only for links and for file
// systems that do not say.
Kind kindOf(int folderFd, const dirent64& entry) {
    if (entry.d_type == DT_REG)
        return Kind::File;
    if (entry.d_type == DT_DIR)
        return Kind::Folder;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
        return Kind::Other;
    struct stat info {};
    if (::fstatat(folderFd, entry.d_name, &info, 0) != 0)
        return Kind::Other; // a dangling link or an entry gone meanwhile
    return S_ISREG(info.st_mode) ? Kind::File : S_ISDIR(info.st_mode) ? Kind::Folder : Kind::Other;
}

// One pass over `folder`: its files into `files`, its folders into
// `folders`, each when given.
void readInto(const QString& folder, FolderListing* files, FolderListing* folders) {
    if (folder.isEmpty())
        raiseRuntimeError(ErrorNumber::PathNotFound);
    const Descriptor dir{
        ::open(FileNameCodec::encode(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (dir.fd < 0)
        FolderReader::raiseFolderError(errno);
    // A folder's size is about the bytes of its entries, names included.
    struct stat info {};
    if (files && ::fstat(dir.fd, &info) == 0 && info.st_size > 0 && info.st_size < kMostReserved)
        files->reserve(std::size_t(info.st_size));
    const auto buffer = std::make_unique_for_overwrite<std::uint64_t[]>(kBufferBytes / 8);
    char* const bytes = reinterpret_cast<char*>(buffer.get());
    for (;;) {
        const ssize_t got = ::getdents64(dir.fd, bytes, kBufferBytes);
        if (got < 0)
            FolderReader::raiseFolderError(errno);
        if (got == 0)
            break;
        for (ssize_t at = 0; at < got;) {
            const auto* entry = reinterpret_cast<const dirent64*>(bytes + at);
            at += entry->d_reclen;
            if (entry->d_name[0] == '.')
                continue;
            const Kind kind = kindOf(dir.fd, *entry);
            FolderListing* into = kind == Kind::File     ? files
                                  : kind == Kind::Folder ? folders
                                                         : nullptr;
            if (into)
                into->add(entry->d_name);
        }
    }
}

} // namespace

FolderListing FolderReader::read(const QString& folder, Entries wanted) {
    FolderListing listing;
    if (wanted == Entries::Files)
        readInto(folder, &listing, nullptr);
    else
        readInto(folder, nullptr, &listing);
    listing.sort();
    return listing;
}

FolderReader::Listings FolderReader::readBoth(const QString& folder) {
    Listings both;
    readInto(folder, &both.files, &both.folders);
    both.files.sort();
    both.folders.sort();
    return both;
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
