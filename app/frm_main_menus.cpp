// SPDX-License-Identifier: GPL-3.0-or-later
// The File and Help menus of the main window and the help entries.
#include "app/frm_main.h"

#include "common/app_info.h"
#include "common/message_box.h"
#include "desktop/win_help.h"
#include "dialogs/frm_splash.h"
#include "errors/error_trap.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QWhatsThis>

using namespace crunchwise;

namespace {
QAction* addItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(QLatin1String(name));
    return item;
}

QMenu* addMenu(QMenuBar* bar, const char* name, const QString& caption) {
    QMenu* menu = bar->addMenu(caption);
    menu->setObjectName(QLatin1String(name));
    return menu;
}
} // namespace

void frmMain::createFileMenu() {
    QMenu* mnuFile = addMenu(menuBar(), "mnuFile", QStringLiteral("&File"));
    mnuCompress = addItem(mnuFile, "mnuCompress", QStringLiteral("Com&press"));
    mnuExpand = addItem(mnuFile, "mnuExpand", QStringLiteral("&Expand"));
    mnuFile->addSeparator()->setObjectName(QStringLiteral("separator1"));
    mnuDelete = addItem(mnuFile, "mnuDelete", QStringLiteral("&Delete"));
    mnuRename = addItem(mnuFile, "mnuRename", QStringLiteral("Rena&me"));
    mnuProperties = addItem(mnuFile, "mnuProperties", QStringLiteral("P&roperties"));
    mnuFile->addSeparator()->setObjectName(QStringLiteral("separator2"));
    mexit = addItem(mnuFile, "mexit", QStringLiteral("E&xit"));

    mnuCompress->setStatusTip(QStringLiteral("Compress the selected files"));
    mnuExpand->setStatusTip(QStringLiteral("Expand the selected files"));
    mnuDelete->setStatusTip(QStringLiteral("Move the selected files to the Trash"));
    mnuRename->setStatusTip(QStringLiteral("Rename the current file"));
    mnuProperties->setStatusTip(QStringLiteral("Show the current file's date and size"));
    mexit->setStatusTip(QStringLiteral("Close Crunchwise"));

    connect(mnuCompress, &QAction::triggered, this, &frmMain::mnuCompress_Click);
    connect(mnuExpand, &QAction::triggered, this, &frmMain::mnuExpand_Click);
    connect(mnuDelete, &QAction::triggered, this, &frmMain::mnuDelete_Click);
    connect(mnuRename, &QAction::triggered, this, &frmMain::mnuRename_Click);
    connect(mnuProperties, &QAction::triggered, this, &frmMain::mnuProperties_Click);
    connect(mexit, &QAction::triggered, this, &frmMain::mexit_Click);
}

void frmMain::createHelpMenu() {
    QMenu* mhelp = addMenu(menuBar(), "mhelp", QStringLiteral("&Help"));
    mcontents = addItem(mhelp, "mcontents", QStringLiteral("&Contents"));
    mcontents->setShortcut(QKeySequence(Qt::Key_F1));
    msearch = addItem(mhelp, "msearch", QStringLiteral("&Search For Help On..."));
    mwhatsthis = addItem(mhelp, "mwhatsthis", QStringLiteral("What's This"));
    mwhatsthis->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F1));
    mhelp->addSeparator()->setObjectName(QStringLiteral("sep3"));
    mabout = addItem(mhelp, "mabout", QStringLiteral("&About Crunchwise"));

    connect(mcontents, &QAction::triggered, this, &frmMain::mcontents_Click);
    connect(msearch, &QAction::triggered, this, &frmMain::msearch_Click);
    connect(mwhatsthis, &QAction::triggered, this, &frmMain::mwhatsthis_Click);
    connect(mabout, &QAction::triggered, this, &frmMain::mabout_Click);
}

void frmMain::runMenuCommand(const char* handler, int index) {
    ErrorTrap trap(tag(handler));
    trap.step([&] { mPopUp2_Click(index); });
}

void frmMain::mnuCompress_Click() {
    runMenuCommand("mnuCompress_Click", 0);
}

void frmMain::mnuExpand_Click() {
    runMenuCommand("mnuExpand_Click", 1);
}

void frmMain::mnuDelete_Click() {
    runMenuCommand("mnuDelete_Click", 4);
}

void frmMain::mnuRename_Click() {
    runMenuCommand("mnuRename_Click", 5);
}

void frmMain::mnuProperties_Click() {
    runMenuCommand("mnuProperties_Click", 7);
}

void frmMain::mexit_Click() {
    ErrorTrap trap(tag("mexit_Click"));
    trap.step([&] { close(); });
}

// The viewer's own complaints (a help file that cannot be read) are its own
// to show; only a failing call is reported here, and nothing is logged.
void frmMain::showHelp(unsigned command, std::uintptr_t data) {
    const QString helpFile = AppInfo::helpFile();
    if (helpFile.isEmpty()) {
        MessageBox::show(this, QMessageBox::Information, windowTitle(),
                         QStringLiteral("Unable to display Help Contents. There is no Help "
                                        "associated with this project."));
        return;
    }
    ErrorTrap::telling(this).step([&] { WinHelpA(this, helpFile, command, data); });
}

void frmMain::mcontents_Click() {
    showHelp(HELP_FINDER, 0);
}

void frmMain::msearch_Click() {
    static const char emptyKeyword[] = "";
    showHelp(HELP_PARTIALKEY, reinterpret_cast<std::uintptr_t>(emptyKeyword));
}

void frmMain::mwhatsthis_Click() {
    ErrorTrap trap(tag("mwhatsthis_Click"));
    trap.step([] { QWhatsThis::enterWhatsThisMode(); });
}

void frmMain::mabout_Click() {
    ErrorTrap trap(tag("mabout_Click"));
    trap.step([&] {
        frmSplash about(this);
        about.exec();
    });
}
