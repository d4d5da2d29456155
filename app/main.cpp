// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frm_main.h"
#include "common/app_info.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(crunchwise::AppInfo::kTitle));
    QApplication::setApplicationVersion(QStringLiteral("1.61"));

    frmMain window;
    if (window.Form_Load() == frmMain::LoadOutcome::HandedOff)
        return 0;
    window.show();
    return QApplication::exec();
}
