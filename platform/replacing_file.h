// SPDX-License-Identifier: GPL-3.0-or-later
// A file written under a temporary name beside its target and moved into
// place only when complete, so that a failed write never costs the previous
// contents of the target, and a half-written target never exists.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <vector>

namespace crunchwise {

class ReplacingFile {
public:
    ReplacingFile() = default;
    ~ReplacingFile(); // discards an uncommitted temporary
    ReplacingFile(ReplacingFile&& other) noexcept;
    ReplacingFile& operator=(ReplacingFile&& other) noexcept;
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Creates an empty hidden temporary in the target's folder (a symbolic
    // link as target is followed). Returns 0, or an errno value: ENOENT when
    // the folder is missing, EISDIR when the target is a folder, EACCES when
    // the target exists but may not be written, EINVAL for an empty name,
    // ENAMETOOLONG, or whatever the host reports when the file cannot be made.
    int open(const std::filesystem::path& target);
    bool isOpen() const { return fd_ >= 0; }
    const std::filesystem::path& target() const { return target_; }
    const std::filesystem::path& temporary() const { return temporary_; }

    // Appends bytes (buffered). Returns 0, or the errno value of the failed
    // write (ENOSPC for a full disk, EFBIG past the size limit).
    int write(const std::uint8_t* data, std::size_t size);
    // Writes out the buffered bytes. Returns 0 or an errno value.
    int flush();
    // Overwrites bytes at `offset`. Returns 0 or an errno value.
    int writeAt(std::uint64_t offset, const std::uint8_t* data, std::size_t size);
    // Gives the temporary the modification time `mtime`. Returns 0 or errno.
    int setModificationTime(const struct timespec& mtime);

    // Flushes the temporary to disk and moves it over the target. Returns 0,
    // or an errno value; on failure the temporary is removed and the target
    // is left as it was.
    int commit();
    // Removes the temporary; the target is left as it was.
    void discard();

private:
    int writeDirect(const std::uint8_t* data, std::size_t size);

    int fd_ = -1;
    std::vector<std::uint8_t> buffer_;
    std::filesystem::path target_;
    std::filesystem::path temporary_;
};

} // namespace crunchwise
