// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: start-up and shutdown, the settings it keeps, and the
// drive, folder and file panes.
#pragma once

#include "platform/single_instance.h"

#include <QMainWindow>
#include <functional>

class QAction;
class QFrame;
class QGroupBox;
class QLabel;

namespace crunchwise {
class DriveListBox;
class DirListBox;
class FileListBox;
class RuntimeError;
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

    // Start-up: the single-copy hand-off, the stored position, the first-run
    // help. A running copy is asked to open `pathToOpen` when one is given.
    LoadOutcome Form_Load(const QString& pathToOpen = QString());
    // Shutdown: saves the placement unless minimized, then the tray shut-down.
    void Form_Unload();

    // Shows folder `path` in the lists, or the folder of file `path` with that
    // file selected and current. False when it does not exist, cannot be
    // listed or is a file that the list leaves out.
    bool openPath(const QString& path);

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

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    friend class TestFrmMain;

    void createControls();
    void showCurrentFolder();
    void createMenus();
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

    // One step of a pane change handler: a failure is shown as a warning and
    // the panes fall back to the system drive before the step runs again.
    void runPaneStep(const std::function<void()>& step);
    void warnPaneFailure(int number, const QString& description);
    void fallBackToSystemDrive();

    QString tag(const char* procedure) const;

    QFrame* fToolbar = nullptr;
    QGroupBox* fSource = nullptr;
    // A path handed over by a second copy waits while a dialog is open: the
    // lists must not change under a command that asks something.
    void openHandedOverPath(const QString& path);
    void openPendingPath();

    crunchwise::SingleInstance instance_;
    QString pendingPath_;
    bool unloaded_ = false;
};
