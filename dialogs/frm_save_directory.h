// SPDX-License-Identifier: GPL-3.0-or-later
// The Compress destination dialog: Save hands back the folder list's folder
// through Globals::SavePath; Cancel, Esc and the close box leave it empty.
#pragma once

#include "dialogs/save_directory_dialog.h"

namespace crunchwise {

class frmSaveDirectory : public SaveDirectoryDialog {
    Q_OBJECT
public:
    frmSaveDirectory(QWidget* parent, const DriveListBox* mainDrive, const DirListBox* mainDir);

protected:
    void cmdSave_Click() override;
};

} // namespace crunchwise
