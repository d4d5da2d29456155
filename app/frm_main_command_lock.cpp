// SPDX-License-Identifier: GPL-3.0-or-later
// One file command at a time: the lock that a running command holds.
#include "app/frm_main.h"

#include <QAction>
#include <QToolButton>

frmMain::CommandLock::CommandLock(frmMain& form) : form_(form) {
    if (form_.commandLocks_++ == 0)
        form_.enableCommands(false);
}

frmMain::CommandLock::~CommandLock() {
    if (--form_.commandLocks_ == 0)
        form_.enableCommands(true);
}

void frmMain::enableCommands(bool enabled) {
    for (QAction* item : {mnuCompress, mnuExpand, mnuDelete, mnuRename, mnuProperties})
        item->setEnabled(enabled);
    for (QAction* item : mPopUp2)
        if (item && !item->isSeparator())
            item->setEnabled(enabled);
    for (QToolButton* button : {cmdCompress, cmdExpand, cmdDelete, cmdProperties})
        button->setEnabled(enabled);
}
