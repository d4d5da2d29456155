// SPDX-License-Identifier: GPL-3.0-or-later
// compress.exe: writes the SZDD form of each source file.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace crunchwise::tools {

// Runs compress.exe with `arguments` (without the program name), printing
// help to `out` and failures to `err`. Returns an ExitCode.
int runCompressTool(const std::vector<std::string>& arguments, std::ostream& out,
                    std::ostream& err);

} // namespace crunchwise::tools
