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

    // Start-up: the single-copy hand-off, the stored position, the first-run help.
    LoadOutcome Form_Load();
    // Shutdown: saves the placement unless minimized, the tray shut-down, and
    // closes the help viewer.
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
    crunchwise::SingleInstance instance_;
    bool unloaded_ = false;
};
