// SPDX-License-Identifier: GPL-3.0-or-later
// What Compress needs around its batches: the launcher and the compressor
// beside the program, and what a failed launch means.
#pragma once

#include <filesystem>

namespace crunchwise::commands {

inline constexpr const char* kPifFileName = "crunchws.pif";
// Where a compressor that writes the same format can be had.
inline constexpr const char* kCompressorDownload =
    "https://packages.debian.org/bookworm/mscompress";

// True when the launcher file lies in `programFolder` as a regular file.
bool pifPresent(const std::filesystem::path& programFolder);

// True when the batch runner will find compress.exe (letter case ignored):
// in `programFolder` (its own folder), else along PATH.
bool compressorPresent(const std::filesystem::path& programFolder);

// Raises the run-time failure for a launcher result of 32 or less: 53 (file
// not found), 76 (path not found) or 5 for any other refusal.
void raiseLaunchFailure(int shellExecuteResult);

} // namespace crunchwise::commands
