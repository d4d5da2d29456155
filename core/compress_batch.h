// SPDX-License-Identifier: GPL-3.0-or-later
// The batch file of a Compress run: its lines, quoted by the batch runner's
// rules, and a run split into batches the runner accepts. Qt-free.
//
// For each file a compression line "compress --no-follow SOURCE DEST" (the
// compressor never writes through a link planted at DEST) and a rename line
// "ren DEST NEWNAME", then "del _tempcom.bat"; every line ends in CR LF.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace crunchwise::commands {

// `word` as one word of a batch line: in double quotes when it is empty or
// holds a blank, a tab or one of & | < > (inside quotes they are plain name
// characters; % and ^ are plain anyway). Raises run-time failure 64 (Bad file
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

// The batches of a run: the lines of each file kept together, each batch
// smaller than `limit` bytes, which the runner accepts. Batch k holds files
// first .. first + count - 1: their compression lines (line i + 1 for file
// first + i), their rename lines (line count + i + 1), then the del line.
struct Batch {
    std::string text;
    std::size_t first = 0;
    std::size_t count = 0;
};
std::vector<Batch> splitIntoBatches(const std::vector<BatchLines>& files, std::size_t limit);

} // namespace crunchwise::commands
