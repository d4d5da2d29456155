// SPDX-License-Identifier: GPL-3.0-or-later
// The file commands that mPopUp2_Click dispatches to, each acting on the
// main window's file list.
#pragma once

class frmMain;

namespace crunchwise::commands {

void Compress(frmMain& form);
void Expand(frmMain& form);
void Delete(frmMain& form);
void Rename(frmMain& form);
void Properties(frmMain& form);

} // namespace crunchwise::commands
