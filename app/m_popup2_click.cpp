// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_index.h"
#include "app/file_commands.h"
#include "app/frm_main.h"
#include "errors/error_trap.h"

#include <QLabel>

using crunchwise::ErrorTrap;
namespace commands = crunchwise::commands;
namespace CommandIndex = crunchwise::CommandIndex;

void frmMain::mPopUp2_Click(int Index) {
    if (commandRunning())
        return;
    const CommandLock running(*this);
    ErrorTrap trap(tag("mPopUp2_Click"));
    trap.step([&] { lblStatus->setText(QString()); });
    switch (Index) {
    case CommandIndex::Compress:
        commands::Compress(*this);
        break;
    case CommandIndex::Expand:
        commands::Expand(*this);
        break;
    case CommandIndex::Delete:
        commands::Delete(*this);
        break;
    case CommandIndex::Rename:
        commands::Rename(*this);
        break;
    case CommandIndex::Properties:
        commands::Properties(*this);
        break;
    default:
        break;
    }
}
