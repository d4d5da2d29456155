// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/save_directory_dialog.h"

#include "common/globals.h"
#include "common/key_codes.h"
#include "common/twips.h"
#include "errors/error_trap.h"
#include "widgets/dir_list_box.h"
#include "widgets/drive_list_box.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>

namespace crunchwise {

namespace {
constexpr int kClientWidth = 5160;

// The fall-back of a failed drive change: the system drive.
ErrorTrap driveTrap(QWidget* dialog, DriveListBox* drive) {
    return ErrorTrap::fallingBack(dialog, [drive] { drive->setDrive(QDir::rootPath()); });
}
} // namespace

SaveDirectoryDialog::SaveDirectoryDialog(QWidget* parent, const char* name, Layout layout,
                                         const DriveListBox* mainDrive, const DirListBox* mainDir)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      mainDrive_(mainDrive), mainDir_(mainDir) {
    setObjectName(QLatin1String(name));
    setWindowTitle(QStringLiteral("Save In"));
    setFixedSize(Twips::toPixels(kClientWidth), Twips::toPixels(layout.clientHeight));

    Drive1 = new DriveListBox(this);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    Drive1->setGeometry(Twips::rect(885, 225, 2850, 315));
    Dir1 = new DirListBox(this);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->setGeometry(Twips::rect(120, 675, 3615, 1215));
    cmdSave = new QPushButton(QStringLiteral("Sa&ve"), this);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    cmdSave->setGeometry(Twips::rect(3945, layout.saveTop, 1125, 360));
    cmdSave->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setGeometry(Twips::rect(3945, layout.cancelTop, 1125, 360));
    Label1 = new QLabel(QStringLiteral("Save in:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(Twips::rect(105, 270, 660, 195));
    // A drive chosen here opens on the folder the main window last showed on it.
    if (mainDir)
        Dir1->takeCurrentFolders(*mainDir);
    setTabOrder(Drive1, Dir1);
    setTabOrder(Dir1, cmdSave);
    setTabOrder(cmdSave, cmdCancel);

    connect(Drive1, &DriveListBox::changed, this, &SaveDirectoryDialog::Drive1_Change);
    connect(Dir1, &DirListBox::keyPress, this, &SaveDirectoryDialog::Dir1_KeyPress);
    connect(Dir1, &DirListBox::openFailed, this, [this](const RuntimeError& failure) {
        driveTrap(this, Drive1).step([&] { throw failure; });
    });
    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, &SaveDirectoryDialog::cmdCancel_Click);
}

QString SaveDirectoryDialog::tag(const char* procedure) const {
    return objectName() + QLatin1String(procedure);
}

void SaveDirectoryDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (placed_)
        return;
    placed_ = true;
    Form_Paint();
}

void SaveDirectoryDialog::Form_Paint() {
    ErrorTrap trap(tag("Form_Paint"));
    trap.step([&] { Drive1->setDrive(mainDrive_->drive()); });
    trap.step([&] { Dir1->setPath(mainDir_->path()); });
}

void SaveDirectoryDialog::Drive1_Change() {
    ErrorTrap trap = driveTrap(this, Drive1);
    trap.step([&] { Dir1->openDrive(Drive1->drive()); });
    trap.step([&] { Dir1->setFocus(); });
}

void SaveDirectoryDialog::Dir1_KeyPress(int& KeyAscii) {
    ErrorTrap trap(tag("Dir1_KeyPress"));
    if (trap.test([&] { return KeyAscii == KeyCode::Enter; })) {
        trap.step([&] { KeyAscii = KeyCode::None; });
        trap.step([&] { Dir1->setPath(Dir1->list(Dir1->listIndex())); });
    }
}

void SaveDirectoryDialog::saveFolder() {
    Globals::SavePath = Dir1->path() + QLatin1Char('/');
}

void SaveDirectoryDialog::cmdCancel_Click() {
    ErrorTrap trap(tag("cmdCancel_Click"));
    trap.step([&] { Globals::SavePath.clear(); });
    trap.step([&] { done(QDialog::Rejected); });
}

// Esc and the close box end the dialog as Cancel does.
void SaveDirectoryDialog::reject() {
    cmdCancel_Click();
}

} // namespace crunchwise
