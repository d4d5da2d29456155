// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: start-up and shutdown, the settings it keeps, and the
// drive, folder and file panes.
#pragma once

#include "platform/single_instance.h"

#include <QMainWindow>
#include <QStringList>
#include <cstdint>
#include <functional>

class QAction;
class QFrame;
class QToolButton;
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

    // Delete: the shell operation and its flags, and the two procedures that
    // hand the selected files to the shell.
    qint32 FileOpFunction = 0;
    qint32 FileOpFlags = 0;
    void ShellDelete(const QStringList& sFileArray, const QString& sDestination);
    qint32 BuildFlags();

    // Toolbar buttons and the File and Help menus.
    QToolButton* cmdCompress = nullptr;
    QToolButton* cmdExpand = nullptr;
    QToolButton* cmdDelete = nullptr;
    QToolButton* cmdProperties = nullptr;
    QToolButton* cmdHelp = nullptr;
    QToolButton* cmdWhatsThis = nullptr;
    QToolButton* cmdExit = nullptr;
    QAction* mnuCompress = nullptr;
    QAction* mnuExpand = nullptr;
    QAction* mnuDelete = nullptr;
    QAction* mnuRename = nullptr;
    QAction* mnuProperties = nullptr;
    QAction* mexit = nullptr;
    QAction* mcontents = nullptr;
    QAction* msearch = nullptr;
    QAction* mwhatsthis = nullptr;
    QAction* mabout = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    friend class TestFrmMain;

    void createControls();
    void showCurrentFolder();
    void createMenus();
    void createFileMenu();
    void createHelpMenu();
    void createToolbar();
    void setWhatsThisContexts();
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

    void cmdCompress_Click();
    void cmdExpand_Click();
    void cmdDelete_Click();
    void cmdProperties_Click();
    void cmdHelp_Click();
    void cmdWhatsThis_Click();
    void cmdExit_Click();
    void mnuCompress_Click();
    void mnuExpand_Click();
    void mnuDelete_Click();
    void mnuRename_Click();
    void mnuProperties_Click();
    void mexit_Click();
    void mcontents_Click();
    void msearch_Click();
    void mwhatsthis_Click();
    void mabout_Click();
    // A toolbar button: empties the status, then runs its action.
    void runButton(const char* handler, const std::function<void()>& action);
    // A File menu item: runs command `index` of mPopUp2_Click.
    void runMenuCommand(const char* handler, int index);
    // Contents and Search: the help viewer with `command`, or why not.
    void showHelp(unsigned command, std::uintptr_t data);

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
