// SPDX-License-Identifier: GPL-3.0-or-later
// What Compress needs around its batch: the launcher and the compressor
// beside the program, the user's own folder for batches, and the launch.
#pragma once

#include <filesystem>
#include <string>

namespace crunchwise::commands {

inline constexpr const char* kPifFileName = "crunchws.pif";
// Where a compressor that writes the same format can be had.
inline constexpr const char* kCompressorDownload =
    "https://packages.debian.org/bookworm/mscompress";

// True when the launcher file lies in `programFolder` as a regular file.
bool pifPresent(const std::filesystem::path& programFolder);

// True when the batch runner will find compress.exe (letter case ignored):
// in `programFolder`, else along PATH.
bool compressorPresent(const std::filesystem::path& programFolder);

// The user's own folder for batches that cannot go to the program folder:
// "Crunchwise" in the runtime folder, else in the cache folder.
std::filesystem::path ownBatchFolder();

// Puts `folder` (when not empty) first on PATH for the life of the object,
// so that a batch run elsewhere still finds the program folder's compressor.
class SearchPathWith {
public:
    explicit SearchPathWith(const std::string& folder);
    ~SearchPathWith();
    SearchPathWith(const SearchPathWith&) = delete;
    SearchPathWith& operator=(const SearchPathWith&) = delete;

private:
    bool changed_ = false;
    bool hadPath_ = false;
    std::string oldPath_;
};

// Raises the run-time failure for a launcher result of 32 or less: 53 (file
// not found), 76 (path not found) or 5 for any other refusal.
void raiseLaunchFailure(int shellExecuteResult);

} // namespace crunchwise::commands
