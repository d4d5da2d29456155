// SPDX-License-Identifier: GPL-3.0-or-later
// What the batch runner (crunchws-cmd) takes and how it ends, shared by the
// runner and the window that follows it. Qt-free.
//
// It reports, for a program that follows the run:
// - on the standard output, one line per line of the batch that ran a
//   command (or was refused), as soon as it is done: "line N ok" or
//   "line N failed" (N counts every line of the file from 1);
// - on the standard error, for each failed line, "crunchws-cmd: line N:
//   reason", written before its "line N failed".
#pragma once

#include <cstddef>

namespace crunchwise::commands {

// Exit codes of crunchws-cmd.
inline constexpr int kBatchOk = 0;
inline constexpr int kBatchLineFailed = 1; // at least one line failed or was refused
inline constexpr int kBatchUsage = 2;      // wrong arguments, or the batch file refused

// The largest batch file that is run; the window writes a few lines per file.
inline constexpr std::size_t kMaxBatchSize = 1024 * 1024;

} // namespace crunchwise::commands
