// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a batch file line by line: compress, ren and del, nothing else.
//
// What it reports, for a program that follows the run:
// - on the standard output, one line per line of the batch that ran a
//   command (or was refused), as soon as it is done: "line N ok" or
//   "line N failed" (N counts every line of the file from 1);
// - on the standard error, for each failed line, "crunchws-cmd: line N:
//   reason", written before its "line N failed".
#pragma once

#include <cstddef>
#include <filesystem>
#include <iosfwd>
#include <string_view>

namespace crunchwise::tools {

// Exit codes of crunchws-cmd.
inline constexpr int kBatchOk = 0;
inline constexpr int kBatchLineFailed = 1; // at least one line failed or was refused
inline constexpr int kBatchUsage = 2;      // wrong arguments, or the batch file refused

// The largest batch file that is run; the program writes a few lines per file.
inline constexpr std::size_t kMaxBatchSize = 1024 * 1024;

// Runs the lines of `text` in order, reporting to `out` and `err` as above.
// Consecutive compress lines run side by side, as many as there are
// processors, when each names one source and one output and no output is a
// source or another output of those lines; otherwise one after another.
// compress.exe is looked for in the current folder, then in `ownFolder`,
// then along PATH. Stops early when an interrupt arrives (see interrupts.h),
// stopping the compressors it started. Returns kBatchOk or kBatchLineFailed.
int runBatchText(std::string_view text, const std::filesystem::path& ownFolder, std::ostream& out,
                 std::ostream& err);

// Reads the whole batch file first (its last line may delete it), then runs
// it. Returns kBatchUsage when it cannot be read, is no regular file (a pipe
// or a device would never end), or is larger than kMaxBatchSize; else as
// runBatchText.
int runBatchFile(const std::filesystem::path& file, const std::filesystem::path& ownFolder,
                 std::ostream& out, std::ostream& err);

} // namespace crunchwise::tools
