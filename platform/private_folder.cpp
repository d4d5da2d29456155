// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/private_folder.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace crunchwise {

bool isOwnFolder(const std::filesystem::path& folder, bool closed) {
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid())
        return false;
    return (info.st_mode & (closed ? 077 : 022)) == 0;
}

std::optional<std::filesystem::path> ownClosedFolder(const std::filesystem::path& folder) {
    ::mkdir(folder.c_str(), 0700); // an existing one is checked as it is
    if (!isOwnFolder(folder, true))
        return std::nullopt;
    return folder;
}

std::optional<std::filesystem::path> userRuntimeFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || runtime[0] != '/' || !isOwnFolder(runtime, true))
        return std::nullopt;
    return std::filesystem::path(runtime);
}

} // namespace crunchwise
