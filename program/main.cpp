// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frm_main.h"
#include "common/app_info.h"
#include "platform/interrupt_cleanup.h"
#include "program/command_line.h"

#include <QApplication>
#include <cstdio>

using crunchwise::argumentList;
using crunchwise::CommandLine;

namespace {
// Qt would abort with a long trace when no display can be reached.
bool displayAvailable() {
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY") ||
           qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
}

} // namespace

int main(int argc, char* argv[]) {
    CommandLine commandLine;
    if (const auto code = commandLine.answerAlone(argumentList(argc, argv)))
        return *code;
    if (!displayAvailable()) {
        std::fputs("crunchwise: no display to show the window on (set DISPLAY)\n", stderr);
        return 1;
    }
    // The temporaries of an Expand cut short by SIGTERM (the end of the
    // session), SIGINT or SIGHUP are removed before the program ends.
    crunchwise::InterruptCleanup::installHandlers();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(crunchwise::AppInfo::kTitle));
    QApplication::setApplicationVersion(QStringLiteral(CRUNCHWISE_VERSION));
    // The application object has taken out the options it knows.
    QString path;
    if (const auto code = commandLine.readPath(argumentList(argc, argv), path))
        return *code;

    frmMain window;
    if (window.Form_Load(path) == frmMain::LoadOutcome::HandedOff)
        return 0;
    if (!path.isEmpty())
        window.openPath(path);
    window.show();
    return QApplication::exec();
}
