// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/compress_batch.h"

#include "commands/compressed_name.h"
#include "errors/runtime_error.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace crunchwise::commands {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kRunFolderPrefix = "batch-";

bool needsQuotes(std::string_view word) {
    return word.empty() || word.find_first_of(" \t&|<>") != std::string_view::npos;
}

// Creates `path` only when it does not exist. Returns the errno value, or 0.
int createExclusive(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return errno;
    ::close(fd);
    return 0;
}

fs::path newRunFolder(const fs::path& ownFolder) {
    std::error_code ignored;
    fs::create_directories(ownFolder.parent_path(), ignored);
    if (::mkdir(ownFolder.c_str(), 0700) != 0 && errno != EEXIST)
        raiseHostError(errno);
    std::string pattern = (ownFolder / kRunFolderPrefix).string() + "XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        raiseHostError(errno);
    return pattern;
}

} // namespace

std::string batchWord(std::string_view word) {
    if (word.find_first_of("\"\r\n") != std::string_view::npos)
        raiseRuntimeError(ErrorNumber::BadFileName);
    if (!needsQuotes(word))
        return std::string(word);
    return '"' + std::string(word) + '"';
}

BatchLines batchLinesFor(const std::string& shortFolder, const std::string& shortName,
                         const std::string& longName, const std::string& shortDestination) {
    if (shortName.empty() || longName.empty())
        raiseRuntimeError(ErrorNumber::InvalidArgument); // a file without a name to compress
    const std::string compressed = shortDestination + compressedName(shortName);
    return {"compress " + batchWord(shortFolder + shortName) + ' ' + batchWord(compressed),
            "ren " + batchWord(compressed) + ' ' + batchWord(compressedName(longName))};
}

std::string deleteLine() {
    return "del " + std::string(kBatchFileName);
}

BatchPlace createBatchFile(const fs::path& programFolder, const fs::path& ownFolder) {
    const fs::path inProgramFolder = programFolder / kBatchFileName;
    if (createExclusive(inProgramFolder) == 0)
        return {inProgramFolder, programFolder};
    const fs::path folder = newRunFolder(ownFolder);
    if (const int error = createExclusive(folder / kBatchFileName); error != 0)
        raiseHostError(error);
    return {folder / kBatchFileName, folder};
}

void writeBatchFile(const fs::path& file, std::string_view text) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        raiseHostError(errno);
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0) {
            const int error = errno;
            ::close(fd);
            raiseHostError(error);
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    if (::close(fd) != 0)
        raiseHostError(errno);
}

void removeFinishedRunFolders(const fs::path& ownFolder) {
    std::error_code error;
    for (fs::directory_iterator it(ownFolder, error), end; !error && it != end;
         it.increment(error)) {
        if (it->path().filename().string().starts_with(kRunFolderPrefix))
            ::rmdir(it->path().c_str()); // fails, as wanted, while a batch is in it
    }
}

} // namespace crunchwise::commands
