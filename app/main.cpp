// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frm_main.h"
#include "common/app_info.h"

#include <QApplication>
#include <cstdio>

namespace {
// Qt would abort with a long trace when no display can be reached.
bool displayAvailable() {
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY") ||
           qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
}
} // namespace

int main(int argc, char* argv[]) {
    if (!displayAvailable()) {
        std::fputs("crunchwise: no display to show the window on (set DISPLAY)\n", stderr);
        return 1;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(crunchwise::AppInfo::kTitle));
    QApplication::setApplicationVersion(QStringLiteral("1.61"));

    frmMain window;
    if (window.Form_Load() == frmMain::LoadOutcome::HandedOff)
        return 0;
    window.show();
    return QApplication::exec();
}
