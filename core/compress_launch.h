// SPDX-License-Identifier: GPL-3.0-or-later
// What Compress needs around its batches: the launcher file and the
// compressor beside the program, and where the batch runner finds that
// compressor. Qt-free.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace crunchwise::commands {

inline constexpr const char* kPifFileName = "crunchws.pif";
// Where a compressor that writes the same format can be had.
inline constexpr const char* kCompressorDownload =
    "https://packages.debian.org/bookworm/mscompress";

// True when the launcher file lies in `programFolder` as a regular file.
bool pifPresent(const std::filesystem::path& programFolder);

// Finds compress.exe (letter case ignored; a regular, executable file) in
// `currentFolder`, then in `ownFolder` (the batch runner's, that is the
// program folder), then in each folder of `searchPath` (":"-separated).
// Returns nothing when there is none.
std::optional<std::filesystem::path> findCompressor(const std::filesystem::path& currentFolder,
                                                    const std::filesystem::path& ownFolder,
                                                    const std::string& searchPath);

// True when the batch runner will find compress.exe (letter case ignored):
// in `programFolder` (its own folder), else along PATH.
bool compressorPresent(const std::filesystem::path& programFolder);

} // namespace crunchwise::commands
