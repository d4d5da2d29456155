// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/frm_save_directory_expand.h"

#include "common/app_info.h"
#include "common/globals.h"
#include "common/message_box.h"
#include "common/twips.h"
#include "errors/error_trap.h"
#include "widgets/drive_list_box.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace crunchwise {

frmSaveDirectoryExpand::frmSaveDirectoryExpand(QWidget* parent, const DriveListBox* mainDrive,
                                               const DirListBox* mainDir)
    : SaveDirectoryDialog(parent, "frmSaveDirectoryExpand", {2550, 1545, 2055}, mainDrive,
                          mainDir) {
    txtFileName = new QLineEdit(this);
    txtFileName->setObjectName(QStringLiteral("txtFileName"));
    txtFileName->setGeometry(Twips::rect(1260, 2130, 2475, 270));
    txtFileName->installEventFilter(this);
    Label2 = new QLabel(QStringLiteral("Expand as:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(Twips::rect(150, 2175, 1065, 210));
    Label2->setBuddy(txtFileName);
    setTabOrder(txtFileName, Drive1);
}

void frmSaveDirectoryExpand::Form_Paint() {
    SaveDirectoryDialog::Form_Paint();
    ErrorTrap trap(tag("Form_Paint"));
    trap.step([&] { txtFileName->setFocus(); });
}

bool frmSaveDirectoryExpand::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtFileName && event->type() == QEvent::FocusIn)
        txtFileName_GotFocus();
    return SaveDirectoryDialog::eventFilter(watched, event);
}

// Typing replaces the proposed name.
void frmSaveDirectoryExpand::txtFileName_GotFocus() {
    ErrorTrap trap(tag("txtFileName_GotFocus"));
    trap.step([&] { txtFileName->selectAll(); });
}

void frmSaveDirectoryExpand::cmdSave_Click() {
    ErrorTrap trap(tag("cmdSave_Click"));
    if (trap.test([&] { return txtFileName->text().isEmpty(); })) {
        trap.step([&] {
            MessageBox::show(this, QMessageBox::Information, AppInfo::title(),
                             QStringLiteral("Please Enter A Filename"));
        });
        trap.step([&] { txtFileName->setFocus(); });
        return;
    }
    trap.step([&] { saveFolder(); });
    trap.step([&] { Globals::SaveFileName = txtFileName->text(); });
    trap.step([&] { done(QDialog::Accepted); });
}

} // namespace crunchwise
