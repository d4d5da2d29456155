// SPDX-License-Identifier: GPL-3.0-or-later
// expand.exe -l and -t: list and check compressed files without writing.
#pragma once

#include "tools/common/tool_arguments.h"

#include <iosfwd>

namespace crunchwise::tools {

// Prints one line per file of `command` to `out`, as gzip -l does: the
// compressed and expanded sizes, the ratio, the format and method, the file
// and the name it expands to; a total when there are several. Files that
// cannot be read, or whose header is refused, are reported on `err`.
// Returns exitOk or the first failure's exit code.
int listFiles(const ToolCommand& command, std::ostream& out, std::ostream& err);

// Expands each file of `command` into nothing, reporting every damaged or
// unreadable one on `err`. Returns exitOk when all are sound (a file that is
// not compressed is: expand.exe copies it), else the first failure's exit
// code (exitCorruptSource for damage).
int testFiles(const ToolCommand& command, std::ostream& err);

} // namespace crunchwise::tools
