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

bool isCompressorName(const std::string& name) {
    static constexpr std::string_view kName = "compress.exe";
    if (name.size() != kName.size()) {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (((c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c) != kName[i]) {
            return false;
        }
    }
    return true;
}

std::optional<fs::path> compressorIn(const fs::path& folder) {
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (isCompressorName(it->path().filename().string()) && it->is_regular_file(error) &&
            ::access(it->path().c_str(), X_OK) == 0) {
            return it->path();
        }
    }
    return std::nullopt;
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

std::optional<fs::path> findCompressor(const fs::path& currentFolder, const fs::path& ownFolder,
                                       const std::string& searchPath) {
    if (auto found = compressorIn(currentFolder)) {
        return found;
    }
    if (auto found = ownFolder.empty() ? std::nullopt : compressorIn(ownFolder)) {
        return found;
    }
    std::string_view rest = searchPath;
    while (!rest.empty()) {
        const auto colon = rest.find(':');
        const std::string_view folder = rest.substr(0, colon);
        rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
        if (folder.empty()) {
            continue; // the current folder, searched already
        }
        if (auto found = compressorIn(fs::path(folder))) {
            return found;
        }
    }
    return std::nullopt;
}

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
