// SPDX-License-Identifier: GPL-3.0-or-later
// One line of a batch file, as the batch runner understands it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace crunchwise::tools {

struct BatchLine {
    enum class Kind {
        nothing,  // empty, a remark, or echo off/on
        compress, // compress SOURCE DEST (also compress.exe)
        ren,      // ren SOURCE NEWNAME (also rename)
        del,      // del NAME (also erase)
        refused,  // holds a NUL or an unquoted &, |, < or >: not run at all
        unknown,  // any other command: not run
    };
    Kind kind = Kind::nothing;
    std::vector<std::string> arguments; // the words after the command
    std::string reason;                 // why, for refused and unknown
};

// Classifies a line (without its line end). Words are split by the command
// interpreter's quoting; command names are matched in any letter case; a
// leading "@" is ignored. Has no failure: see `Kind`.
BatchLine parseBatchLine(std::string_view line);

// Splits the text of a batch file into lines ending in CR LF or LF.
std::vector<std::string_view> splitBatchLines(std::string_view text);

} // namespace crunchwise::tools
