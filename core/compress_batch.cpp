// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/compress_batch.h"

#include "core/batch_file.h"
#include "core/compressed_name.h"
#include "failures/runtime_error.h"

namespace crunchwise::commands {

namespace {

bool needsQuotes(std::string_view word) {
    return word.empty() || word.find_first_of(" \t&|<>") != std::string_view::npos;
}

} // namespace

std::string batchWord(std::string_view word) {
    if (word.find_first_of("\"\r\n") != std::string_view::npos)
        throw RuntimeError(ErrorNumber::BadName, "Bad file name: a batch line cannot carry a "
                                                 "double quote or a line break");
    if (!needsQuotes(word))
        return std::string(word);
    return '"' + std::string(word) + '"';
}

BatchLines batchLinesFor(const std::string& shortFolder, const std::string& shortName,
                         const std::string& longName, const std::string& shortDestination) {
    if (shortName.empty() || longName.empty())
        raiseRuntimeError(ErrorNumber::InvalidArgument); // a file without a name to compress
    const std::string compressed = shortDestination + compressedName(shortName);
    return {"compress --no-follow " + batchWord(shortFolder + shortName) + ' ' +
                batchWord(compressed),
            "ren " + batchWord(compressed) + ' ' + batchWord(compressedName(longName))};
}

std::string deleteLine() {
    return "del " + std::string(kBatchFileName);
}

std::vector<Batch> splitIntoBatches(const std::vector<BatchLines>& files, std::size_t limit) {
    const std::string last = deleteLine() + "\r\n";
    std::vector<Batch> batches;
    std::string compressLines;
    std::string renLines;
    Batch batch;
    const auto close = [&] {
        const std::size_t next = batch.first + batch.count;
        batch.text = compressLines + renLines + last;
        batches.push_back(std::move(batch));
        batch = Batch{{}, next, 0};
        compressLines.clear();
        renLines.clear();
    };
    for (const BatchLines& file : files) {
        const std::size_t added = file.compress.size() + file.ren.size() + 4;
        if (batch.count > 0 &&
            compressLines.size() + renLines.size() + added + last.size() >= limit)
            close();
        compressLines += file.compress + "\r\n";
        renLines += file.ren + "\r\n";
        ++batch.count;
    }
    if (batch.count > 0)
        close();
    return batches;
}

} // namespace crunchwise::commands
