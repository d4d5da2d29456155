// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/expand_run.h"

#include "failures/runtime_error.h"
#include "platform/compressed_info.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace crunchwise::commands {
namespace fs = std::filesystem;

namespace {

using State = ExpandOutcome::State;

// Bytes that thread `tid` of this process has read so far; 0 when the host
// does not say.
std::uint64_t bytesReadBy(int tid) {
    if (tid == 0)
        return 0;
    std::ifstream io("/proc/self/task/" + std::to_string(tid) + "/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value)
        if (key == "rchar:")
            return value;
    return 0;
}

// A failure with the host's error `hostError`, in the host's words ("Read-
// only file system" says more than the number's "Permission denied"), as
// compress.exe reports it; a destination's missing folder is a path not
// found.
ExpandOutcome failedWith(int hostError, bool atDestination) {
    ExpandOutcome outcome;
    outcome.state = State::failed;
    outcome.atDestination = atDestination;
    const bool missingFolder = hostError == ENOENT && atDestination;
    outcome.number = missingFolder    ? ErrorNumber::PathNotFound
                     : hostError != 0 ? runtimeErrorFromErrno(hostError)
                                      : ErrorNumber::PathFileAccess;
    outcome.reason = missingFolder || hostError == 0 ? runtimeErrorText(outcome.number)
                                                     : std::strerror(hostError);
    return outcome;
}

ExpandOutcome failedWith(int number, std::string reason) {
    ExpandOutcome outcome;
    outcome.state = State::failed;
    outcome.number = number;
    outcome.reason = std::move(reason);
    return outcome;
}

// The source's format and what is wrong with it: "KWAJ method 3 (LZH),
// compressed data is damaged".
std::string damageText(const LZCOPYINFO& info) {
    CompressedInfo header;
    header.format = info.format;
    header.method = info.method;
    return formatAndMethodText(header) + ", " + szdd::statusText(info.damage);
}

// The outcome of a copy that did not complete: LZCopy's negative `copied`.
ExpandOutcome copyFailure(std::int64_t copied, int copyError, const LZCOPYINFO& info) {
    switch (copied) {
    case LZERROR_STOPPED: {
        ExpandOutcome outcome;
        outcome.state = State::stopped;
        return outcome;
    }
    case LZERROR_READ:
        return copyError != 0 ? failedWith(copyError, false)
                              : failedWith(ErrorNumber::PathFileAccess,
                                           "changed while it was read; not expanded");
    case LZERROR_WRITE:
        return failedWith(copyError, true);
    case LZERROR_GLOBALLOC:
        return failedWith(ErrorNumber::OutOfMemory, runtimeErrorText(ErrorNumber::OutOfMemory));
    case LZERROR_UNKNOWNALG:
    case LZERROR_DAMAGED: // a refused header; damaged data is State::damaged
        return failedWith(ErrorNumber::InvalidFileFormat, damageText(info) + "; not expanded");
    default:
        return failedWith(ErrorNumber::InternalError, runtimeErrorText(ErrorNumber::InternalError));
    }
}

// Whether LZERROR_DAMAGED with `damage` means a header that was refused
// (nothing written) rather than damaged data.
bool headerRefused(szdd::Status damage) {
    using szdd::Status;
    return damage == Status::headerTruncated || damage == Status::badName ||
           damage == Status::badDataOffset;
}

// The outcome of one file from what LZCopy and LZClose returned.
ExpandOutcome outcomeOf(std::int64_t copied, int copyError, const LZCOPYINFO& info, int closed,
                        int closeError) {
    // Damaged data leaves what could be expanded, as a wrong length does.
    const bool damagedData = copied == LZERROR_DAMAGED && !headerRefused(info.damage);
    const bool damaged = copied == LZERROR_BADLENGTH || damagedData;
    if (copied < 0 && !damaged)
        return copyFailure(copied, copyError, info);
    if (closed < 0)
        return failedWith(closeError, true);
    ExpandOutcome outcome;
    outcome.info = info;
    if (damaged) {
        outcome.state = State::damaged;
        outcome.number = ErrorNumber::InvalidFileFormat;
        if (damagedData)
            outcome.reason = damageText(info);
    } else {
        outcome.state = info.compressed ? State::expanded : State::copied;
    }
    return outcome;
}

} // namespace

ExpandRun::ExpandRun(std::vector<ExpandJob> jobs)
    : jobs_(std::move(jobs)), outcomes_(jobs_.size()) {
    std::error_code error;
    for (const ExpandJob& job : jobs_) {
        const auto size = fs::file_size(job.source, error);
        sizes_.push_back(error ? 0 : size);
        totalBytes_ += sizes_.back();
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

void ExpandRun::cancel() {
    cancelled_ = true;
    // The worker checks the flag after it publishes its handle, so one of
    // the two sees the other.
    if (const int handle = destination_; handle >= 0)
        LZStop(handle);
}

void ExpandRun::wait() {
    if (thread_.joinable())
        thread_.join();
}

std::uint64_t ExpandRun::bytesDone() const {
    const std::uint64_t now = bytesReadBy(worker_);
    const std::uint64_t reading = now > readAtFileStart_ ? now - readAtFileStart_ : 0;
    const std::size_t index = std::size_t(current_);
    const std::uint64_t size = index < sizes_.size() ? sizes_[index] : 0;
    return std::min(totalBytes_, finishedBytes_ + std::min(reading, size));
}

void ExpandRun::run() {
    worker_ = static_cast<int>(::gettid());
    for (std::size_t i = 0; i < jobs_.size() && !cancelled_; ++i) {
        current_ = static_cast<int>(i);
        readAtFileStart_ = bytesReadBy(worker_);
        outcomes_[i] = expandOne(jobs_[i]);
        finishedBytes_ += sizes_[i];
    }
    finished_ = true;
    if (onFinished_)
        onFinished_();
}

ExpandOutcome ExpandRun::expandOne(const ExpandJob& job) {
    OFSTRUCT record;
    const int in = LZOpenFileA(job.source, record, OF_READ);
    if (in < 0)
        return failedWith(LZLastError(), false);
    const int out = LZOpenFileA(job.destination, record, OF_CREATE);
    if (out < 0) {
        const int error = LZLastError();
        LZClose(in);
        return failedWith(error, true);
    }
    destination_ = out;
    if (cancelled_)
        LZStop(out);
    const std::int64_t copied = LZCopy(in, out);
    const int copyError = LZLastError();
    LZCOPYINFO info;
    LZCopyInfo(out, info);
    destination_ = -1;
    LZClose(in);
    const int closed = LZClose(out);
    return outcomeOf(copied, copyError, info, closed, LZLastError());
}

} // namespace crunchwise::commands
