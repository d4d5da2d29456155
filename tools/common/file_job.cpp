// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/common/file_job.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <ostream>
#include <unistd.h>

namespace crunchwise::tools {
namespace fs = std::filesystem;

void reportFailure(std::ostream& out, const char* program, const fs::path& file,
                   const std::string& reason) {
    out << program << ": " << file.string() << ": " << reason << '\n';
}

ExitCode checkFileJob(const FileJob& job, const char* program, std::ostream& err) {
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
    const int fd = ::open(job.source.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        reportFailure(err, program, job.source, std::strerror(errno));
        return exitSourceUnreadable;
    }
    ::close(fd);
    if (fs::equivalent(job.source, job.destination, error)) {
        reportFailure(err, program, job.destination,
                      "is the source file; refusing to overwrite it");
        return exitSameFile;
    }
    if (fs::is_directory(job.destination, error)) {
        reportFailure(err, program, job.destination, std::strerror(EISDIR));
        return exitDestinationFailed;
    }
    return exitOk;
}

std::string destinationFailure(const FileJob& job, int hostError) {
    const fs::path folder =
        job.destination.has_parent_path() ? job.destination.parent_path() : fs::path(".");
    std::error_code error;
    if (!fs::exists(folder, error)) {
        return "folder " + folder.string() + " does not exist";
    }
    if (!fs::is_directory(folder, error)) {
        return folder.string() + " is not a folder";
    }
    return hostError != 0 ? std::strerror(hostError) : "cannot be created";
}

} // namespace crunchwise::tools
