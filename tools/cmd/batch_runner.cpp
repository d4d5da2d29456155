// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/cmd/batch_runner.h"

#include "core/compress_launch.h"
#include "core/output_plan.h"
#include "platform/posix_file.h"
#include "tools/cmd/batch_commands.h"
#include "tools/cmd/batch_line.h"
#include "tools/cmd/compress_children.h"
#include "tools/cmd/interrupts.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <ostream>
#include <sched.h>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace crunchwise::tools {
namespace {

struct Line {
    std::size_t number = 0; // from 1
    BatchLine parsed;
};

class Reporter {
public:
    Reporter(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}
    void report(std::size_t number, const CommandOutcome& outcome) {
        if (!outcome.ok) {
            err_ << "crunchws-cmd: line " << number << ": " << outcome.reason << std::endl;
            result_ = kBatchLineFailed;
        }
        out_ << "line " << number << (outcome.ok ? " ok" : " failed") << std::endl;
    }
    int result() const { return result_; }

private:
    std::ostream& out_;
    std::ostream& err_;
    int result_ = kBatchOk;
};

// The compressor, looked for once per batch.
class Compressor {
public:
    explicit Compressor(std::filesystem::path ownFolder) : ownFolder_(std::move(ownFolder)) {}
    const std::optional<std::filesystem::path>& path() {
        if (!lookedUp_) {
            std::error_code error;
            const char* searchPath = std::getenv("PATH");
            path_ = commands::findCompressor(std::filesystem::current_path(error), ownFolder_,
                                             searchPath ? searchPath : "");
            lookedUp_ = true;
        }
        return path_;
    }

private:
    std::filesystem::path ownFolder_;
    bool lookedUp_ = false;
    std::optional<std::filesystem::path> path_;
};

CommandOutcome runSingle(const BatchLine& line) {
    switch (line.kind) {
    case BatchLine::Kind::ren:
        return runRen(line.arguments);
    case BatchLine::Kind::del:
        return runDel(line.arguments);
    default:
        return {false, line.reason};
    }
}

// The source and output of a compress line that names just those two
// (after an optional --no-follow); nothing for any other line.
std::optional<commands::OutputJob> plainJob(const BatchLine& line) {
    std::vector<std::string> words = line.arguments;
    if (!words.empty() && words.front() == "--no-follow")
        words.erase(words.begin());
    if (words.size() != 2 || words[0].starts_with('-') || words[1].starts_with('-'))
        return std::nullopt;
    return commands::OutputJob{words[0], words[1]};
}

// True when the compress lines may run side by side: none writes what
// another reads or writes.
bool independent(const std::vector<Line>& group) {
    std::vector<commands::OutputJob> jobs;
    for (const Line& line : group) {
        const auto job = plainJob(line.parsed);
        if (!job)
            return false;
        jobs.push_back(*job);
    }
    const auto checks = commands::checkOutputs(jobs);
    return std::all_of(checks.begin(), checks.end(), [](const commands::OutputCheck& check) {
        return check.verdict == commands::OutputVerdict::write ||
               check.verdict == commands::OutputVerdict::exists;
    });
}

std::size_t processors() {
    cpu_set_t set;
    if (::sched_getaffinity(0, sizeof set, &set) != 0)
        return 1;
    return std::max(1, CPU_COUNT(&set));
}

void runCompressGroup(const std::vector<Line>& group, Compressor& compressor, Reporter& reporter) {
    const auto& program = compressor.path();
    const std::size_t width = group.size() > 1 && independent(group) ? processors() : 1;
    CompressChildren children;
    for (std::size_t next = 0; next < group.size() || children.running() > 0;) {
        while (next < group.size() && children.running() < width && !interrupts::received()) {
            const Line& line = group[next++];
            if (!program) {
                reporter.report(line.number, {false, "compress.exe not found in the current "
                                                     "folder, the program folder or along PATH"});
            } else if (const auto failed =
                           children.start(*program, line.number, line.parsed.arguments)) {
                reporter.report(line.number, *failed);
            }
        }
        const auto finished = children.waitForOne();
        if (!finished)
            return; // an interrupt, or nothing left to wait for
        reporter.report(finished->line, finished->outcome);
    }
}

} // namespace

int runBatchText(std::string_view text, const std::filesystem::path& ownFolder, std::ostream& out,
                 std::ostream& err) {
    std::vector<Line> lines;
    for (const std::string_view line : splitBatchLines(text))
        lines.push_back({lines.size() + 1, parseBatchLine(line)});
    Reporter reporter(out, err);
    Compressor compressor(ownFolder);
    for (std::size_t i = 0; i < lines.size() && !interrupts::received();) {
        const BatchLine::Kind kind = lines[i].parsed.kind;
        if (kind == BatchLine::Kind::nothing) {
            ++i;
        } else if (kind != BatchLine::Kind::compress) {
            reporter.report(lines[i].number, runSingle(lines[i].parsed));
            ++i;
        } else {
            std::size_t end = i;
            while (end < lines.size() && lines[end].parsed.kind == BatchLine::Kind::compress)
                ++end;
            runCompressGroup({lines.begin() + static_cast<std::ptrdiff_t>(i),
                              lines.begin() + static_cast<std::ptrdiff_t>(end)},
                             compressor, reporter);
            i = end;
        }
    }
    return reporter.result();
}

int runBatchFile(const std::filesystem::path& file, const std::filesystem::path& ownFolder,
                 std::ostream& out, std::ostream& err) {
    auto refuse = [&](const std::string& reason) {
        err << "crunchws-cmd: " << file.string() << ": " << reason << std::endl;
        return kBatchUsage;
    };
    // Not blocking on open, so that a pipe without a writer is refused too.
    PosixFile batch;
    struct stat info {};
    if (batch.open(file, O_RDONLY | O_NONBLOCK) != 0 || batch.status(info) != 0)
        return refuse("cannot be read");
    if (!S_ISREG(info.st_mode))
        return refuse("not a regular file");
    std::string text;
    const int error = info.st_size > static_cast<off_t>(kMaxBatchSize)
                          ? EFBIG
                          : batch.readAll(text, kMaxBatchSize);
    if (error == EFBIG)
        return refuse("larger than 1 MiB; not run");
    if (error != 0)
        return refuse(std::string("read failure: ") + std::strerror(error));
    batch.close();
    return runBatchText(text, ownFolder, out, err);
}

} // namespace crunchwise::tools
