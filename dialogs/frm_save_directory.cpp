// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/frm_save_directory.h"

#include "errors/error_trap.h"

namespace crunchwise {

frmSaveDirectory::frmSaveDirectory(QWidget* parent, const DriveListBox* mainDrive,
                                   const DirListBox* mainDir)
    : SaveDirectoryDialog(parent, "frmSaveDirectory", {1995, 1050, 1560}, mainDrive, mainDir) {}

void frmSaveDirectory::cmdSave_Click() {
    ErrorTrap trap(tag("cmdSave_Click"));
    trap.step([&] { saveFolder(); });
    trap.step([&] { done(QDialog::Accepted); });
}

} // namespace crunchwise
