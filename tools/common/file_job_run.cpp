// SPDX-License-Identifier: GPL-3.0-or-later
// Running one file job: the source (a file, or standard input) into the
// destination (a replacing file, or standard output).
#include "tools/common/file_job.h"
#include "tools/common/standard_streams.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <ostream>
#include <unistd.h>

namespace crunchwise::tools {
namespace fs = std::filesystem;

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
    case Status::unknownMethod:
        return source("unknown compression method", exitCorruptSource);
    case Status::badHeader:
    case Status::lengthDiffers:
    case Status::damaged:
        return source(result.status == Status::badHeader ? szdd::statusText(result.damage)
                                                         : damageReason(result),
                      exitCorruptSource);
    case Status::tooLarge:
        return source("larger than 4 GiB - 1 bytes", exitSourceTooLarge);
    case Status::sourceChanged:
        return source(isStandardStream(job.destination)
                          ? std::string("changed while it was read")
                          : "changed while it was read; " + job.destination.string() +
                                " not replaced",
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

std::string damageReason(const TransformResult& result) {
    if (result.status == TransformResult::Status::damaged)
        return std::string(szdd::statusText(result.damage)) + " after " +
               std::to_string(result.expandedBytes) + " expanded bytes";
    std::string reason = result.cutInsideMatch ? "compressed data cut short: " : "";
    return reason + "expanded " + std::to_string(result.expandedBytes) +
           " bytes, the header says " + std::to_string(result.headerLength);
}

namespace {

bool isDamage(const TransformResult& result) {
    return result.status == TransformResult::Status::lengthDiffers ||
           result.status == TransformResult::Status::damaged;
}

// A damaged expansion into a file: a new destination receives what could be
// expanded, an existing one is kept. Reports it and returns
// exitCorruptSource, or the failure to write the destination.
ExitCode reportDamaged(const FileJob& job, const char* program, const TransformResult& result,
                       ReplacingFile& output, std::ostream& err) {
    std::string reason = damageReason(result);
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

// Refuses compressed data on a terminal, as gzip does.
ExitCode checkTerminals(const FileJob& job, const char* program, Direction direction,
                        std::ostream& err) {
    if (direction == Direction::compressing && isStandardStream(job.destination) &&
        isTerminal(STDOUT_FILENO)) {
        reportFailure(err, program, job.destination, "compressed data not written to a terminal");
        return exitDestinationFailed;
    }
    if (direction == Direction::expanding && isStandardStream(job.source) &&
        isTerminal(STDIN_FILENO)) {
        reportFailure(err, program, job.source, "compressed data not read from a terminal");
        return exitSourceUnreadable;
    }
    return exitOk;
}

// Opens the source; standard input is held in a temporary when compressing.
ExitCode openSource(const FileJob& job, const char* program, Direction direction, PosixFile& source,
                    bool& stream, std::ostream& err) {
    stream = isStandardStream(job.source);
    const int error = stream ? openStandardInput(source) : source.open(job.source, O_RDONLY);
    if (error != 0 || !stream || direction == Direction::expanding) {
        if (error != 0)
            reportFailure(err, program, job.source, std::strerror(error));
        return error != 0 ? exitSourceUnreadable : exitOk;
    }
    PosixFile spool;
    bool readFailed = false;
    const int spooled = spoolToTemporary(source, szdd::kMaxLength, spool, readFailed);
    if (spooled == 0) {
        source = std::move(spool);
        stream = false;
        return exitOk;
    }
    if (spooled == EFBIG || readFailed) {
        reportFailure(err, program, job.source,
                      spooled == EFBIG ? "larger than 4 GiB - 1 bytes" : std::strerror(spooled));
        return spooled == EFBIG ? exitSourceTooLarge : exitSourceUnreadable;
    }
    reportFailure(err, program, job.source,
                  std::string("cannot be held in a temporary file: ") + std::strerror(spooled));
    return exitDestinationFailed;
}

ExitCode toStandardOutput(const FileJob& job, const char* program, const Transform& transform,
                          const PosixFile& source, bool stream, std::ostream& err) {
    const TransformResult result = transform(source, stream, {nullptr, descriptorWriter(1)});
    return reportTransformFailure(job, program, result, err);
}

ExitCode toFile(const FileJob& job, const char* program, const Transform& transform,
                const PosixFile& source, bool stream, std::ostream& err) {
    ReplacingFile output;
    const auto links =
        job.replaceLinks ? ReplacingFile::Links::replace : ReplacingFile::Links::follow;
    if (const int error = output.open(job.destination, links); error != 0) {
        reportFailure(err, program, job.destination, destinationFailure(job, error));
        return exitDestinationFailed;
    }
    const TransformResult result =
        transform(source, stream, {&output, [&output](const std::uint8_t* data, std::size_t size) {
                                       return output.write(data, size);
                                   }});
    if (isDamage(result))
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

} // namespace

ExitCode runFileJob(const FileJob& job, const char* program, Direction direction,
                    const Transform& transform, std::ostream& err) {
    if (const ExitCode checked = checkFileJob(job, program, err); checked != exitOk)
        return checked;
    if (const ExitCode checked = checkTerminals(job, program, direction, err); checked != exitOk)
        return checked;
    PosixFile source;
    bool stream = false;
    if (const ExitCode opened = openSource(job, program, direction, source, stream, err);
        opened != exitOk)
        return opened;
    return isStandardStream(job.destination)
               ? toStandardOutput(job, program, transform, source, stream, err)
               : toFile(job, program, transform, source, stream, err);
}

} // namespace crunchwise::tools
