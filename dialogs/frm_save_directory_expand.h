// SPDX-License-Identifier: GPL-3.0-or-later
// The Expand destination dialog: a folder and the name to expand as. Save
// hands them back through Globals::SavePath and Globals::SaveFileName and
// refuses an empty name; Cancel, Esc and the close box leave SavePath empty.
#pragma once

#include "dialogs/save_directory_dialog.h"

class QLineEdit;

namespace crunchwise {

class frmSaveDirectoryExpand : public SaveDirectoryDialog {
    Q_OBJECT
public:
    frmSaveDirectoryExpand(QWidget* parent, const DriveListBox* mainDrive,
                           const DirListBox* mainDir);

    QLineEdit* txtFileName = nullptr;
    QLabel* Label2 = nullptr;

protected:
    void Form_Paint() override;
    void cmdSave_Click() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void txtFileName_GotFocus();
};

} // namespace crunchwise
