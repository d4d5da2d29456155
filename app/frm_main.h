// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: start-up and shutdown, the settings it keeps, and the
// drive, folder and file panes.
#pragma once

#include "platform/single_instance.h"

#include <QMainWindow>
#include <QStringList>
#include <array>

class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;

namespace crunchwise {
class DriveListBox;
class DirListBox;
class FileListBox;
class ErrorTrap;
} // namespace crunchwise

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    enum class LoadOutcome {
        Show,      // the window is ready to be shown
        HandedOff, // another copy runs and has been brought forward: end now
    };

    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // Start-up: the single-copy hand-off, the stored position, the first-run help.
    LoadOutcome Form_Load();
    // Shutdown: saves the placement unless minimized, then the tray shut-down.
    void Form_Unload();

    // The system drive that the panes fall back to.
    static QString systemDrive();

    // The one handler of every file command: 0 Compress, 1 Expand, 4 Delete,
    // 5 Rename, 7 Properties; any other index only empties the status.
    void mPopUp2_Click(int Index);

    crunchwise::DriveListBox* Drive1 = nullptr;
    crunchwise::DirListBox* Dir1 = nullptr;
    crunchwise::FileListBox* File1 = nullptr;
    QLabel* lblStatus = nullptr;
    QAction* mnuRefresh = nullptr;

    // The file list's pop-up menu; mPopUp2[i] runs mPopUp2_Click(i). There
    // is no element 2; elements 3 and 6 are separators.
    QMenu* mnuPopUp2 = nullptr;
    std::array<QAction*, 8> mPopUp2{};

    // The selection captured by Compress and Expand, never shown: entry i of
    // each list belongs to the i-th selected file from the top of File1.
    QStringList lstToCompress; // full paths
    QStringList lstLongName;   // names as listed
    QStringList lstDOSName;    // short names
    QString txtDOSPath;        // short form of the folder, with a separator
    QString txtPATH;           // the folder, with a separator
    QString txtShortPathName;  // short form of the destination, with a separator
    QString txtLongPathName;   // the destination, with a separator

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    friend class TestFrmMain;

    void createControls();
    void showCurrentFolder();
    void createMenus();
    void createPopUpMenu();
    void connectPanes();
    void restorePosition();
    void runFirstTimeHelp();
    void TrayStartup();
    void TrayShutdown();

    void Drive1_Change();
    void Dir1_Change();
    void Dir1_KeyPress(int& KeyAscii);
    void File1_Click();
    void mnuRefresh_Click();
    void File1_DblClick();
    void File1_KeyPress(int& KeyAscii);
    void File1_MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, QPoint pos);

    // The trap of the pane change handlers: a failing step is shown as a
    // warning and the panes fall back to the system drive before it runs
    // once more.
    crunchwise::ErrorTrap paneTrap();

    QString tag(const char* procedure) const;

    QFrame* fToolbar = nullptr;
    QGroupBox* fSource = nullptr;
    crunchwise::SingleInstance instance_;
    bool unloaded_ = false;
};
