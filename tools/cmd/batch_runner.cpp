// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/cmd/batch_runner.h"

#include "tools/cmd/batch_commands.h"
#include "tools/cmd/batch_line.h"

#include <fstream>
#include <iterator>
#include <ostream>
#include <string>

namespace crunchwise::tools {
namespace {

CommandOutcome runLine(const BatchLine& line) {
    switch (line.kind) {
    case BatchLine::Kind::nothing:
        return {};
    case BatchLine::Kind::compress:
        return runCompress(line.arguments);
    case BatchLine::Kind::ren:
        return runRen(line.arguments);
    case BatchLine::Kind::del:
        return runDel(line.arguments);
    case BatchLine::Kind::refused:
    case BatchLine::Kind::unknown:
        break;
    }
    return {false, line.reason};
}

} // namespace

int runBatchText(std::string_view text, std::ostream& err) {
    int result = kBatchOk;
    std::size_t number = 0;
    for (const std::string_view line : splitBatchLines(text)) {
        ++number;
        const CommandOutcome outcome = runLine(parseBatchLine(line));
        if (!outcome.ok) {
            err << "crunchws-cmd: line " << number << ": " << outcome.reason << std::endl;
            result = kBatchLineFailed;
        }
    }
    return result;
}

int runBatchFile(const std::filesystem::path& file, std::ostream& err) {
    std::error_code error;
    std::ifstream in(file, std::ios::binary);
    if (!in || std::filesystem::is_directory(file, error)) {
        err << "crunchws-cmd: " << file.string() << ": cannot be read" << std::endl;
        return kBatchUsage;
    }
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        err << "crunchws-cmd: " << file.string() << ": read failure" << std::endl;
        return kBatchUsage;
    }
    in.close();
    return runBatchText(text, err);
}

} // namespace crunchwise::tools
