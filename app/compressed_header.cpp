// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/compressed_header.h"

#include "common/file_name_codec.h"
#include "core/expanded_name.h"

#include <array>
#include <fcntl.h>

namespace crunchwise::commands {

int readHeaderAt(const QString& path, CompressedInfo& info) {
    info = {};
    PosixFile file;
    // Non-blocking, so that a pipe in the list never stalls the window.
    if (const int error =
            file.open(FileNameCodec::hostPath(path), O_RDONLY | O_NONBLOCK | O_NOCTTY);
        error != 0)
        return error;
    struct stat status {};
    if (const int error = file.status(status); error != 0)
        return error;
    if (!S_ISREG(status.st_mode))
        return 0;
    // SZDD and SZ headers lie in the first bytes; only KWAJ, whose header
    // can run to 128 KiB, needs the long read, so that a large selection is
    // not read 128 KiB a file before "Expand To" shows.
    std::array<std::uint8_t, 4096> start{};
    const ssize_t got = file.readSomeAt(0, start.data(), start.size());
    if (got < 0)
        return static_cast<int>(-got);
    const std::span<const std::uint8_t> head(start.data(), static_cast<std::size_t>(got));
    const auto size = static_cast<std::uint64_t>(status.st_size);
    if (head.size() == size ||
        (head.size() >= szdd::kHeaderSize && szdd::detectFormat(head) != szdd::Format::kwaj)) {
        info = compressedInfoOf(head, size);
        return 0;
    }
    return readCompressedInfo(file, info);
}

QString proposedExpandedName(const QString& path, const QString& name) {
    CompressedInfo info;
    readHeaderAt(path, info);
    return FileNameCodec::fromHostPath(ProposedExpandedName(FileNameCodec::hostPath(name), info));
}

} // namespace crunchwise::commands
