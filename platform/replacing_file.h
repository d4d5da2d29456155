// SPDX-License-Identifier: GPL-3.0-or-later
// A file written under a temporary name beside its target and moved into
// place only when complete, so that a failed write never costs the previous
// contents of the target, and a half-written target never exists.
//
// A target that is a character device or a pipe (named or reached through a
// link, such as /dev/stdout) is written in place instead, as a copy program
// would: such a file cannot be replaced without breaking whoever uses it.
//
// The temporary is removed should the process be interrupted (see
// InterruptCleanup), and a file that appears at a target that did not exist
// when it was opened is never replaced.
#pragma once

#include "platform/interrupt_cleanup.h"
#include "platform/posix_file.h"

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <vector>

namespace crunchwise {

class ReplacingFile {
public:
    // What open() does with a symbolic link at the target's name.
    enum class Links {
        follow,  // write the file it names (a device or pipe in place)
        replace, // replace the link itself; a device, pipe or socket is refused
    };

    ReplacingFile() = default;
    ~ReplacingFile(); // discards an uncommitted temporary
    ReplacingFile(ReplacingFile&& other) noexcept = default;
    ReplacingFile& operator=(ReplacingFile&& other) noexcept;
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Creates an empty hidden temporary in the target's folder, or opens a
    // device or pipe target for writing in place. A symbolic link as target
    // is followed. Returns 0, or an errno value: ENOENT when the folder is
    // missing or the link names a missing file, ELOOP for a link loop,
    // EISDIR when the target is a folder, ENXIO when it is a socket or a
    // block device (never written), EACCES when it exists but may not be
    // written, EINVAL for an empty name, ENAMETOOLONG, or whatever the host
    // reports when the file cannot be made.
    //
    // With Links::replace nothing is written through a link: a link at the
    // target is replaced by the new file (the file it names is left alone),
    // and any target that is not a regular file, folder or link gives ENXIO.
    int open(const std::filesystem::path& target, Links links = Links::follow);
    bool isOpen() const { return file_.isOpen(); }
    // True when the target is written in place (a device or pipe).
    bool inPlace() const { return inPlace_; }
    // True when a file (or, with Links::replace, a link) lay at the target
    // when it was opened; in place too.
    bool replacesExisting() const { return replacing_; }
    const std::filesystem::path& target() const { return target_; }
    // The temporary's name; empty when written in place.
    const std::filesystem::path& temporary() const { return temporary_; }

    // Appends bytes (buffered). Returns 0, or the errno value of the failed
    // write (ENOSPC for a full disk, EFBIG past the size limit).
    int write(const std::uint8_t* data, std::size_t size);
    // Writes out the buffered bytes. Returns 0 or an errno value.
    int flush();
    // Gives the temporary the modification time `mtime` (nothing in place).
    // Returns 0 or errno.
    int setModificationTime(const struct timespec& mtime);

    // Moves the temporary over the target, flushed to disk first when it
    // replaces a file (so that a crash never costs the old contents; a new
    // file is left to the system's own write-back). Returns 0, or an errno
    // value (EEXIST when a file appeared at a target that was new); on
    // failure the temporary is removed and the target is left as it
    // was.
    int commit();
    // Removes the temporary; the target is left as it was (in place, what
    // was written stays written).
    void discard();

private:
    int openFollowingLinks();
    int openReplacingLinks();
    int openInPlace();
    int moveIntoPlace();
    int createTemporary(const struct stat* existing);

    PosixFile file_;
    bool inPlace_ = false;
    bool replacing_ = false; // something lies at the target's name
    InterruptCleanup cleanup_;
    std::vector<std::uint8_t> buffer_;
    std::filesystem::path target_;
    std::filesystem::path temporary_;
};

} // namespace crunchwise
