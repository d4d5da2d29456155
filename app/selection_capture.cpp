// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/selection_capture.h"

#include "app/frm_main.h"
#include "common/file_name_codec.h"
#include "errors/error_trap.h"
#include "platform/short_path_name.h"
#include "widgets/dir_list_box.h"
#include "widgets/file_list_box.h"

namespace crunchwise::commands {

namespace {
const QChar kSeparator = QLatin1Char('/');

// The short form of `path`, or empty when it has none.
QString shortPathOf(const QString& path) {
    return FileNameCodec::fromHostPath(GetShortPathNameA(FileNameCodec::hostPath(path)));
}
} // namespace

bool ResetSelection(frmMain& form, ErrorTrap& trap) {
    if (trap.test([&] { return form.File1->listIndex() < 0; }))
        return false;
    trap.step([&] { form.txtShortPathName.clear(); });
    trap.step([&] { form.txtLongPathName.clear(); });
    trap.step([&] { form.txtDOSPath.clear(); });
    trap.step([&] { form.txtPATH.clear(); });
    trap.step([&] { form.lstLongName.clear(); });
    trap.step([&] { form.lstDOSName.clear(); });
    trap.step([&] { form.lstToCompress.clear(); });
    return true;
}

bool FillSelection(frmMain& form, ErrorTrap& trap) {
    QString shortFolder;
    trap.step([&] { shortFolder = shortPathOf(form.Dir1->path()); });
    trap.step([&] { form.txtDOSPath = shortFolder + kSeparator; });
    int count = 0;
    const int listed = form.File1->listCount();
    for (int i = 0; i < listed; ++i) {
        if (!form.File1->selected(i))
            continue;
        ++count;
        QString fullPath;
        trap.step([&] { fullPath = form.Dir1->path() + kSeparator + form.File1->list(i); });
        trap.step([&] { form.lstToCompress.append(fullPath); });
        trap.step([&] { form.lstLongName.append(form.File1->list(i)); });
        // The short name is what is left of the file's short form after the
        // short folder and its separator.
        const qsizetype folderLength = shortFolder.size() + 1;
        trap.step([&] {
            const QString shortFull = shortPathOf(fullPath);
            form.lstDOSName.append(shortFull.size() > folderLength ? shortFull.mid(folderLength)
                                                                   : QString());
        });
    }
    if (count == 0)
        return false;
    trap.step([&] { form.txtPATH = form.File1->path() + kSeparator; });
    return true;
}

} // namespace crunchwise::commands
