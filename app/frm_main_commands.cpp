// SPDX-License-Identifier: GPL-3.0-or-later
// The file list's command triggers and its pop-up menu.
#include "app/frm_main.h"

#include "app/command_index.h"
#include "common/key_codes.h"
#include "errors/error_trap.h"
#include "widgets/file_list_box.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMenu>

using namespace crunchwise;

void frmMain::createPopUpMenu() {
    mnuPopUp2 = new QMenu(this);
    mnuPopUp2->setObjectName(QStringLiteral("mnuPopUp2"));
    const char* const captions[] = {"Compress", "Expand", nullptr, "-",
                                    "Delete",   "Rename", "-",     "Properties"};
    for (int index = 0; index < int(mPopUp2.size()); ++index) {
        const QString caption = QLatin1String(captions[index] ? captions[index] : "");
        if (caption.isEmpty())
            continue;
        QAction* item = caption == QLatin1String("-") ? mnuPopUp2->addSeparator()
                                                      : mnuPopUp2->addAction(caption);
        item->setObjectName(QStringLiteral("mPopUp2_%1").arg(index));
        connect(item, &QAction::triggered, this, [this, index] { mPopUp2_Click(index); });
        mPopUp2[index] = item;
    }
}

void frmMain::File1_DblClick() {
    ErrorTrap trap(tag("File1_DblClick"));
    trap.step([&] { lblStatus->clear(); });
    trap.step([&] { mPopUp2_Click(CommandIndex::Properties); });
}

void frmMain::File1_KeyPress(int& KeyAscii) {
    ErrorTrap trap(tag("File1_KeyPress"));
    trap.step([&] { lblStatus->clear(); });
    if (trap.test([&] { return KeyAscii == KeyCode::Enter; }))
        trap.step([&] { mPopUp2_Click(CommandIndex::Properties); });
}

void frmMain::File1_MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers, QPoint pos) {
    ErrorTrap trap(tag("File1_MouseDown"));
    trap.step([&] { lblStatus->clear(); });
    // The right button alone: not while another button is held.
    const auto alone = [&] {
        return Button == Qt::RightButton &&
               (QGuiApplication::mouseButtons() & ~Qt::MouseButtons(Qt::RightButton)) == 0;
    };
    if (trap.test(alone))
        trap.step([&] { mnuPopUp2->exec(File1->viewport()->mapToGlobal(pos)); });
}
