// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/expand/expand_list.h"

#include "core/expanded_name.h"
#include "platform/compressed_info.h"
#include "tools/common/exit_code.h"
#include "tools/common/file_job.h"
#include "tools/common/standard_streams.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <optional>
#include <ostream>
#include <unistd.h>

namespace crunchwise::tools {
namespace fs = std::filesystem;
namespace {

constexpr const char* kProgram = "expand.exe";

// Opens `file` to be read; standard input is held in a temporary when
// `spool` (to be read twice). Returns exitOk or the code after reporting.
ExitCode openToRead(const fs::path& file, bool spool, PosixFile& opened, std::ostream& err) {
    const auto refuse = [&](const std::string& reason) {
        reportFailure(err, kProgram, file, reason);
        return exitSourceUnreadable;
    };
    if (!isStandardStream(file)) {
        std::error_code error;
        if (!fs::exists(file, error))
            return refuse(std::strerror(ENOENT));
        if (!fs::is_regular_file(file, error))
            return refuse("not a regular file");
        const int opening = opened.open(file, O_RDONLY);
        return opening == 0 ? exitOk : refuse(std::strerror(opening));
    }
    if (isTerminal(STDIN_FILENO))
        return refuse("compressed data not read from a terminal");
    if (const int error = openStandardInput(opened); error != 0)
        return refuse(std::strerror(error));
    if (!spool)
        return exitOk;
    PosixFile spooled;
    bool readFailed = false;
    if (const int error = spoolToTemporary(opened, std::numeric_limits<std::uint64_t>::max(),
                                           spooled, readFailed);
        error != 0)
        return refuse((readFailed ? "" : "cannot be held in a temporary file: ") +
                      std::string(std::strerror(error)));
    opened = std::move(spooled);
    return exitOk;
}

struct Row {
    std::uint64_t compressed = 0;
    std::uint64_t expanded = 0;
    std::string format;
    std::string names; // "FILE -> EXPANDED"
};

std::string ratio(std::uint64_t compressed, std::uint64_t expanded) {
    const double saved =
        expanded == 0 ? 0.0 : 100.0 * (1.0 - static_cast<double>(compressed) / expanded);
    char text[32];
    std::snprintf(text, sizeof text, "%.1f%%", saved);
    return text;
}

void printRow(std::ostream& out, const Row& row) {
    char line[96];
    std::snprintf(line, sizeof line, "%10llu %10llu %7s  %-22s  ",
                  static_cast<unsigned long long>(row.compressed),
                  static_cast<unsigned long long>(row.expanded),
                  ratio(row.compressed, row.expanded).c_str(), row.format.c_str());
    out << line << row.names << '\n';
}

// The row of one open file. Returns exitOk or the code after reporting.
ExitCode rowOf(const fs::path& file, const PosixFile& opened, Row& row, std::ostream& err) {
    CompressedInfo info;
    struct stat status {};
    int error = readCompressedInfo(opened, info);
    if (error == 0)
        error = opened.status(status);
    const FileJob job{file, {}};
    if (error != 0)
        return reportTransformFailure(job, kProgram, {TransformResult::Status::readFailed, error},
                                      err);
    if (info.header != szdd::Status::ok)
        return reportTransformFailure(job, kProgram, headerRefused(info), err);
    row.compressed = static_cast<std::uint64_t>(status.st_size);
    row.expanded = info.expandedLength.value_or(row.compressed);
    if (info.format == szdd::Format::kwaj && !info.expandedLength) {
        const TransformResult result = expandStream(opened, {}); // no stored length: measured
        if (result.status != TransformResult::Status::ok)
            return reportTransformFailure(job, kProgram, result, err);
        row.expanded = result.expandedBytes;
    }
    row.format = formatAndMethodText(info);
    const bool stream = isStandardStream(file);
    const std::string proposed =
        stream ? (IsSafeFileName(info.storedName) ? info.storedName : std::string("-"))
               : ProposedExpandedName(file.filename().string(), info);
    row.names = file.string() + " -> " + proposed;
    return exitOk;
}

} // namespace

int listFiles(const ToolCommand& command, std::ostream& out, std::ostream& err) {
    int result = exitOk;
    Row total;
    std::size_t listed = 0;
    out << "compressed   expanded   ratio  format                  file -> expands to\n";
    for (const fs::path& file : command.files) {
        PosixFile opened;
        Row row;
        ExitCode code = openToRead(file, true, opened, err);
        if (code == exitOk)
            code = rowOf(file, opened, row, err);
        if (code != exitOk) {
            result = result == exitOk ? code : result;
            continue;
        }
        printRow(out, row);
        total.compressed += row.compressed;
        total.expanded += row.expanded;
        ++listed;
    }
    if (listed > 1) {
        total.names = "(totals)";
        printRow(out, total);
    }
    return result;
}

int testFiles(const ToolCommand& command, std::ostream& err) {
    int result = exitOk;
    for (const fs::path& file : command.files) {
        PosixFile opened;
        ExitCode code = openToRead(file, false, opened, err);
        if (code == exitOk)
            code = reportTransformFailure({file, {}}, kProgram, expandStream(opened, {}), err);
        if (result == exitOk)
            result = code;
    }
    return result;
}

} // namespace crunchwise::tools
