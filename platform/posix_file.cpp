// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix_file.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace crunchwise {

PosixFile::PosixFile(PosixFile&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

PosixFile& PosixFile::operator=(PosixFile&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

int PosixFile::open(const std::filesystem::path& path, int flags, mode_t mode) {
    close();
    fd_ = ::open(path.c_str(), flags | O_CLOEXEC, mode);
    return fd_ >= 0 ? 0 : errno;
}

int PosixFile::close() {
    if (fd_ < 0)
        return 0;
    // Linux releases the descriptor even when close fails: never retried.
    return ::close(std::exchange(fd_, -1)) == 0 ? 0 : errno;
}

int PosixFile::status(struct stat& info) const {
    return ::fstat(fd_, &info) == 0 ? 0 : errno;
}

ssize_t PosixFile::readSome(std::uint8_t* data, std::size_t size) const {
    for (;;) {
        const ssize_t got = ::read(fd_, data, size);
        if (got >= 0 || errno != EINTR)
            return got >= 0 ? got : -errno;
    }
}

ssize_t PosixFile::readSomeAt(std::uint64_t offset, std::uint8_t* data, std::size_t size) const {
    for (;;) {
        const ssize_t got = ::pread(fd_, data, size, static_cast<off_t>(offset));
        if (got >= 0 || errno != EINTR)
            return got >= 0 ? got : -errno;
    }
}

int PosixFile::readAll(std::string& text, std::size_t limit) const {
    text.clear();
    std::vector<std::uint8_t> chunk(kFileChunkSize);
    for (;;) {
        const ssize_t got = readSome(chunk.data(), chunk.size());
        if (got < 0)
            return static_cast<int>(-got);
        if (got == 0)
            return 0;
        if (text.size() + static_cast<std::size_t>(got) > limit)
            return EFBIG;
        text.append(reinterpret_cast<const char*>(chunk.data()), static_cast<std::size_t>(got));
    }
}

int PosixFile::writeAll(const std::uint8_t* data, std::size_t size) const {
    return writeAllTo(fd_, data, size);
}

int writeAllTo(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return 0;
}

} // namespace crunchwise
