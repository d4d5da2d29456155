// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/expand_run.h"

#include "platform/lz_expand.h"
#include "szdd/szdd.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace crunchwise::commands {
namespace fs = std::filesystem;

namespace {

// Bytes that thread `tid` of this process has read so far; 0 when the host
// does not say.
std::uint64_t bytesReadBy(int tid) {
    if (tid == 0)
        return 0;
    std::ifstream io("/proc/self/task/" + std::to_string(tid) + "/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value) {
        if (key == "rchar:")
            return value;
    }
    return 0;
}

// The expanded length that the header of `file` gives; nothing when the file
// is not compressed.
std::optional<std::uint64_t> expandedLength(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::uint8_t bytes[szdd::kHeaderSize] = {};
    in.read(reinterpret_cast<char*>(bytes), sizeof bytes);
    szdd::Header header;
    if (szdd::readHeader({bytes, static_cast<std::size_t>(in.gcount())}, header) !=
        szdd::Status::ok)
        return std::nullopt;
    return header.length;
}

// Whether `copied` bytes are the whole of compressed file `file` whose header
// gives `length`. A file cut short may still decode cleanly up to a token, so
// fewer bytes than the header gives is a failure, unless the field cannot be
// true: no stream yields more than 9 bytes per compressed byte (18 from a
// two-byte match, with one control byte per eight items), and some
// compressors write a wrong length, which expanders then ignore.
bool complete(const std::string& file, std::optional<std::uint64_t> length, std::uint64_t copied) {
    if (!length || copied >= *length)
        return true;
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    constexpr std::uint64_t kMostBytesPerCompressedByte = 9;
    return !error && size > szdd::kHeaderSize &&
           *length > (size - szdd::kHeaderSize) * kMostBytesPerCompressedByte;
}

// The process's file mode creation mask, read without changing it (umask()
// would race with other threads creating files).
mode_t currentUmask() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "Umask:") {
            std::string octal;
            status >> octal;
            return static_cast<mode_t>(std::stoul(octal, nullptr, 8));
        }
    }
    return 022;
}

// A free name beside `destination` that the expansion is written to first,
// so that nothing short ever appears under the destination's own name. It
// has the mode that the destination has, or that a new file gets.
std::string reserveBeside(const std::string& destination) {
    const fs::path target(destination);
    std::string pattern =
        (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return {};
    struct stat existing {};
    const mode_t mode = ::stat(destination.c_str(), &existing) == 0 ? existing.st_mode & 07777
                                                                    : 0666 & ~currentUmask();
    (void)::fchmod(fd, mode);
    ::close(fd);
    return pattern;
}

// Expands `source` into the file `into`; the number of bytes written, or a
// negative LZERROR_* code.
std::int64_t copyInto(const std::string& source, const std::string& into) {
    OFSTRUCT record;
    const int in = LZOpenFileA(source, record, OF_READ);
    if (in < 0)
        return in;
    const int out = LZOpenFileA(into, record, OF_CREATE);
    const std::int64_t copied = out < 0 ? out : LZCopy(in, out);
    LZClose(in);
    const int closed = out < 0 ? out : LZClose(out);
    return closed < 0 ? closed : copied;
}

// True when `destination` names the source itself, also through another
// spelling or a link, or a file written earlier in this run.
bool refused(const ExpandJob& job, const std::vector<std::string>& written) {
    std::error_code error;
    if (fs::equivalent(job.source, job.destination, error))
        return true;
    for (const std::string& earlier : written) {
        if (earlier == job.destination || fs::equivalent(earlier, job.destination, error))
            return true;
    }
    return false;
}

} // namespace

ExpandRun::ExpandRun(std::vector<ExpandJob> jobs)
    : jobs_(std::move(jobs)), outcomes_(jobs_.size()) {
    std::error_code error;
    for (const ExpandJob& job : jobs_) {
        const auto size = fs::file_size(job.source, error);
        totalBytes_ += error ? 0 : size;
    }
}

ExpandRun::~ExpandRun() {
    cancel();
    wait();
}

void ExpandRun::start(std::function<void()> finished) {
    onFinished_ = std::move(finished);
    thread_ = std::thread([this] { run(); });
}

void ExpandRun::wait() {
    if (thread_.joinable())
        thread_.join();
}

std::uint64_t ExpandRun::bytesDone() const {
    const std::uint64_t now = bytesReadBy(worker_);
    const std::uint64_t reading = now > readAtFileStart_ ? now - readAtFileStart_ : 0;
    const std::size_t index = std::min<std::size_t>(current_, jobs_.empty() ? 0 : jobs_.size() - 1);
    std::error_code error;
    const auto size = jobs_.empty() ? 0 : fs::file_size(jobs_[index].source, error);
    return std::min(totalBytes_,
                    finishedBytes_ + std::min<std::uint64_t>(reading, error ? 0 : size));
}

void ExpandRun::run() {
    worker_ = static_cast<int>(::gettid());
    std::vector<std::string> written;
    for (std::size_t i = 0; i < jobs_.size() && !cancelled_; ++i) {
        current_ = static_cast<int>(i);
        readAtFileStart_ = bytesReadBy(worker_);
        outcomes_[i] = expandOne(jobs_[i], written);
        std::error_code error;
        const auto size = fs::file_size(jobs_[i].source, error);
        finishedBytes_ += error ? 0 : size;
    }
    finished_ = true;
    if (onFinished_)
        onFinished_();
}

ExpandOutcome ExpandRun::expandOne(const ExpandJob& job, std::vector<std::string>& written) {
    ExpandOutcome outcome;
    outcome.done = true;
    if (refused(job, written))
        return outcome;
    const std::optional<std::uint64_t> length = expandedLength(job.source);
    outcome.copiedUnchanged = !length;
    const std::string first = reserveBeside(job.destination);
    if (first.empty())
        return outcome;
    const std::int64_t copied = copyInto(job.source, first);
    outcome.ok = copied >= 0 && complete(job.source, length, std::uint64_t(copied)) &&
                 ::rename(first.c_str(), job.destination.c_str()) == 0;
    if (!outcome.ok)
        ::unlink(first.c_str());
    else
        written.push_back(job.destination);
    return outcome;
}

} // namespace crunchwise::commands
