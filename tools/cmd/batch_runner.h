// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a batch file line by line: compress, ren and del, nothing else. What
// it reports and how it ends: core/batch_protocol.h.
#pragma once

#include "core/batch_protocol.h"

#include <filesystem>
#include <iosfwd>
#include <string_view>

namespace crunchwise::tools {

using commands::kBatchLineFailed;
using commands::kBatchOk;
using commands::kBatchUsage;
using commands::kMaxBatchSize;

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
