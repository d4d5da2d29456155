// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/lz_expand.h"

#include "platform/file_transform.h"

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
    bool failed = false; // a copy into this destination failed
};

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
        if (handle < 0 || static_cast<std::size_t>(handle) >= slots_.size()) {
            return nullptr;
        }
        return slots_[static_cast<std::size_t>(handle)];
    }

    std::shared_ptr<LzFile> remove(int handle) {
        std::lock_guard lock(mutex_);
        if (handle < 0 || static_cast<std::size_t>(handle) >= slots_.size()) {
            return nullptr;
        }
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
        return nullptr;
    }
    auto file = std::make_shared<LzFile>(OF_READ);
    struct stat info {};
    if (file->source.open(name, O_RDONLY) != 0 || file->source.status(info) != 0 ||
        !S_ISREG(info.st_mode)) {
        return nullptr;
    }
    return file;
}

std::shared_ptr<LzFile> openDestination(const std::string& name) {
    auto file = std::make_shared<LzFile>(OF_CREATE);
    if (file->output.open(name) != 0) {
        return nullptr;
    }
    return file;
}

std::int64_t copyResult(const TransformResult& result) {
    using Status = TransformResult::Status;
    switch (result.status) {
    case Status::ok:
        return static_cast<std::int64_t>(result.expandedBytes);
    case Status::readFailed:
    case Status::truncated:
    case Status::sourceChanged:
    case Status::tooLarge:
        return LZERROR_READ;
    case Status::unknownMethod:
        return LZERROR_UNKNOWNALG;
    case Status::outOfMemory:
        return LZERROR_GLOBALLOC;
    case Status::writeFailed:
        break;
    }
    return LZERROR_WRITE;
}

} // namespace

int LZOpenFileA(const std::string& name, OFSTRUCT& record, int style) {
    (void)record;
    if (style != OF_READ && style != OF_CREATE) {
        return LZERROR_BADVALUE;
    }
    try {
        std::shared_ptr<LzFile> file = style == OF_READ ? openSource(name) : openDestination(name);
        if (!file) {
            return LZERROR_BADINHANDLE;
        }
        return handles().add(std::move(file));
    } catch (const std::bad_alloc&) {
        return LZERROR_GLOBALLOC;
    }
}

std::int64_t LZCopy(int source, int destination) {
    const std::shared_ptr<LzFile> in = handles().find(source);
    const std::shared_ptr<LzFile> out = handles().find(destination);
    if (!out || out->style != OF_CREATE) {
        return LZERROR_BADOUTHANDLE;
    }
    std::lock_guard outLock(out->mutex);
    if (out->failed) {
        return LZERROR_BADOUTHANDLE;
    }
    std::int64_t result = LZERROR_BADINHANDLE;
    if (in && in->style == OF_READ) {
        std::lock_guard inLock(in->mutex);
        result = copyResult(expandIntoFile(in->source, out->output));
    }
    // A failed copy must not replace the file that the destination names.
    out->failed = result < 0;
    return result;
}

int LZClose(int handle) {
    const std::shared_ptr<LzFile> file = handles().remove(handle);
    if (!file) {
        return LZERROR_BADINHANDLE;
    }
    std::lock_guard lock(file->mutex);
    if (file->style != OF_CREATE) {
        return 0;
    }
    if (file->failed) {
        file->output.discard();
        return 0;
    }
    return file->output.commit() == 0 ? 0 : LZERROR_WRITE;
}

} // namespace crunchwise
