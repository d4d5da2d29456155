// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/common/file_job.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <ostream>

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
    if (fs::equivalent(job.source, job.destination, error)) {
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

namespace {

// Reports a failed transform. Returns its exit code.
ExitCode reportTransformFailure(const FileJob& job, const char* program,
                                const TransformResult& result, std::ostream& err) {
    using Status = TransformResult::Status;
    const auto source = [&](const std::string& reason, ExitCode code) {
        reportFailure(err, program, job.source, reason);
        return code;
    };
    switch (result.status) {
    case Status::ok:
        return exitOk;
    case Status::readFailed:
        return source(std::strerror(result.hostError), exitSourceUnreadable);
    case Status::lengthDiffers:
        break; // see reportDamaged
    case Status::unknownMethod:
        return source("unknown compression method", exitCorruptSource);
    case Status::badHeader:
    case Status::damaged:
        return source(szdd::statusText(result.damage), exitCorruptSource);
    case Status::tooLarge:
        return source("larger than 4 GiB - 1 bytes", exitSourceTooLarge);
    case Status::sourceChanged:
        return source("changed while it was read; " + job.destination.string() + " not replaced",
                      exitSourceUnreadable);
    case Status::outOfMemory:
        return source("out of memory", exitOutOfMemory);
    case Status::stopped:
    case Status::writeFailed:
        break;
    }
    reportFailure(err, program, job.destination, std::strerror(result.hostError));
    return exitDestinationFailed;
}

// An expansion whose length differs from the header's: a new destination
// receives what could be expanded, an existing one is kept. Reports it and
// returns exitCorruptSource, or the failure to write the destination.
ExitCode reportDamaged(const FileJob& job, const char* program, const TransformResult& result,
                       ReplacingFile& output, std::ostream& err) {
    std::string reason = result.cutInsideMatch ? "compressed data cut short: " : "";
    reason += "expanded " + std::to_string(result.expandedBytes) + " bytes, the header says " +
              std::to_string(result.headerLength);
    if (output.replacesExisting() && !output.inPlace()) {
        output.discard();
        reason += "; " + job.destination.string() + " not replaced";
    } else if (const int error = output.commit(); error != 0) {
        reportFailure(err, program, job.destination, std::strerror(error));
        return exitDestinationFailed;
    }
    reportFailure(err, program, job.source, reason);
    return exitCorruptSource;
}

} // namespace

ExitCode runFileJob(const FileJob& job, const char* program, const Transform& transform,
                    std::ostream& err) {
    if (const ExitCode checked = checkFileJob(job, program, err); checked != exitOk)
        return checked;
    PosixFile source;
    if (const int error = source.open(job.source, O_RDONLY); error != 0) {
        reportFailure(err, program, job.source, std::strerror(error));
        return exitSourceUnreadable;
    }
    ReplacingFile output;
    const auto links =
        job.replaceLinks ? ReplacingFile::Links::replace : ReplacingFile::Links::follow;
    if (const int error = output.open(job.destination, links); error != 0) {
        reportFailure(err, program, job.destination, destinationFailure(job, error));
        return exitDestinationFailed;
    }
    const TransformResult result = transform(source, output);
    if (result.status == TransformResult::Status::lengthDiffers)
        return reportDamaged(job, program, result, output, err);
    if (result.status != TransformResult::Status::ok) {
        output.discard();
        return reportTransformFailure(job, program, result, err);
    }
    if (const int error = output.commit(); error != 0) {
        reportFailure(err, program, job.destination, std::strerror(error));
        return exitDestinationFailed;
    }
    return exitOk;
}

} // namespace crunchwise::tools
