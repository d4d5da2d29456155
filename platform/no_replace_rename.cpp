// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/no_replace_rename.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace crunchwise {

namespace {
bool unsupported(int error) {
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

int linkAndUnlink(const std::string& from, const std::string& to) {
    if (::link(from.c_str(), to.c_str()) != 0)
        return errno;
    if (::unlink(from.c_str()) != 0) {
        const int error = errno;
        ::unlink(to.c_str());
        return error;
    }
    return 0;
}

int checkedRename(const std::string& from, const std::string& to) {
    struct stat info {};
    if (::lstat(to.c_str(), &info) == 0)
        return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}
} // namespace

int renameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    int error = errno;
    if (!unsupported(error))
        return error;
    error = linkAndUnlink(from, to);
    // Folders cannot be hard-linked, and some file systems have no links.
    if (error == EPERM || error == EOPNOTSUPP || error == ENOSYS || error == EMLINK)
        return checkedRename(from, to);
    return error;
}

} // namespace crunchwise
