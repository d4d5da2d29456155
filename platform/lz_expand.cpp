// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/lz_expand.h"

#include "platform/replacing_file.h"
#include "szdd/szdd.h"

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace crunchwise {
namespace {

constexpr std::size_t kChunkSize = 64 * 1024;

// One open handle: a source read from its start at every copy, or a
// destination written under a temporary name.
struct LzFile {
    explicit LzFile(int openStyle) : style(openStyle) {}
    ~LzFile() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    LzFile(const LzFile&) = delete;
    LzFile& operator=(const LzFile&) = delete;

    const int style;
    std::mutex mutex;
    // Source side.
    int fd = -1;
    bool compressed = false;
    bool unknownMethod = false;
    struct timespec mtime {};
    // Destination side.
    ReplacingFile output;
    bool failed = false;
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

// Reads up to `size` bytes at `offset`, retrying interrupted calls. Returns
// the count read (0 at the end) or -1 on failure.
ssize_t readAt(int fd, std::uint8_t* data, std::size_t size, std::uint64_t offset) {
    for (;;) {
        const ssize_t got = ::pread(fd, data, size, static_cast<off_t>(offset));
        if (got >= 0 || errno != EINTR) {
            return got;
        }
    }
}

std::shared_ptr<LzFile> openSource(const std::string& name) {
    if (name.find('\0') != std::string::npos) {
        return nullptr;
    }
    auto file = std::make_shared<LzFile>(OF_READ);
    file->fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (file->fd < 0 || ::fstat(file->fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        return nullptr;
    }
    file->mtime = info.st_mtim;
    std::uint8_t start[szdd::kHeaderSize];
    const ssize_t got = readAt(file->fd, start, sizeof start, 0);
    if (got <= 0) {
        return file; // empty, or unreadable: the copy reports it
    }
    szdd::Header header;
    const szdd::Status status = szdd::readHeader({start, static_cast<std::size_t>(got)}, header);
    file->compressed = status == szdd::Status::ok;
    file->unknownMethod = status == szdd::Status::unknownMethod;
    return file;
}

std::shared_ptr<LzFile> openDestination(const std::string& name) {
    auto file = std::make_shared<LzFile>(OF_CREATE);
    if (file->output.open(name) != 0) {
        return nullptr;
    }
    return file;
}

std::int64_t copyPlain(const LzFile& source, ReplacingFile& output) {
    std::vector<std::uint8_t> chunk(kChunkSize);
    std::uint64_t total = 0;
    for (;;) {
        const ssize_t got = readAt(source.fd, chunk.data(), chunk.size(), total);
        if (got < 0) {
            return LZERROR_READ;
        }
        if (got == 0) {
            return static_cast<std::int64_t>(total);
        }
        if (output.write(chunk.data(), static_cast<std::size_t>(got)) != 0) {
            return LZERROR_WRITE;
        }
        total += static_cast<std::uint64_t>(got);
    }
}

std::int64_t copyExpanded(const LzFile& source, ReplacingFile& output) {
    szdd::Decoder decoder([&output](const std::uint8_t* data, std::size_t size) {
        return output.write(data, size) == 0;
    });
    std::vector<std::uint8_t> chunk(kChunkSize);
    std::uint64_t offset = szdd::kHeaderSize;
    for (;;) {
        const ssize_t got = readAt(source.fd, chunk.data(), chunk.size(), offset);
        if (got < 0) {
            return LZERROR_READ;
        }
        if (got == 0) {
            break;
        }
        offset += static_cast<std::uint64_t>(got);
        if (decoder.feed({chunk.data(), static_cast<std::size_t>(got)}) != szdd::Status::ok) {
            return LZERROR_WRITE;
        }
    }
    const szdd::Status status = decoder.finish();
    if (status == szdd::Status::truncated) {
        return LZERROR_READ;
    }
    if (status != szdd::Status::ok || output.flush() != 0) {
        return LZERROR_WRITE;
    }
    return static_cast<std::int64_t>(decoder.produced());
}

std::int64_t copyInto(const LzFile& source, ReplacingFile& output) {
    if (source.unknownMethod) {
        return LZERROR_UNKNOWNALG;
    }
    const std::int64_t written =
        source.compressed ? copyExpanded(source, output) : copyPlain(source, output);
    if (written >= 0 && output.setModificationTime(source.mtime) != 0) {
        return LZERROR_WRITE;
    }
    return written;
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
        try {
            result = copyInto(*in, out->output);
        } catch (const std::bad_alloc&) {
            result = LZERROR_GLOBALLOC;
        }
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
