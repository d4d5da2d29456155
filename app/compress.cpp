// SPDX-License-Identifier: GPL-3.0-or-later
// Compress: the selected files are compressed into the chosen folder by
// compress.exe, run from batch files through the launcher crunchws.pif; the
// run is followed to its end (see compress_run.h) while the window goes on.
#include "app/busy_pointer.h"
#include "app/compress_plan.h"
#include "app/compress_run.h"
#include "app/file_commands.h"
#include "app/frm_main.h"
#include "app/selection_capture.h"
#include "common/app_info.h"
#include "common/file_name_codec.h"
#include "common/globals.h"
#include "common/message_box.h"
#include "core/compress_launch.h"
#include "dialogs/frm_save_directory.h"
#include "errors/error_trap.h"
#include "platform/short_path_name.h"
#include "widgets/dir_list_box.h"
#include "widgets/drive_list_box.h"
#include "widgets/file_list_box.h"

#include <QLabel>
#include <numeric>

namespace crunchwise::commands {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

const QStringList kMissingPif = {
    QStringLiteral("The DOS PIF File CrunchWs is missing"), QString(),
    QStringLiteral("This file is needed to process compression and expansion requests"), QString(),
    QStringLiteral("Please re-install Crunchwise ensuring that the PIF file is placed in the same "
                   "directory as the main program")};

const QStringList kMissingCompressor = {
    QStringLiteral("The Microsoft® Program COMPRESS.EXE is missing"),
    QString(),
    QStringLiteral("Please ensure that this program is placed in the same folder"),
    QStringLiteral("as Crunchwise"),
    QString(),
    QStringLiteral("Alternatively, COMPRESS.EXE may be placed in a folder along"),
    QStringLiteral("your PATH"),
    QString(),
    QStringLiteral("COMPRESS.EXE is included with most Programmers Software"),
    QStringLiteral("or can be obtained at ") + QLatin1String(kCompressorDownload)};

bool missing(frmMain& form, bool present, const QStringList& message) {
    if (!present)
        MessageBox::show(&form, QMessageBox::Critical, AppInfo::title(), message.join(kCrLf));
    return !present;
}

// The destination's short form with a separator; the destination itself
// when it has none.
QString shortDestination(const QString& destination) {
    QString shortForm =
        FileNameCodec::fromHostPath(GetShortPathNameA(FileNameCodec::hostPath(destination)));
    if (shortForm.isEmpty())
        shortForm = destination;
    if (!shortForm.endsWith(QLatin1Char('/')))
        shortForm += QLatin1Char('/');
    return shortForm;
}

} // namespace

void Compress(frmMain& form) {
    ErrorTrap trap(form.objectName() + QStringLiteral("mPopUp2_Click"));
    if (!ResetSelection(form, trap))
        return;
    if (missing(form, pifPresent(FileNameCodec::hostPath(AppInfo::path())), kMissingPif) ||
        missing(form, compressorPresent(FileNameCodec::hostPath(AppInfo::path())),
                kMissingCompressor))
        return;
    if (!FillSelection(form, trap))
        return;
    trap.step([&] { Globals::SavePath.clear(); });
    trap.step([&] {
        frmSaveDirectory dialog(&form, form.Drive1, form.Dir1);
        dialog.setWindowTitle(QStringLiteral("Compress To"));
        dialog.exec();
    });
    if (trap.test([&] { return Globals::SavePath.isEmpty(); }))
        return;
    trap.step([&] { form.txtLongPathName = Globals::SavePath; });
    trap.step([&] { Globals::SavePath.clear(); });
    trap.step([&] { form.txtShortPathName = shortDestination(form.txtLongPathName); });

    trap.step([&] {
        const CompressSelection selection = captureSelection(form);
        std::vector<std::size_t> all(selection.paths.size());
        std::iota(all.begin(), all.end(), std::size_t{0});
        CompressPlan plan = planCompress(&form, selection, all);
        const BusyPointer busy; // while the first batch is written
        CompressRun::start(form, selection, std::move(plan));
    });
}

} // namespace crunchwise::commands
