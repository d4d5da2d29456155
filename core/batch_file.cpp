// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/batch_file.h"

#include "failures/runtime_error.h"
#include "platform/private_folder.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace crunchwise::commands {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kRunFolderPrefix = "batch-";
constexpr mode_t kPrivateModeBits = 077;

fs::path fromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value && value[0] == '/' ? fs::path(value) : fs::path();
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The folder `handle` is open on, when it is an own closed folder.
bool ownClosed(const PosixFile& handle) {
    struct stat info {};
    return handle.status(info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
           (info.st_mode & kPrivateModeBits) == 0;
}

// Creates `name` in the folder `folder` only when nothing lies there yet,
// never through a link. Returns 0 or errno.
int createIn(const PosixFile& folder, const char* name, mode_t mode, PosixFile& file) {
    const int fd =
        ::openat(folder.fd(), name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0)
        return errno;
    file = PosixFile(fd);
    return 0;
}

} // namespace

std::vector<fs::path> batchFolderBases() {
    std::vector<fs::path> bases;
    if (const auto runtime = userRuntimeFolder())
        bases.push_back(*runtime / "Crunchwise");
    fs::path cache = fromEnvironment("XDG_CACHE_HOME");
    if (cache.empty() && !fromEnvironment("HOME").empty())
        cache = fromEnvironment("HOME") / ".cache";
    if (!cache.empty() && ownClosedFolder(cache))
        bases.push_back(cache / "Crunchwise");
    fs::path temporary = fromEnvironment("TMPDIR");
    bases.push_back((temporary.empty() ? fs::path("/tmp") : temporary) /
                    ("crunchwise-" + std::to_string(::geteuid())));
    return bases;
}

BatchFile BatchFile::create(const fs::path& programFolder, const std::vector<fs::path>& bases) {
    BatchFile batch;
    if (isOwnFolder(programFolder, false) &&
        batch.folderHandle_.open(programFolder, O_RDONLY | O_DIRECTORY) == 0 &&
        createIn(batch.folderHandle_, kBatchFileName.data(), 0644, batch.batch_) == 0) {
        batch.folder_ = programFolder;
    } else {
        int error = EACCES;
        for (const fs::path& base : bases) {
            if (!ownClosedFolder(base))
                continue;
            std::string pattern = (base / kRunFolderPrefix).string() + "XXXXXX";
            if (::mkdtemp(pattern.data()) == nullptr) {
                error = errno;
                continue;
            }
            if (batch.folderHandle_.open(pattern, O_RDONLY | O_DIRECTORY | O_NOFOLLOW) == 0 &&
                ownClosed(batch.folderHandle_) &&
                (error = createIn(batch.folderHandle_, kBatchFileName.data(), 0600,
                                  batch.batch_)) == 0) {
                batch.folder_ = pattern;
                batch.runFolder_ = true;
                break;
            }
            ::rmdir(pattern.c_str());
        }
        if (!batch.runFolder_)
            raiseHostError(error);
    }
    batch.file_ = batch.folder_ / kBatchFileName;
    batch.batch_.status(batch.written_);
    return batch;
}

void BatchFile::write(std::string_view text) {
    const int error =
        batch_.writeAll(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    batch_.status(written_);
    const int closeError = batch_.close();
    if (error != 0 || closeError != 0)
        raiseHostError(error != 0 ? error : closeError);
}

bool BatchFile::folderInPlace() const {
    struct stat named {};
    struct stat held {};
    if (::lstat(folder_.c_str(), &named) != 0 || folderHandle_.status(held) != 0 ||
        !sameFile(named, held))
        return false;
    return !runFolder_ || ownClosed(folderHandle_);
}

bool BatchFile::writtenFileThere() const {
    struct stat file {};
    return ::fstatat(folderHandle_.fd(), kBatchFileName.data(), &file, AT_SYMLINK_NOFOLLOW) == 0 &&
           sameFile(file, written_);
}

bool BatchFile::inPlace() const {
    return folderHandle_.isOpen() && folderInPlace() && writtenFileThere();
}

void BatchFile::remove() {
    if (!folderHandle_.isOpen())
        return;
    batch_.close();
    if (writtenFileThere()) // the runner's last line usually removed it already
        ::unlinkat(folderHandle_.fd(), kBatchFileName.data(), 0);
    if (runFolder_ && folderInPlace())
        ::rmdir(folder_.c_str()); // fails, as wanted, when something else is in it
    folderHandle_.close();
}

void removeFinishedRunFolders(const std::vector<fs::path>& bases) {
    for (const fs::path& base : bases) {
        if (!isOwnFolder(base, true))
            continue;
        std::error_code error;
        for (fs::directory_iterator it(base, error), end; !error && it != end; it.increment(error))
            if (it->path().filename().string().starts_with(kRunFolderPrefix))
                ::rmdir(it->path().c_str()); // fails, as wanted, while a batch is in it
    }
}

} // namespace crunchwise::commands
