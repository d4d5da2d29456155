// SPDX-License-Identifier: GPL-3.0-or-later
// The batch file of a Compress run: its lines, quoted by the batch runner's
// rules, and the place it is written to. Qt-free.
//
// For each file a compression line "compress SOURCE DEST" and a rename line
// "ren DEST NEWNAME", then "del _tempcom.bat"; every line ends in CR LF.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace crunchwise::commands {

inline constexpr std::string_view kBatchFileName = "_tempcom.bat";

// `word` as one word of a batch line: in double quotes when it is empty or
// holds a blank, a tab or one of & | < > (inside quotes they are plain name
// characters; % and ^ are plain anyway). Raises run-time failure 52 (Bad file
// name) for a word that no quoting can carry: one holding a double quote, a
// carriage return or a line feed.
std::string batchWord(std::string_view word);

// The two lines of one file (without line ends): compressing `shortFolder`
// (with its separator) + `shortName` into `shortDestination` (with its
// separator) + compressed short name, and renaming that to the compressed
// `longName` (see compressed_name.h). Raises run-time failure 5 when either
// name is empty, and as batchWord does.
struct BatchLines {
    std::string compress;
    std::string ren;
};
BatchLines batchLinesFor(const std::string& shortFolder, const std::string& shortName,
                         const std::string& longName, const std::string& shortDestination);

// The last line: the batch deletes itself from its current folder.
std::string deleteLine();

// Where a batch is written and run from.
struct BatchPlace {
    std::filesystem::path file;   // the batch file, named kBatchFileName
    std::filesystem::path folder; // its folder, the runner's current folder
};

// Creates an empty batch file: `programFolder`/_tempcom.bat when that file
// can be created there and does not exist yet (an existing one belongs to a
// batch that has not finished), else _tempcom.bat in a new folder of its own
// under `ownFolder` (created with mode 0700 when missing). Raises the host
// error when neither can be created.
BatchPlace createBatchFile(const std::filesystem::path& programFolder,
                           const std::filesystem::path& ownFolder);

// Writes `text` to the batch file `file`, replacing what it holds. Raises the
// host error on failure.
void writeBatchFile(const std::filesystem::path& file, std::string_view text);

// Removes the empty run folders that finished batches left under
// `ownFolder`; folders still holding a batch stay. Never fails.
void removeFinishedRunFolders(const std::filesystem::path& ownFolder);

} // namespace crunchwise::commands
