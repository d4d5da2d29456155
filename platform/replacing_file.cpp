// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/replacing_file.h"

#include "platform/no_replace_rename.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <random>
#include <string>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace crunchwise {
namespace fs = std::filesystem;

namespace {

// How much of the target's name the temporary's name repeats, and how many
// random names are tried before giving up.
constexpr std::size_t kNameStemLength = 64;
constexpr std::size_t kRandomSuffixLength = 8;
constexpr int kNameAttempts = 100;
constexpr mode_t kPermissionBits = 07777;

bool isSymlink(const fs::path& path) {
    struct stat link {};
    return ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
}

// The real name of the regular file that a symbolic link names, so that
// replacing it writes that file instead of replacing the link. Returns 0 or
// errno.
int resolveLink(const fs::path& link, fs::path& resolved) {
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(link.c_str(), nullptr),
                                                           &std::free);
    if (!real)
        return errno;
    resolved = real.get();
    return 0;
}

// A seed from the kernel: std::random_device asks the processor first, which
// costs a program that writes one small file much of its run under a
// virtual machine.
std::uint64_t randomSeed() {
    std::uint64_t seed = 0;
    if (::getrandom(&seed, sizeof seed, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof seed)) {
        seed = static_cast<std::uint64_t>(::getpid()) * 0x9E3779B97F4A7C15u ^
               static_cast<std::uint64_t>(std::time(nullptr));
    }
    return seed;
}

std::string randomSuffix() {
    static thread_local std::mt19937_64 generator{randomSeed()};
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string suffix(kRandomSuffixLength, '0');
    for (char& c : suffix)
        c = kDigits[generator() % (sizeof(kDigits) - 1)];
    return suffix;
}

// Gives the new file the owner, group and permissions of the one it
// replaces, as far as this process may: root keeps a user's file theirs.
void takeOver(int fd, const struct stat& existing) {
    // Best effort: an ordinary user cannot give a file away, and may keep
    // only a group of their own; the file is theirs then.
    if (::fchown(fd, existing.st_uid, existing.st_gid) != 0 &&
        ::fchown(fd, static_cast<uid_t>(-1), existing.st_gid) != 0) {
    }
    // After the owner, since a change of owner clears the set-id bits.
    if (::fchmod(fd, existing.st_mode & kPermissionBits) != 0) {
    }
}

} // namespace

ReplacingFile::~ReplacingFile() {
    discard();
}

ReplacingFile& ReplacingFile::operator=(ReplacingFile&& other) noexcept {
    if (this != &other) {
        discard();
        file_ = std::move(other.file_);
        inPlace_ = std::exchange(other.inPlace_, false);
        replacing_ = std::exchange(other.replacing_, false);
        cleanup_ = std::move(other.cleanup_);
        buffer_ = std::move(other.buffer_);
        target_ = std::move(other.target_);
        temporary_ = std::move(other.temporary_);
    }
    return *this;
}

int ReplacingFile::open(const fs::path& target, Links links) {
    discard();
    inPlace_ = false;
    replacing_ = false;
    if (target.empty() || !target.has_filename())
        return target.empty() ? EINVAL : EISDIR;
    if (target.native().find('\0') != std::string::npos)
        return EINVAL;
    target_ = target;
    return links == Links::follow ? openFollowingLinks() : openReplacingLinks();
}

int ReplacingFile::openFollowingLinks() {
    struct stat existing {};
    if (::stat(target_.c_str(), &existing) != 0) {
        const int error = errno;
        // A link to a missing file, or a loop, is not replaced by a file.
        return isSymlink(target_) ? error : createTemporary(nullptr);
    }
    if (S_ISDIR(existing.st_mode))
        return EISDIR;
    if (S_ISSOCK(existing.st_mode) || S_ISBLK(existing.st_mode))
        return ENXIO;
    // A file that could not be opened for writing is not replaced either.
    if (::access(target_.c_str(), W_OK) != 0)
        return errno;
    replacing_ = true;
    if (S_ISCHR(existing.st_mode) || S_ISFIFO(existing.st_mode)) {
        // Opened through the link as given: a link to an unnamed pipe
        // (/dev/stdout) has no real name to resolve.
        return openInPlace();
    }
    if (isSymlink(target_)) {
        if (const int error = resolveLink(target_, target_); error != 0)
            return error;
    }
    return createTemporary(&existing);
}

int ReplacingFile::openReplacingLinks() {
    struct stat existing {};
    if (::lstat(target_.c_str(), &existing) != 0)
        return errno == ENOENT ? createTemporary(nullptr) : errno;
    if (S_ISLNK(existing.st_mode)) {
        replacing_ = true; // the link goes; it lends the new file nothing
        return createTemporary(nullptr);
    }
    if (S_ISDIR(existing.st_mode))
        return EISDIR;
    if (!S_ISREG(existing.st_mode))
        return ENXIO;
    if (::access(target_.c_str(), W_OK) != 0)
        return errno;
    return createTemporary(&existing);
}

int ReplacingFile::openInPlace() {
    // Like any writer of a pipe, this waits for a reader.
    if (const int error = file_.open(target_, O_WRONLY); error != 0)
        return error;
    inPlace_ = true;
    return 0;
}

int ReplacingFile::createTemporary(const struct stat* existing) {
    const fs::path folder = target_.has_parent_path() ? target_.parent_path() : fs::path(".");
    // The temporary's name is kept short, so that a target name of the
    // largest length still gets one; that target name itself is checked here
    // so that a name too long fails now rather than when moved into place.
    const std::string name = target_.filename().string();
    const long nameMax = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    if (nameMax > 0 && name.size() > static_cast<std::size_t>(nameMax))
        return ENAMETOOLONG;
    std::string stem(1, '.');
    stem.append(name, 0, kNameStemLength).push_back('.');
    // From its creation to its registration, an interrupt would leave it.
    const InterruptCleanup::Held held;
    int error = EEXIST;
    for (int attempt = 0; attempt < kNameAttempts && error == EEXIST; ++attempt) {
        temporary_ = folder / (stem + randomSuffix() + ".tmp");
        error = file_.open(temporary_, O_WRONLY | O_CREAT | O_EXCL, kNewFileMode);
    }
    if (error != 0) {
        temporary_.clear();
        return error;
    }
    if (existing != nullptr) {
        replacing_ = true;
        takeOver(file_.fd(), *existing);
    }
    cleanup_ = InterruptCleanup(temporary_);
    return 0;
}

int ReplacingFile::write(const std::uint8_t* data, std::size_t size) {
    if (!file_.isOpen())
        return EBADF;
    if (buffer_.size() + size > kFileChunkSize) {
        if (const int error = flush(); error != 0)
            return error;
    }
    if (size >= kFileChunkSize)
        return file_.writeAll(data, size);
    buffer_.insert(buffer_.end(), data, data + size);
    return 0;
}

int ReplacingFile::flush() {
    if (!file_.isOpen())
        return EBADF;
    const int error = file_.writeAll(buffer_.data(), buffer_.size());
    buffer_.clear();
    return error;
}

int ReplacingFile::setModificationTime(const struct timespec& mtime) {
    if (const int error = flush(); error != 0 || inPlace_)
        return error;
    const struct timespec times[2] = {{0, UTIME_OMIT}, mtime};
    return ::futimens(file_.fd(), times) == 0 ? 0 : errno;
}

int ReplacingFile::commit() {
    if (!file_.isOpen())
        return EBADF;
    int error = flush();
    if (error == 0 && !inPlace_ && replacing_ && ::fsync(file_.fd()) != 0)
        error = errno;
    if (const int closeError = file_.close(); error == 0)
        error = closeError;
    if (error == 0 && !inPlace_)
        error = moveIntoPlace();
    if (error != 0 && !inPlace_)
        ::unlink(temporary_.c_str());
    cleanup_.release();
    temporary_.clear();
    return error;
}

void ReplacingFile::discard() {
    buffer_.clear();
    if (!file_.isOpen())
        return;
    file_.close();
    if (!inPlace_)
        ::unlink(temporary_.c_str());
    cleanup_.release();
    temporary_.clear();
}

int ReplacingFile::moveIntoPlace() {
    // A target that was new is not replaced by a file that appeared since.
    if (!replacing_)
        return renameNoReplace(temporary_.string(), target_.string());
    return ::rename(temporary_.c_str(), target_.c_str()) == 0 ? 0 : errno;
}

} // namespace crunchwise
