// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/compress/compress_tool.h"

#include "platform/replacing_file.h"
#include "szdd/szdd.h"
#include "tools/common/file_job.h"
#include "tools/common/tool_main.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <ostream>
#include <sys/stat.h>
#include <unistd.h>

namespace crunchwise::tools {
namespace {

constexpr const char* kProgram = "compress.exe";
constexpr std::size_t kChunkSize = 64 * 1024;

constexpr const char* kHelp =
    R"(Usage: compress.exe SOURCE DEST
       compress.exe -r SOURCE... [FOLDER]
Writes the SZDD (LZ) compressed form of SOURCE to DEST.

  -r         name each output after its source, with the last character
             replaced by "_" (SETUP.EXE gives SETUP.EX_); outputs go into
             FOLDER when the last argument is an existing folder, otherwise
             beside their sources
  -h, --help show this help
  --version  show the version

DEST is written under a temporary name and moved into place when complete;
it is never the source itself. Sources larger than 4 GiB - 1 are refused.
Exit codes: 0 success, 1 wrong arguments, 2 source unreadable, 3 destination
cannot be written, 4 destination is the source, 5 source too large,
7 out of memory. With several files the first failure's code is returned.
)";

class SourceFile {
public:
    explicit SourceFile(const std::filesystem::path& path)
        : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~SourceFile() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

ssize_t readSome(int fd, std::uint8_t* data, std::size_t size) {
    for (;;) {
        const ssize_t got = ::read(fd, data, size);
        if (got >= 0 || errno != EINTR) {
            return got;
        }
    }
}

// Streams the source through the encoder into `output`. Returns exitOk or
// the exit code after reporting.
ExitCode encodeStream(const FileJob& job, int fd, ReplacingFile& output, std::uint64_t& consumed,
                      std::ostream& err) {
    int writeError = 0;
    szdd::Encoder encoder([&](const std::uint8_t* data, std::size_t size) {
        writeError = output.write(data, size);
        return writeError == 0;
    });
    std::vector<std::uint8_t> chunk(kChunkSize);
    for (;;) {
        const ssize_t got = readSome(fd, chunk.data(), chunk.size());
        if (got < 0) {
            reportFailure(err, kProgram, job.source, std::strerror(errno));
            return exitSourceUnreadable;
        }
        const szdd::Status status =
            got == 0 ? encoder.finish()
                     : encoder.feed({chunk.data(), static_cast<std::size_t>(got)});
        if (status == szdd::Status::tooLarge) {
            reportFailure(err, kProgram, job.source, "larger than 4 GiB - 1 bytes");
            return exitSourceTooLarge;
        }
        if (status != szdd::Status::ok) {
            reportFailure(err, kProgram, job.destination, std::strerror(writeError));
            return exitDestinationFailed;
        }
        if (got == 0) {
            consumed = encoder.consumed();
            return exitOk;
        }
    }
}

// Appends the header, or rewrites it in place when `rewrite` is set.
ExitCode writeHeader(const FileJob& job, ReplacingFile& output, std::uint64_t length, bool rewrite,
                     std::ostream& err) {
    const std::string name = job.source.filename().string();
    szdd::Header header;
    header.missingChar = name.empty() ? 0 : static_cast<std::uint8_t>(name.back());
    header.length = static_cast<std::uint32_t>(length);
    std::uint8_t bytes[szdd::kHeaderSize];
    szdd::writeHeader(header, bytes);
    const int error =
        rewrite ? output.writeAt(0, bytes, sizeof bytes) : output.write(bytes, sizeof bytes);
    if (error != 0) {
        reportFailure(err, kProgram, job.destination, std::strerror(error));
        return exitDestinationFailed;
    }
    return exitOk;
}

ExitCode compressFile(const FileJob& job, std::ostream& err) {
    if (const ExitCode checked = checkFileJob(job, kProgram, err); checked != exitOk) {
        return checked;
    }
    const SourceFile source(job.source);
    struct stat info {};
    if (source.fd() < 0 || ::fstat(source.fd(), &info) != 0) {
        reportFailure(err, kProgram, job.source, std::strerror(errno));
        return exitSourceUnreadable;
    }
    if (static_cast<std::uint64_t>(info.st_size) > szdd::kMaxLength) {
        reportFailure(err, kProgram, job.source, "larger than 4 GiB - 1 bytes");
        return exitSourceTooLarge;
    }
    ReplacingFile output;
    if (const int error = output.open(job.destination); error != 0) {
        reportFailure(err, kProgram, job.destination, destinationFailure(job, error));
        return exitDestinationFailed;
    }
    // The header goes first with the expected length and is rewritten with
    // the length actually read, should the file have changed meanwhile.
    const auto expected = static_cast<std::uint64_t>(info.st_size);
    std::uint64_t consumed = expected;
    ExitCode result = writeHeader(job, output, expected, false, err);
    if (result == exitOk) {
        result = encodeStream(job, source.fd(), output, consumed, err);
    }
    if (result == exitOk && consumed != expected) {
        result = writeHeader(job, output, consumed, true, err);
    }
    if (result != exitOk) {
        output.discard();
        return result;
    }
    if (const int error = output.setModificationTime(info.st_mtim); error != 0) {
        reportFailure(err, kProgram, job.destination, std::strerror(error));
        return exitDestinationFailed;
    }
    if (const int error = output.commit(); error != 0) {
        reportFailure(err, kProgram, job.destination, std::strerror(error));
        return exitDestinationFailed;
    }
    return exitOk;
}

} // namespace

std::string compressedName(const std::string& name) {
    if (name.empty()) {
        return name;
    }
    return name.substr(0, name.size() - 1) + "_";
}

int runCompressTool(const std::vector<std::string>& arguments, std::ostream& out,
                    std::ostream& err) {
    const ToolDescription tool{kProgram, kHelp, compressedName, compressFile};
    return runTool(tool, arguments, out, err);
}

} // namespace crunchwise::tools
