// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frm_main.h"
#include "commands/file_commands.h"
#include "errors/error_trap.h"

#include <QLabel>

using crunchwise::ErrorTrap;
namespace commands = crunchwise::commands;

void frmMain::mPopUp2_Click(int Index) {
    ErrorTrap trap(tag("mPopUp2_Click"));
    trap.step([&] { lblStatus->setText(QString()); });
    switch (Index) {
    case 0:
        commands::Compress(*this);
        break;
    case 1:
        commands::Expand(*this);
        break;
    case 4:
        commands::Delete(*this);
        break;
    case 5:
        commands::Rename(*this);
        break;
    case 7:
        commands::Properties(*this);
        break;
    default:
        break;
    }
}
