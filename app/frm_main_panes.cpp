// SPDX-License-Identifier: GPL-3.0-or-later
// The chained drive, folder and file lists of the main window.
#include "frm_main.h"

#include "app/panes/dir_list_box.h"
#include "app/panes/drive_list_box.h"
#include "app/panes/file_list_box.h"
#include "common/message_box.h"
#include "errors/current_failure.h"
#include "errors/error_trap.h"

#include <QLabel>

using namespace crunchwise;

void frmMain::connectPanes() {
    connect(Drive1, &DriveListBox::changed, this, &frmMain::Drive1_Change);
    // The drive list follows first, so that a fall-back to the system drive
    // sees the volume the folder list moved to.
    connect(Dir1, &DirListBox::changed, Drive1, [this] { Drive1->showVolumeOf(Dir1->path()); });
    connect(Dir1, &DirListBox::changed, this, &frmMain::Dir1_Change);
    connect(Dir1, &DirListBox::keyPress, this, &frmMain::Dir1_KeyPress);
    connect(Dir1, &DirListBox::openFailed, this, [this](const RuntimeError& failure) {
        warnPaneFailure(failure.number(), QString::fromStdString(failure.description()));
        fallBackToSystemDrive();
    });
    connect(File1, &FileListBox::click, this, &frmMain::File1_Click);
}

void frmMain::runPaneStep(const std::function<void()>& step) {
    bool fellBack = false;
    for (;;) {
        try {
            step();
            return;
        } catch (...) {
            // The system drive failed too: the lists stay on the last folder
            // that could be read instead of warning for ever.
            if (fellBack)
                return;
            const RuntimeError failure = CurrentFailure::fromException(std::current_exception());
            warnPaneFailure(failure.number(), QString::fromStdString(failure.description()));
            fellBack = true;
            fallBackToSystemDrive();
        }
    }
}

void frmMain::warnPaneFailure(int number, const QString& description) {
    MessageBox::show(this, QMessageBox::Warning, QStringLiteral("Crunchwise"),
                     QStringLiteral("Error ") + QString::number(number) + QStringLiteral(":  ") +
                         description + QStringLiteral("."));
}

void frmMain::fallBackToSystemDrive() {
    try {
        Drive1->setDrive(systemDrive());
    } catch (...) {
        // Nowhere left to fall back to; the lists keep what they show.
    }
}

void frmMain::Drive1_Change() {
    lblStatus->clear();
    runPaneStep([&] { Dir1->openDrive(Drive1->drive()); });
    runPaneStep([&] { Dir1->setFocus(); });
}

void frmMain::Dir1_Change() {
    lblStatus->clear();
    // Setting the path reads the folder, so no second reading follows.
    runPaneStep([&] { File1->setPath(Dir1->path()); });
    runPaneStep([&] { File1->setFocus(); });
}

void frmMain::Dir1_KeyPress(int& KeyAscii) {
    ErrorTrap trap(tag("Dir1_KeyPress"));
    trap.step([&] { lblStatus->clear(); });
    if (trap.test([&] { return KeyAscii == 13; })) {
        trap.step([&] { KeyAscii = 0; });
        trap.step([&] { Dir1->setPath(Dir1->list(Dir1->listIndex())); });
    }
}

void frmMain::File1_Click() {
    ErrorTrap trap(tag("File1_Click"));
    trap.step([&] { lblStatus->clear(); });
}

void frmMain::mnuRefresh_Click() {
    ErrorTrap trap(tag("mnuRefresh_Click"));
    trap.step([&] { File1->refresh(); });
}
