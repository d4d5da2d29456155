// SPDX-License-Identifier: GPL-3.0-or-later
// The selection capture with which Compress and Expand begin: the selected
// files of the main window's file list go into its hidden lists lstToCompress
// (full paths), lstLongName (names as listed) and lstDOSName (short names),
// in list order, with the folder in txtDOSPath and txtPATH.
#pragma once

class frmMain;

namespace crunchwise {

class ErrorTrap;

namespace commands {

// Reset phase. Returns false, changing nothing, when the file list has no
// current item; otherwise empties the four hidden fields and the three lists.
bool ResetSelection(frmMain& form, ErrorTrap& trap);

// Fill phase. Returns false when no file is selected. A file without a short
// form gets an empty lstDOSName entry. Any number of files works.
bool FillSelection(frmMain& form, ErrorTrap& trap);

} // namespace commands
} // namespace crunchwise
