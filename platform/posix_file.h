// SPDX-License-Identifier: GPL-3.0-or-later
// An owning file descriptor whose reads and writes retry interrupted calls
// and report the host's error value (errno) instead of losing it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

namespace crunchwise {

// The size of the pieces in which files are read and written.
inline constexpr std::size_t kFileChunkSize = 64 * 1024;
// The permissions asked for a new file, filtered by the umask.
inline constexpr mode_t kNewFileMode = 0666;

class PosixFile {
public:
    PosixFile() = default;
    explicit PosixFile(int fd) : fd_(fd) {}
    ~PosixFile() { close(); }
    PosixFile(PosixFile&& other) noexcept;
    PosixFile& operator=(PosixFile&& other) noexcept;
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;

    // Opens `path` with `flags` (close-on-exec is added). Returns 0 or errno.
    int open(const std::filesystem::path& path, int flags, mode_t mode = kNewFileMode);
    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    // Closes the descriptor. Returns 0, or errno of a failed close.
    int close();

    // fstat. Returns 0 or errno.
    int status(struct stat& info) const;

    // Reads up to `size` bytes at the current position, or at `offset`.
    // Returns the count read (0 at the end), or minus errno.
    ssize_t readSome(std::uint8_t* data, std::size_t size) const;
    ssize_t readSomeAt(std::uint64_t offset, std::uint8_t* data, std::size_t size) const;
    // Reads from the current position to the end into `text`. Returns 0,
    // EFBIG when there is more than `limit` bytes, or errno.
    int readAll(std::string& text, std::size_t limit) const;

    // Writes all `size` bytes at the current position. Returns 0 or errno
    // (ENOSPC for a full disk, EFBIG past the size limit).
    int writeAll(const std::uint8_t* data, std::size_t size) const;

private:
    int fd_ = -1;
};

// PosixFile::writeAll for a descriptor the caller keeps (standard output).
int writeAllTo(int fd, const std::uint8_t* data, std::size_t size);

} // namespace crunchwise
