// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/common/file_job.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <ostream>
#include <sys/stat.h>
#include <unistd.h>

namespace crunchwise::tools {
namespace fs = std::filesystem;

void reportFailure(std::ostream& out, const char* program, const fs::path& file,
                   const std::string& reason) {
    out << program << ": " << file.string() << ": " << reason << '\n';
}

namespace {

// Whether standard output is the regular file `source`.
bool standardOutputIs(const fs::path& source) {
    struct stat output {};
    struct stat input {};
    return ::fstat(STDOUT_FILENO, &output) == 0 && S_ISREG(output.st_mode) &&
           ::stat(source.c_str(), &input) == 0 && input.st_dev == output.st_dev &&
           input.st_ino == output.st_ino;
}

ExitCode checkSource(const FileJob& job, const char* program, std::ostream& err) {
    if (isStandardStream(job.source))
        return exitOk;
    std::error_code error;
    const fs::file_status source = fs::status(job.source, error);
    if (!fs::exists(source)) {
        reportFailure(err, program, job.source, std::strerror(ENOENT));
        return exitSourceUnreadable;
    }
    if (!fs::is_regular_file(source)) {
        reportFailure(err, program, job.source, "not a regular file");
        return exitSourceUnreadable;
    }
    return exitOk;
}

} // namespace

ExitCode checkFileJob(const FileJob& job, const char* program, std::ostream& err) {
    if (const ExitCode checked = checkSource(job, program, err); checked != exitOk)
        return checked;
    std::error_code error;
    if (isStandardStream(job.destination)) {
        if (isStandardStream(job.source) || !standardOutputIs(job.source))
            return exitOk;
        reportFailure(err, program, job.source, "is standard output too; refusing to write it");
        return exitSameFile;
    }
    if (!isStandardStream(job.source) && fs::equivalent(job.source, job.destination, error)) {
        reportFailure(err, program, job.destination,
                      "is the source file; refusing to overwrite it");
        return exitSameFile;
    }
    const fs::file_status destination = job.replaceLinks
                                            ? fs::symlink_status(job.destination, error)
                                            : fs::status(job.destination, error);
    if (fs::is_directory(destination)) {
        reportFailure(err, program, job.destination, std::strerror(EISDIR));
        return exitDestinationFailed;
    }
    if (job.keepExisting && fs::exists(fs::symlink_status(job.destination, error))) {
        reportFailure(err, program, job.destination, "exists already; not replaced");
        return exitDestinationFailed;
    }
    return exitOk;
}

std::string destinationFailure(const FileJob& job, int hostError) {
    const fs::path folder =
        job.destination.has_parent_path() ? job.destination.parent_path() : fs::path(".");
    std::error_code error;
    if (!fs::exists(folder, error))
        return "folder " + folder.string() + " does not exist";
    if (!fs::is_directory(folder, error))
        return folder.string() + " is not a folder";
    if (hostError == ENOENT && fs::is_symlink(fs::symlink_status(job.destination, error)))
        return "symbolic link to a missing file; not followed";
    const fs::file_status target = fs::status(job.destination, error);
    if (hostError == ENXIO && fs::is_socket(target))
        return "is a socket; not written";
    if (hostError == ENXIO && fs::is_block_file(target))
        return "is a block device; not written";
    if (hostError == ENXIO && job.replaceLinks)
        return "is a device or pipe; not written (--no-follow)";
    return std::strerror(hostError);
}

} // namespace crunchwise::tools
