// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/lz_expand.h"

#include "platform/file_transform.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <new>
#include <sys/stat.h>
#include <vector>

namespace crunchwise {
namespace {

// One open handle: a source read from its start at every copy, or a
// destination written under a temporary name.
struct LzFile {
    explicit LzFile(int openStyle) : style(openStyle) {}

    const int style;
    std::mutex mutex;
    PosixFile source;
    ReplacingFile output;
    bool failed = false;  // a copy into this destination failed
    bool damaged = false; // its expansion is damaged or not of the header's length
    std::atomic<bool> stop{false};
    LZCOPYINFO info; // of the last copy into this destination
};

thread_local int tLastError = 0;

class HandleTable {
public:
    // Returns the new handle, or LZERROR_GLOBALLOC when out of memory.
    int add(std::shared_ptr<LzFile> file) {
        std::lock_guard lock(mutex_);
        for (std::size_t i = 0; i < slots_.size(); ++i) {
            if (!slots_[i]) {
                slots_[i] = std::move(file);
                return static_cast<int>(i);
            }
        }
        try {
            slots_.push_back(std::move(file));
        } catch (const std::bad_alloc&) {
            return LZERROR_GLOBALLOC;
        }
        return static_cast<int>(slots_.size() - 1);
    }

    std::shared_ptr<LzFile> find(int handle) {
        std::lock_guard lock(mutex_);
        if (handle < 0 || static_cast<std::size_t>(handle) >= slots_.size())
            return nullptr;
        return slots_[static_cast<std::size_t>(handle)];
    }

    std::shared_ptr<LzFile> remove(int handle) {
        std::lock_guard lock(mutex_);
        if (handle < 0 || static_cast<std::size_t>(handle) >= slots_.size())
            return nullptr;
        return std::move(slots_[static_cast<std::size_t>(handle)]);
    }

private:
    std::mutex mutex_;
    std::vector<std::shared_ptr<LzFile>> slots_;
};

HandleTable& handles() {
    static HandleTable table;
    return table;
}

std::shared_ptr<LzFile> openSource(const std::string& name) {
    if (name.find('\0') != std::string::npos) {
        tLastError = EINVAL;
        return nullptr;
    }
    auto file = std::make_shared<LzFile>(OF_READ);
    struct stat info {};
    tLastError = file->source.open(name, O_RDONLY);
    if (tLastError == 0)
        tLastError = file->source.status(info);
    if (tLastError == 0 && !S_ISREG(info.st_mode))
        tLastError = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    return tLastError == 0 ? file : nullptr;
}

std::shared_ptr<LzFile> openDestination(const std::string& name) {
    auto file = std::make_shared<LzFile>(OF_CREATE);
    tLastError = file->output.open(name);
    return tLastError == 0 ? file : nullptr;
}

std::int64_t copyResult(const TransformResult& result) {
    using Status = TransformResult::Status;
    switch (result.status) {
    case Status::ok:
        return static_cast<std::int64_t>(result.expandedBytes);
    case Status::lengthDiffers:
        return LZERROR_BADLENGTH;
    case Status::stopped:
        return LZERROR_STOPPED;
    case Status::readFailed:
    case Status::sourceChanged:
    case Status::tooLarge:
        return LZERROR_READ;
    case Status::unknownMethod:
        return LZERROR_UNKNOWNALG;
    case Status::badHeader:
    case Status::damaged:
        return LZERROR_DAMAGED;
    case Status::outOfMemory:
        return LZERROR_GLOBALLOC;
    case Status::writeFailed:
        break;
    }
    return LZERROR_WRITE;
}

// Copies `in` into `out`, whose lock is held.
std::int64_t copyLocked(LzFile& in, LzFile& out) {
    std::lock_guard inLock(in.mutex);
    const TransformResult result = expandIntoFile(in.source, out.output, &out.stop);
    tLastError = result.hostError;
    out.info = {
        result.expandedBytes, result.compressed, result.headerLength, out.output.replacesExisting(),
        result.format,        result.method,     result.damage};
    // What was expanded of a damaged file is kept where no file was; a
    // refused header leaves nothing to keep.
    out.damaged = result.status == TransformResult::Status::lengthDiffers ||
                  result.status == TransformResult::Status::damaged;
    return copyResult(result);
}

} // namespace

int LZOpenFileA(const std::string& name, OFSTRUCT& record, int style) {
    (void)record;
    tLastError = 0;
    if (style != OF_READ && style != OF_CREATE)
        return LZERROR_BADVALUE;
    try {
        std::shared_ptr<LzFile> file = style == OF_READ ? openSource(name) : openDestination(name);
        if (!file)
            return LZERROR_BADINHANDLE;
        return handles().add(std::move(file));
    } catch (const std::bad_alloc&) {
        return LZERROR_GLOBALLOC;
    }
}

std::int64_t LZCopy(int source, int destination) {
    tLastError = 0;
    const std::shared_ptr<LzFile> in = handles().find(source);
    const std::shared_ptr<LzFile> out = handles().find(destination);
    if (!out || out->style != OF_CREATE)
        return LZERROR_BADOUTHANDLE;
    std::lock_guard outLock(out->mutex);
    if (out->failed)
        return LZERROR_BADOUTHANDLE;
    const std::int64_t result =
        in && in->style == OF_READ ? copyLocked(*in, *out) : LZERROR_BADINHANDLE;
    // A failed copy must not replace the file that the destination names; a
    // damaged one only where no file was (see LZClose).
    out->failed = result < 0 && !out->damaged;
    return result;
}

int LZStop(int destination) {
    const std::shared_ptr<LzFile> out = handles().find(destination);
    if (!out || out->style != OF_CREATE)
        return LZERROR_BADOUTHANDLE;
    out->stop = true;
    return 0;
}

int LZCopyInfo(int destination, LZCOPYINFO& info) {
    const std::shared_ptr<LzFile> out = handles().find(destination);
    if (!out || out->style != OF_CREATE)
        return LZERROR_BADOUTHANDLE;
    std::lock_guard lock(out->mutex);
    info = out->info;
    return 0;
}

int LZLastError() {
    return tLastError;
}

int LZClose(int handle) {
    tLastError = 0;
    const std::shared_ptr<LzFile> file = handles().remove(handle);
    if (!file)
        return LZERROR_BADINHANDLE;
    std::lock_guard lock(file->mutex);
    if (file->style != OF_CREATE)
        return 0;
    if (file->failed || (file->damaged && file->output.replacesExisting())) {
        file->output.discard();
        return 0;
    }
    tLastError = file->output.commit();
    return tLastError == 0 ? 0 : LZERROR_WRITE;
}

} // namespace crunchwise
