// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frm_main.h"

#include "app/frame_placement.h"
#include "common/app_info.h"
#include "common/locale_number.h"
#include "common/message_box.h"
#include "common/twips.h"
#include "desktop/settings_store.h"
#include "desktop/win_help.h"
#include "errors/error_trap.h"
#include "widgets/app_icon.h"
#include "widgets/dir_list_box.h"
#include "widgets/drive_list_box.h"
#include "widgets/file_list_box.h"

#include <QCloseEvent>
#include <QDir>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>
#include <QWindow>

using namespace crunchwise;

namespace {
const QString kSection = QStringLiteral("Settings");
constexpr float kDefaultPosition = 1000.0f;
constexpr int kClientWidth = 7260;
constexpr int kClientHeight = 3420;

QString setting(const char* key, const QString& fallback) {
    return GetSetting(AppInfo::title(), kSection, QLatin1String(key), fallback);
}

void saveSetting(const char* key, const QString& value) {
    SaveSetting(AppInfo::title(), kSection, QLatin1String(key), value);
}

QString twipsText(int pixels) {
    return LocaleNumber::fromSingle(float(Twips::fromPixels(pixels)));
}

// A line drawn across the window, one pixel high.
void addLine(QWidget* parent, const char* name, int x1, int x2, int y, const QColor& colour) {
    auto* line = new QFrame(parent);
    line->setObjectName(QLatin1String(name));
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, colour);
    line->setPalette(palette);
    line->setGeometry(Twips::toPixels(x1), Twips::toPixels(y), Twips::toPixels(x2 - x1), 1);
}
} // namespace

frmMain::frmMain(QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(AppInfo::title());
    setWindowIcon(appIcon());
    createControls();
    createToolbar();
    createFileMenu();
    createMenus();
    createHelpMenu();
    createKeys();
    setWhatsThisContexts();
    createPopUpMenu();
    showCurrentFolder();
    connectPanes();
    createFolderWatch();
    setAcceptDrops(true);
    instance_.setMainWindow(this);
    connect(&instance_, &SingleInstance::openRequested, this, &frmMain::openHandedOverPath);
    // A fixed single border: the designed client area under the menu bar.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

frmMain::~frmMain() = default;

QString frmMain::systemDrive() {
    return QDir::rootPath();
}

QString frmMain::tag(const char* procedure) const {
    return objectName() + QLatin1String(procedure);
}

void frmMain::createControls() {
    auto* client = new QWidget(this);
    client->setFixedSize(Twips::toPixels(kClientWidth), Twips::toPixels(kClientHeight));
    setCentralWidget(client);

    auto* imgStatus = new QFrame(client);
    imgStatus->setObjectName(QStringLiteral("imgStatus"));
    imgStatus->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    imgStatus->setGeometry(Twips::rect(-30, 3090, 7320, 345));

    fToolbar = new QFrame(client);
    fToolbar->setObjectName(QStringLiteral("fToolbar"));
    fToolbar->setGeometry(Twips::rect(-15, -60, 7530, 540));
    Drive1 = new DriveListBox(fToolbar);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    Drive1->setGeometry(Twips::rect(135, 165, 3630, 330));
    Drive1->setToolTip(QStringLiteral("The Source Drive"));

    addLine(client, "Line1", 30, 6645, 450, QColor(128, 128, 128));
    addLine(client, "Line2", 0, 6630, 480, Qt::white);

    fSource = new QGroupBox(QStringLiteral("Source Files"), client);
    fSource->setObjectName(QStringLiteral("fSource"));
    fSource->setGeometry(Twips::rect(0, 525, 7350, 2580));
    Dir1 = new DirListBox(fSource);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->setGeometry(Twips::rect(0, 0, 3255, 2565));
    Dir1->setToolTip(QStringLiteral("The Source Folder"));
    File1 = new FileListBox(fSource);
    File1->setObjectName(QStringLiteral("File1"));
    File1->setGeometry(Twips::rect(3400, -15, 3840, 2625));
    File1->setToolTip(QStringLiteral("Choose a File to Compress or Expand"));

    lblStatus = new QLabel(client);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setGeometry(Twips::rect(60, 3165, 6870, 210));

    createSplitter();
    setTabOrder(Drive1, Dir1);
    setTabOrder(Dir1, File1);
}

// At start the lists show the process's current folder, or the system drive
// when that cannot be read.
void frmMain::showCurrentFolder() {
    ErrorTrap quiet(QString(), ErrorTrap::Mode::Ignore);
    const auto show = [&](const QString& folder) {
        Dir1->setPath(folder);
        File1->setPath(Dir1->path());
        Drive1->setDrive(folder);
    };
    if (!quiet.step([&] { show(QDir::currentPath()); }))
        quiet.step([&] { show(systemDrive()); });
}

void frmMain::createMenus() {
    QMenu* mnuView = menuBar()->addMenu(QStringLiteral("&View"));
    mnuView->setObjectName(QStringLiteral("mnuView"));
    mnuRefresh = mnuView->addAction(QStringLiteral("&Refresh Files"));
    mnuRefresh->setObjectName(QStringLiteral("mnuRefresh"));
    mnuRefresh->setStatusTip(QStringLiteral("Read the file list again"));
    connect(mnuRefresh, &QAction::triggered, this, &frmMain::mnuRefresh_Click);
    mnuView->addSeparator();
    createTrayMenus(mnuView);
}

frmMain::LoadOutcome frmMain::Form_Load(const QString& pathToOpen) {
    const QString title = AppInfo::title();
    if (instance_.claim(title) == SingleInstance::Claim::AnotherRunning) {
        const QString duplicate = QStringLiteral("... duplicate instance.");
        AppInfo::setTitle(duplicate);
        setWindowTitle(duplicate);
        if (pathToOpen.isEmpty())
            SingleInstance::activateAndSendEnter(title);
        else
            SingleInstance::activateAndOpen(title, pathToOpen);
        return LoadOutcome::HandedOff;
    }

    restorePosition();
    TrayStartup();
    const auto runOnce = LocaleNumber::toInteger(setting("RunOnce", QStringLiteral("0")));
    if (runOnce.value_or(0) == 0)
        runFirstTimeHelp();
    return LoadOutcome::Show;
}

void frmMain::restorePosition() {
    const float left =
        LocaleNumber::toSingle(setting("MainLeft", QString())).value_or(kDefaultPosition);
    const float top =
        LocaleNumber::toSingle(setting("MainTop", QString())).value_or(kDefaultPosition);
    QPoint position(Twips::toPixels(left), Twips::toPixels(top));
    // A position stored on a screen that is no longer attached would strand
    // the window out of sight.
    if (!QGuiApplication::screenAt(position + QPoint(8, 8)))
        position = QPoint(Twips::toPixels(kDefaultPosition), Twips::toPixels(kDefaultPosition));
    // The stored values are the frame's, as the unload saves them.
    FramePlacement::place(this, position);
}

// The frame as the window system has it now: the widget keeps the frame it
// knew at its last move, which may be from before the window manager drew one.
QRect frmMain::outerGeometry() const {
    return windowHandle() ? windowHandle()->frameGeometry() : frameGeometry();
}

void frmMain::runFirstTimeHelp() {
    // The program must still start when the store cannot be written.
    ErrorTrap(QString(), ErrorTrap::Mode::Ignore).step([] { saveSetting("RunOnce", "1"); });
    showHelp(HELP_FINDER, 0);
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (!unloaded_)
        Form_Unload();
    event->accept();
}

void frmMain::Form_Unload() {
    unloaded_ = true;
    ErrorTrap trap(tag("Form_Unload"));
    if (trap.test([&] { return !isMinimized(); })) {
        trap.step([&] { saveSetting("MainLeft", twipsText(outerGeometry().left())); });
        trap.step([&] { saveSetting("MainTop", twipsText(outerGeometry().top())); });
        trap.step([&] { saveSetting("MainWidth", twipsText(outerGeometry().width())); });
        trap.step([&] { saveSetting("MainHeight", twipsText(outerGeometry().height())); });
    }
    trap.step([&] { TrayShutdown(); });
    // The help viewer would keep the program running without its window.
    trap.step([&] { WinHelpA(this, AppInfo::helpFile(), HELP_QUIT, 0); });
}
