// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/common/standard_streams.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <string>
#include <unistd.h>

namespace crunchwise::tools {
namespace {

std::string temporaryFolder() {
    const char* folder = std::getenv("TMPDIR");
    return folder != nullptr && *folder != '\0' ? folder : "/tmp";
}

// A new file that has no name: O_TMPFILE where the file system has it, else
// a named one removed at once.
int openUnnamed(PosixFile& file) {
    const std::string folder = temporaryFolder();
    if (file.open(folder, O_TMPFILE | O_RDWR | O_EXCL, 0600) == 0)
        return 0;
    std::string name = folder + "/crunchwise-XXXXXX";
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return errno;
    ::unlink(name.c_str());
    file = PosixFile(fd);
    return 0;
}

} // namespace

bool isTerminal(int fd) {
    return ::isatty(fd) == 1;
}

OutputWriter descriptorWriter(int fd) {
    return [fd](const std::uint8_t* data, std::size_t size) {
        return writeAllTo(fd, data, size);
    };
}

int openStandardInput(PosixFile& input) {
    const int fd = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0);
    if (fd < 0)
        return errno;
    input = PosixFile(fd);
    return 0;
}

int spoolToTemporary(const PosixFile& input, std::uint64_t limit, PosixFile& spool,
                     bool& readFailed) {
    readFailed = false;
    if (const int error = openUnnamed(spool); error != 0)
        return error;
    const auto chunk = std::make_unique<std::uint8_t[]>(kFileChunkSize);
    std::uint64_t total = 0;
    for (;;) {
        const ssize_t got = input.readSome(chunk.get(), kFileChunkSize);
        readFailed = got < 0;
        if (got < 0)
            return static_cast<int>(-got);
        if (got == 0)
            break;
        total += static_cast<std::uint64_t>(got);
        if (total > limit)
            return EFBIG;
        if (const int error = spool.writeAll(chunk.get(), static_cast<std::size_t>(got));
            error != 0)
            return error;
    }
    return ::lseek(spool.fd(), 0, SEEK_SET) < 0 ? errno : 0;
}

} // namespace crunchwise::tools
