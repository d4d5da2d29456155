// SPDX-License-Identifier: GPL-3.0-or-later
// expand.exe: restores SZDD, SZ and KWAJ files; other files are copied as
// they are, as the LZ library reads them. Also lists (-l) and checks (-t)
// compressed files.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace crunchwise::tools {

// Runs expand.exe with `arguments` (without the program name), printing
// help to `out` and failures to `err`. Returns an ExitCode.
int runExpandTool(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

} // namespace crunchwise::tools
