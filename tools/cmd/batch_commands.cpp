// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/cmd/batch_commands.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace crunchwise::tools {
namespace fs = std::filesystem;

namespace {

CommandOutcome failure(std::string reason) {
    return {false, std::move(reason)};
}

// Renames without ever replacing `to`. Returns 0 or an errno value.
int renameNoReplace(const fs::path& from, const fs::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return errno;
    }
    // File systems without the flag: check first, accepting the small race.
    std::error_code error;
    if (fs::exists(fs::symlink_status(to, error))) {
        return EEXIST;
    }
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

} // namespace

fs::path ownProgramFolder() {
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : program.parent_path();
}

CommandOutcome runRen(const std::vector<std::string>& arguments) {
    if (arguments.size() != 2) {
        return failure("ren needs a file and a new name");
    }
    const fs::path source(arguments[0]);
    const std::string& newName = arguments[1];
    if (newName.empty() || newName.find('/') != std::string::npos || newName == "." ||
        newName == "..") {
        return failure("ren: \"" + newName + "\" is not a plain file name");
    }
    std::error_code error;
    if (!source.has_filename() || !fs::exists(fs::symlink_status(source, error))) {
        return failure("ren: " + source.string() + ": " + std::strerror(ENOENT));
    }
    if (source.filename() == newName) {
        return {}; // the same name: nothing to do
    }
    const fs::path target = source.parent_path() / newName;
    if (const int renameError = renameNoReplace(source, target); renameError != 0) {
        return failure("ren: " + target.string() + ": " +
                       (renameError == EEXIST ? std::string("a file of that name already exists")
                                              : std::strerror(renameError)));
    }
    return {};
}

CommandOutcome runDel(const std::vector<std::string>& arguments) {
    if (arguments.size() != 1) {
        return failure("del needs exactly one file name");
    }
    const fs::path file(arguments[0]);
    std::error_code error;
    if (fs::is_directory(fs::symlink_status(file, error))) {
        return failure("del: " + file.string() + ": is a folder");
    }
    if (::unlink(file.c_str()) != 0) {
        return failure("del: " + file.string() + ": " + std::strerror(errno));
    }
    return {};
}

} // namespace crunchwise::tools
