// SPDX-License-Identifier: GPL-3.0-or-later
// Commands not built yet: each does nothing until its own file replaces it.
#include "commands/file_commands.h"

namespace crunchwise::commands {

void Delete(frmMain&) {}
void Rename(frmMain&) {}
void Properties(frmMain&) {}

} // namespace crunchwise::commands
