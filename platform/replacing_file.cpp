// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/replacing_file.h"

#include <cerrno>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace crunchwise {
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

// The target with a symbolic link followed, so that replacing it writes the
// file that the link names instead of replacing the link.
fs::path resolvedTarget(const fs::path& target) {
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(target, error))) {
        const fs::path resolved = fs::weakly_canonical(target, error);
        if (!error) {
            return resolved;
        }
    }
    return target;
}

std::string randomSuffix() {
    static thread_local std::mt19937_64 generator{std::random_device{}()};
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string suffix(8, '0');
    for (char& c : suffix) {
        c = kDigits[generator() % (sizeof(kDigits) - 1)];
    }
    return suffix;
}

} // namespace

ReplacingFile::~ReplacingFile() {
    discard();
}

ReplacingFile::ReplacingFile(ReplacingFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), buffer_(std::move(other.buffer_)),
      target_(std::move(other.target_)), temporary_(std::move(other.temporary_)) {}

ReplacingFile& ReplacingFile::operator=(ReplacingFile&& other) noexcept {
    if (this != &other) {
        discard();
        fd_ = std::exchange(other.fd_, -1);
        buffer_ = std::move(other.buffer_);
        target_ = std::move(other.target_);
        temporary_ = std::move(other.temporary_);
    }
    return *this;
}

int ReplacingFile::open(const fs::path& target) {
    discard();
    if (target.empty() || !target.has_filename()) {
        return target.empty() ? EINVAL : EISDIR;
    }
    if (target.native().find('\0') != std::string::npos) {
        return EINVAL;
    }
    target_ = resolvedTarget(target);
    struct stat existing {};
    const bool exists = ::stat(target_.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) {
        return EISDIR;
    }
    // A file that could not be opened for writing is not replaced either.
    if (exists && ::access(target_.c_str(), W_OK) != 0) {
        return errno;
    }
    const fs::path folder = target_.has_parent_path() ? target_.parent_path() : fs::path(".");
    // The temporary's name is kept short, so that a target name of the
    // largest length still gets one; that target name itself is checked here
    // so that a name too long fails now rather than when moved into place.
    const std::string name = target_.filename().string();
    const long nameMax = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    if (nameMax > 0 && name.size() > static_cast<std::size_t>(nameMax)) {
        return ENAMETOOLONG;
    }
    std::string stem(1, '.');
    stem.append(name, 0, 64).push_back('.');
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary_ = folder / (stem + randomSuffix() + ".tmp");
        // The mode is filtered by the umask, as for any new file.
        fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            break;
        }
        if (errno != EEXIST) {
            const int error = errno;
            temporary_.clear();
            return error;
        }
    }
    if (fd_ < 0) {
        temporary_.clear();
        return EEXIST;
    }
    if (exists) {
        // A replaced file keeps its permissions.
        (void)::fchmod(fd_, existing.st_mode & 07777);
    }
    return 0;
}

int ReplacingFile::write(const std::uint8_t* data, std::size_t size) {
    if (fd_ < 0) {
        return EBADF;
    }
    if (buffer_.size() + size > kBufferSize) {
        if (const int error = flush(); error != 0) {
            return error;
        }
    }
    if (size >= kBufferSize) {
        return writeDirect(data, size);
    }
    buffer_.insert(buffer_.end(), data, data + size);
    return 0;
}

int ReplacingFile::flush() {
    if (fd_ < 0) {
        return EBADF;
    }
    const int error = writeDirect(buffer_.data(), buffer_.size());
    buffer_.clear();
    return error;
}

int ReplacingFile::writeDirect(const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd_, data, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return 0;
}

int ReplacingFile::writeAt(std::uint64_t offset, const std::uint8_t* data, std::size_t size) {
    if (const int error = flush(); error != 0) {
        return error;
    }
    while (size > 0) {
        const ssize_t written = ::pwrite(fd_, data, size, static_cast<off_t>(offset));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        data += written;
        offset += static_cast<std::uint64_t>(written);
        size -= static_cast<std::size_t>(written);
    }
    return 0;
}

int ReplacingFile::setModificationTime(const struct timespec& mtime) {
    if (const int error = flush(); error != 0) {
        return error;
    }
    const struct timespec times[2] = {{0, UTIME_OMIT}, mtime};
    return ::futimens(fd_, times) == 0 ? 0 : errno;
}

int ReplacingFile::commit() {
    if (fd_ < 0) {
        return EBADF;
    }
    int error = flush();
    if (error == 0 && ::fsync(fd_) != 0) {
        error = errno;
    }
    if (::close(std::exchange(fd_, -1)) != 0 && error == 0) {
        error = errno;
    }
    if (error == 0 && ::rename(temporary_.c_str(), target_.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(temporary_.c_str());
    }
    temporary_.clear();
    return error;
}

void ReplacingFile::discard() {
    buffer_.clear();
    if (fd_ < 0) {
        return;
    }
    ::close(std::exchange(fd_, -1));
    ::unlink(temporary_.c_str());
    temporary_.clear();
}

} // namespace crunchwise
