// SPDX-License-Identifier: GPL-3.0-or-later
// compress.exe: writes the SZDD form of each source file.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace crunchwise::tools {

// The name that -r gives a compressed file: its last character replaced by
// "_" (SETUP.EXE gives SETUP.EX_). An empty name stays empty.
std::string compressedName(const std::string& name);

// Runs compress.exe with `arguments` (without the program name), printing
// help to `out` and failures to `err`. Returns an ExitCode.
int runCompressTool(const std::vector<std::string>& arguments, std::ostream& out,
                    std::ostream& err);

} // namespace crunchwise::tools
