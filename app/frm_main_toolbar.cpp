// SPDX-License-Identifier: GPL-3.0-or-later
// The toolbar buttons of the main window, their tab order and the What's
// This context numbers of the main window's controls.
#include "app/frm_main.h"

#include "common/twips.h"
#include "errors/error_trap.h"
#include "widgets/dir_list_box.h"
#include "widgets/drive_list_box.h"
#include "widgets/file_list_box.h"
#include "widgets/toolbar_icons.h"
#include "widgets/whats_this_context.h"

#include <QFrame>
#include <QLabel>
#include <QToolButton>
#include <QWhatsThis>

using namespace crunchwise;
using ToolbarIcons::Picture;

namespace {
QToolButton* addButton(QWidget* toolbar, const char* name, int left, const QString& tip,
                       Picture picture) {
    auto* button = new QToolButton(toolbar);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(Twips::rect(left, 165, 360, 330));
    button->setIcon(ToolbarIcons::icon(picture));
    button->setIconSize(QSize(16, 16));
    button->setToolTip(tip);
    button->setAccessibleName(tip);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}
} // namespace

void frmMain::createToolbar() {
    cmdCompress =
        addButton(fToolbar, "cmdCompress", 3960, QStringLiteral("Compress"), Picture::Compress);
    cmdExpand = addButton(fToolbar, "cmdExpand", 4440, QStringLiteral("Expand"), Picture::Expand);
    cmdDelete = addButton(fToolbar, "cmdDelete", 4920, QStringLiteral("Delete"), Picture::Delete);
    cmdProperties = addButton(fToolbar, "cmdProperties", 5325, QStringLiteral("Properties"),
                              Picture::Properties);
    cmdHelp = addButton(fToolbar, "cmdHelp", 5730, QStringLiteral("Help"), Picture::Help);
    cmdWhatsThis = addButton(fToolbar, "cmdWhatsThis", 6135, QStringLiteral("What's This Help"),
                             Picture::WhatsThis);
    cmdExit = addButton(fToolbar, "cmdExit", 6795, QStringLiteral("Exit"), Picture::Exit);

    connect(cmdCompress, &QToolButton::clicked, this, &frmMain::cmdCompress_Click);
    connect(cmdExpand, &QToolButton::clicked, this, &frmMain::cmdExpand_Click);
    connect(cmdDelete, &QToolButton::clicked, this, &frmMain::cmdDelete_Click);
    connect(cmdProperties, &QToolButton::clicked, this, &frmMain::cmdProperties_Click);
    connect(cmdHelp, &QToolButton::clicked, this, &frmMain::cmdHelp_Click);
    connect(cmdWhatsThis, &QToolButton::clicked, this, &frmMain::cmdWhatsThis_Click);
    connect(cmdExit, &QToolButton::clicked, this, &frmMain::cmdExit_Click);

    // After the file list, the buttons from the right to the left.
    QWidget* previous = File1;
    for (QWidget* button :
         {cmdExit, cmdWhatsThis, cmdHelp, cmdProperties, cmdDelete, cmdExpand, cmdCompress}) {
        setTabOrder(previous, button);
        previous = button;
    }
}

void frmMain::setWhatsThisContexts() {
    WhatsThisContext::set(fToolbar, 120);
    WhatsThisContext::set(Drive1, 80);
    WhatsThisContext::set(Dir1, 90);
    WhatsThisContext::set(File1, 100);
    WhatsThisContext::set(cmdCompress, 60);
    WhatsThisContext::set(cmdExpand, 60);
    WhatsThisContext::set(cmdDelete, 70);
    WhatsThisContext::set(cmdProperties, 110);
}

void frmMain::runButton(const char* handler, const std::function<void()>& action) {
    ErrorTrap trap(tag(handler));
    trap.step([&] { lblStatus->setText(QString()); });
    trap.step(action);
}

void frmMain::cmdCompress_Click() {
    runButton("cmdCompress_Click", [this] { mPopUp2_Click(0); });
}

void frmMain::cmdExpand_Click() {
    runButton("cmdExpand_Click", [this] { mPopUp2_Click(1); });
}

void frmMain::cmdDelete_Click() {
    runButton("cmdDelete_Click", [this] { mPopUp2_Click(4); });
}

void frmMain::cmdProperties_Click() {
    runButton("cmdProperties_Click", [this] { mPopUp2_Click(7); });
}

void frmMain::cmdHelp_Click() {
    runButton("cmdHelp_Click", [this] { mcontents_Click(); });
}

void frmMain::cmdWhatsThis_Click() {
    runButton("cmdWhatsThis_Click", [] { QWhatsThis::enterWhatsThisMode(); });
}

void frmMain::cmdExit_Click() {
    runButton("cmdExit_Click", [this] { mexit_Click(); });
}
