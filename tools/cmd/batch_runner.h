// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a batch file line by line: compress, ren and del, nothing else.
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

// Runs the lines of `text` in order. A line that fails or is refused is
// reported to `err` as "crunchws-cmd: line N: reason" and the next line runs.
// Returns kBatchOk or kBatchLineFailed.
int runBatchText(std::string_view text, std::ostream& err);

// Reads the whole batch file first (its last line may delete it), then runs
// it. Returns kBatchUsage when it cannot be read, is no regular file (a pipe
// or a device would never end), or is larger than kMaxBatchSize; else as
// runBatchText.
int runBatchFile(const std::filesystem::path& file, std::ostream& err);

} // namespace crunchwise::tools
