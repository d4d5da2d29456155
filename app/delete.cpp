// SPDX-License-Identifier: GPL-3.0-or-later
// Delete (command index 4): the selected files go to the desktop's trash in
// one shell request, after one confirmation.
#include "app/file_commands.h"
#include "app/frm_main.h"
#include "common/file_name_codec.h"
#include "desktop/sh_file_operation.h"
#include "errors/error_trap.h"
#include "widgets/dir_list_box.h"
#include "widgets/file_list_box.h"

namespace crunchwise::commands {

void Delete(frmMain& form) {
    ErrorTrap trap(form.objectName() + QLatin1String("mPopUp2_Click"));
    if (trap.test([&] { return form.File1->listIndex() < 0; }))
        return;
    trap.step([&] { form.FileOpFunction = FO_DELETE; });
    QString folder;
    trap.step([&] { folder = form.Dir1->path(); });
    QStringList files;
    trap.step([&] {
        files.clear();
        for (int i = 0; i < form.File1->listCount(); ++i)
            if (form.File1->selected(i))
                files << folder + QLatin1Char('/') + form.File1->list(i);
    });
    if (trap.test([&] { return files.isEmpty(); }))
        return;
    trap.step([&] { form.ShellDelete(files, QString()); });
    trap.step([&] { form.File1->refresh(); });
}

} // namespace crunchwise::commands

using crunchwise::ErrorTrap;

void frmMain::ShellDelete(const QStringList& sFileArray, const QString& sDestination) {
    ErrorTrap trap(tag("ShellDelete"));
    std::string sources;
    trap.step([&] {
        sources.clear();
        for (const QString& file : sFileArray) {
            sources += crunchwise::FileNameCodec::hostPath(file);
            sources += '\0';
        }
    });
    trap.step([&] { FileOpFlags = BuildFlags(); });
    crunchwise::SHFILEOPSTRUCTA request;
    trap.step([&] {
        request.wFunc = static_cast<unsigned>(FileOpFunction);
        request.pFrom = sources;
        request.pTo = crunchwise::FileNameCodec::hostPath(sDestination);
        request.fFlags = static_cast<std::uint16_t>(FileOpFlags & 0xFFFF);
    });
    trap.step([&] { crunchwise::SHFileOperationA(request); });
}

qint32 frmMain::BuildFlags() {
    ErrorTrap trap(tag("BuildFlags"));
    qint32 flags = 0;
    trap.step([&] { flags = crunchwise::FOF_ALLOWUNDO; });
    return flags;
}
