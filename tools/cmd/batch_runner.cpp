// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/cmd/batch_runner.h"

#include "platform/posix_file.h"
#include "tools/cmd/batch_commands.h"
#include "tools/cmd/batch_line.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <ostream>
#include <string>
#include <sys/stat.h>

namespace crunchwise::tools {
namespace {

CommandOutcome runLine(const BatchLine& line) {
    switch (line.kind) {
    case BatchLine::Kind::nothing:
        return {};
    case BatchLine::Kind::compress:
        return runCompress(line.arguments);
    case BatchLine::Kind::ren:
        return runRen(line.arguments);
    case BatchLine::Kind::del:
        return runDel(line.arguments);
    case BatchLine::Kind::refused:
    case BatchLine::Kind::unknown:
        break;
    }
    return {false, line.reason};
}

} // namespace

int runBatchText(std::string_view text, std::ostream& err) {
    int result = kBatchOk;
    std::size_t number = 0;
    for (const std::string_view line : splitBatchLines(text)) {
        ++number;
        const CommandOutcome outcome = runLine(parseBatchLine(line));
        if (!outcome.ok) {
            err << "crunchws-cmd: line " << number << ": " << outcome.reason << std::endl;
            result = kBatchLineFailed;
        }
    }
    return result;
}

int runBatchFile(const std::filesystem::path& file, std::ostream& err) {
    auto refuse = [&](const std::string& reason) {
        err << "crunchws-cmd: " << file.string() << ": " << reason << std::endl;
        return kBatchUsage;
    };
    // Not blocking on open, so that a pipe without a writer is refused too.
    PosixFile batch;
    struct stat info {};
    if (batch.open(file, O_RDONLY | O_NONBLOCK) != 0 || batch.status(info) != 0) {
        return refuse("cannot be read");
    }
    if (!S_ISREG(info.st_mode)) {
        return refuse("not a regular file");
    }
    std::string text;
    const int error = info.st_size > static_cast<off_t>(kMaxBatchSize)
                          ? EFBIG
                          : batch.readAll(text, kMaxBatchSize);
    if (error == EFBIG) {
        return refuse("larger than 1 MiB; not run");
    }
    if (error != 0) {
        return refuse(std::string("read failure: ") + std::strerror(error));
    }
    batch.close();
    return runBatchText(text, err);
}

} // namespace crunchwise::tools
