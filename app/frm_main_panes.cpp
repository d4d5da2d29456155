// SPDX-License-Identifier: GPL-3.0-or-later
// The chained drive, folder and file lists of the main window.
#include "app/frm_main.h"

#include "common/key_codes.h"
#include "desktop/files/folder_reader.h"
#include "errors/error_trap.h"
#include "widgets/dir_list_box.h"
#include "widgets/drive_list_box.h"
#include "widgets/file_list_box.h"

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
        // The list's own failure to open a folder, handled as a step here.
        paneTrap().step([&] { throw failure; });
    });
    connect(File1, &FileListBox::click, this, &frmMain::File1_Click);
    connect(File1, &FileListBox::dblClick, this, &frmMain::File1_DblClick);
    connect(File1, &FileListBox::keyPress, this, &frmMain::File1_KeyPress);
    connect(File1, &FileListBox::mouseDown, this, &frmMain::File1_MouseDown);
}

ErrorTrap frmMain::paneTrap() {
    return ErrorTrap::fallingBack(this, [this] { Drive1->setDrive(systemDrive()); });
}

void frmMain::Drive1_Change() {
    lblStatus->clear();
    ErrorTrap trap = paneTrap();
    trap.step([&] { Dir1->openDrive(Drive1->drive()); });
    trap.step([&] { Dir1->setFocus(); });
}

void frmMain::Dir1_Change() {
    lblStatus->clear();
    ErrorTrap trap = paneTrap();
    // Setting the path reads the folder, so no second reading follows.
    trap.step([&] { File1->setPath(Dir1->path()); });
    trap.step([&] { File1->setFocus(); });
}

void frmMain::Dir1_KeyPress(int& KeyAscii) {
    ErrorTrap trap(tag("Dir1_KeyPress"));
    trap.step([&] { lblStatus->clear(); });
    if (trap.test([&] { return KeyAscii == KeyCode::Enter; })) {
        trap.step([&] { KeyAscii = KeyCode::None; });
        trap.step([&] { Dir1->setPath(Dir1->list(Dir1->listIndex())); });
    }
}

void frmMain::File1_Click() {
    ErrorTrap trap(tag("File1_Click"));
    trap.step([&] { lblStatus->clear(); });
}

// Both lists: the folder list shows subfolders made or removed meanwhile.
void frmMain::mnuRefresh_Click() {
    ErrorTrap trap(tag("mnuRefresh_Click"));
    trap.step([&] { readListsAgain(); });
}

// One reading of the folder shown for both lists.
void frmMain::readListsAgain() {
    if (File1->path() != Dir1->path()) {
        File1->refresh();
        Dir1->refresh();
        return;
    }
    FolderReader::Listings both = FolderReader::readBoth(Dir1->path());
    File1->refresh(std::move(both.files));
    Dir1->refresh(both.folders);
}
