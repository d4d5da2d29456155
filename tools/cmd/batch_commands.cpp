// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/cmd/batch_commands.h"

#include "platform/no_replace_rename.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace crunchwise::tools {
namespace fs = std::filesystem;

namespace {

CommandOutcome failure(std::string reason) {
    return {false, std::move(reason)};
}

} // namespace

fs::path ownProgramFolder() {
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : program.parent_path();
}

CommandOutcome runRen(const std::vector<std::string>& arguments) {
    if (arguments.size() != 2)
        return failure("ren needs a file and a new name");
    const fs::path source(arguments[0]);
    const std::string& newName = arguments[1];
    if (newName.empty() || newName.find('/') != std::string::npos || newName == "." ||
        newName == "..")
        return failure("ren: \"" + newName + "\" is not a plain file name");
    std::error_code error;
    if (!source.has_filename() || !fs::exists(fs::symlink_status(source, error)))
        return failure("ren: " + source.string() + ": " + std::strerror(ENOENT));
    if (source.filename() == newName)
        return {}; // the same name: nothing to do
    const fs::path target = source.parent_path() / newName;
    if (const int renameError = renameNoReplace(source.string(), target.string());
        renameError != 0) {
        return failure("ren: " + target.string() + ": " +
                       (renameError == EEXIST ? std::string("a file of that name already exists")
                                              : std::strerror(renameError)));
    }
    return {};
}

CommandOutcome runDel(const std::vector<std::string>& arguments) {
    if (arguments.size() != 1)
        return failure("del needs exactly one file name");
    const fs::path file(arguments[0]);
    std::error_code error;
    if (fs::is_directory(fs::symlink_status(file, error)))
        return failure("del: " + file.string() + ": is a folder");
    if (::unlink(file.c_str()) != 0)
        return failure("del: " + file.string() + ": " + std::strerror(errno));
    return {};
}

} // namespace crunchwise::tools
