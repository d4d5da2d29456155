// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: start-up and shutdown, the settings it keeps, the drive,
// folder and file panes with their splitter, and the tray icon.
#pragma once

#include "desktop/single_instance.h"
#include "desktop/systray.h"

#include <QMainWindow>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>

class QAction;
class QFrame;
class QToolButton;
class QGroupBox;
class QLabel;
class QMenu;
class QTimer;

namespace crunchwise {
class FolderWatch;
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

    // Start-up: the single-copy hand-off, the stored position, the first-run
    // help. A running copy is asked to open `pathToOpen` when one is given.
    LoadOutcome Form_Load(const QString& pathToOpen = QString());
    // Shutdown: saves the placement unless minimized, the tray shut-down, and
    // closes the help viewer.
    void Form_Unload();

    // Shows folder `path` in the lists, or the folder of file `path` with that
    // file selected and current. False when it does not exist, cannot be
    // listed or is a file that the list leaves out.
    bool openPath(const QString& path);
    // Opens the first of `paths` as openPath() does; when it is a file, the
    // others of its folder are selected with it. False as openPath().
    bool openPaths(const QStringList& paths);
    // Reads the folder shown again for both lists, in one reading when both
    // show it; what is highlighted, selected and scrolled to stays where it
    // still can. Throws RuntimeError when the folder cannot be read.
    void readListsAgain();

    // The system drive that the panes fall back to.
    static QString systemDrive();

    // The one handler of every file command: 0 Compress, 1 Expand, 4 Delete,
    // 5 Rename, 7 Properties; any other index only empties the status. While
    // another command runs it does nothing.
    void mPopUp2_Click(int Index);

    // Held while a file command runs, from its first moment, through its
    // dialogs, to the end of any work it leaves running: meanwhile the
    // command items and buttons are disabled and mPopUp2_Click refuses, so
    // that no second command starts inside the first. Locks nest.
    class CommandLock {
    public:
        explicit CommandLock(frmMain& form);
        ~CommandLock();
        CommandLock(const CommandLock&) = delete;
        CommandLock& operator=(const CommandLock&) = delete;

    private:
        frmMain& form_;
    };
    bool commandRunning() const { return commandLocks_ > 0; }

    // Lays the folder list, the splitter handle and the file list out around
    // the divider position x (twips, in the Source Files frame).
    void SizeControls(float x);

    // The notification-area icon and the hook that brings its messages here.
    void ShellTrayAdd();
    void ShellTrayRemove();
    void SubClass(QWidget* hWnd);
    void UnSubClass();
    // Reacts to the tray icon's callback message: a click hides the window
    // (shows it when hidden), a double click shows it, the context request
    // opens the tray menu.
    void ProcMsg(QWidget* hWnd, uint uMsg, quintptr wParam, qintptr lParam);
    // 0 hides the window (only while an icon can bring it back), 1 shows it.
    void mPopUp_Click(int Index);

    crunchwise::DriveListBox* Drive1 = nullptr;
    crunchwise::DirListBox* Dir1 = nullptr;
    crunchwise::FileListBox* File1 = nullptr;
    QLabel* lblStatus = nullptr;
    QAction* mnuRefresh = nullptr;
    QAction* mnuSelectAll = nullptr;
    QAction* mnuHide = nullptr;
    QAction* mnuShow = nullptr;
    QAction* mnuRemove = nullptr;
    QAction* mnuAdd = nullptr;
    QMenu* mnuPopUp = nullptr;
    std::array<QAction*, 2> mPopUp{};

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
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    friend class TestFrmMain;

    void createControls();
    void showCurrentFolder();
    void createMenus();
    void createFileMenu();
    void createHelpMenu();
    void createToolbar();
    void setWhatsThisContexts();
    void createPopUpMenu();
    void createKeys();
    void mnuSelectAll_Click();
    void createFolderWatch();
    void followFolder();
    void openNearestFolder();
    void enableCommands(bool enabled);
    void connectPanes();
    void restorePosition();
    QRect outerGeometry() const;
    void runFirstTimeHelp();
    void TrayStartup();
    void TrayShutdown();

    void createSplitter();
    void Form_Resize();
    void imgSplitter_MouseDown(int Button, int Shift, float X, float Y);
    void imgSplitter_MouseMove(int Button, int Shift, float X, float Y);
    void imgSplitter_MouseUp(int Button, int Shift, float X, float Y);

    void createTrayMenus(QMenu* mnuView);
    void setTrayItems(bool on);
    bool iconCanBringBack() const;
    void watchWhileHidden();
    void mnuAdd_Click();
    void mnuRemove_Click();
    void mnuHide_Click();
    void mnuShow_Click();

    void Drive1_Change();
    void Dir1_Change();
    void Dir1_KeyPress(int& KeyAscii);
    void File1_Click();
    void mnuRefresh_Click();
    void File1_DblClick();
    void File1_KeyPress(int& KeyAscii);
    void File1_MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, QPoint pos);

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

    // The trap of the pane change handlers: a failing step is shown as a
    // warning and the panes fall back to the system drive before it runs
    // once more.
    crunchwise::ErrorTrap paneTrap();

    QString tag(const char* procedure) const;

    QFrame* fToolbar = nullptr;
    QGroupBox* fSource = nullptr;
    QWidget* imgSplitter = nullptr;
    QWidget* picSplitter = nullptr;
    bool SplitterDragging = false;
    float splitterPosition_ = 0; // the x of the last layout
    float barLeft_ = 0;          // left of picSplitter, twips
    float pressX_ = 0;           // where the handle was pressed, twips

    crunchwise::NOTIFYICONDATA nid_;
    QTimer* hiddenWatch_ = nullptr;

    // A path handed over by a second copy waits while a dialog is open: the
    // lists must not change under a command that asks something.
    void openHandedOverPath(const QString& path);
    void openPendingPath();

    crunchwise::FolderWatch* folderWatch_ = nullptr;
    QTimer* followLater_ = nullptr;
    int commandLocks_ = 0;
    crunchwise::SingleInstance instance_;
    QString pendingPath_;
    bool unloaded_ = false;
};
