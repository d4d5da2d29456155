// SPDX-License-Identifier: GPL-3.0-or-later
// Expand: the selected files are expanded through the LZ library into the
// folder chosen in "Expand To", the first under the chosen name and each
// later one under its own proposed name.
#include "app/frm_main.h"
#include "app/panes/dir_list_box.h"
#include "app/panes/drive_list_box.h"
#include "app/panes/file_list_box.h"
#include "commands/busy_pointer.h"
#include "commands/expand_run.h"
#include "commands/expanded_name.h"
#include "commands/file_commands.h"
#include "commands/selection_capture.h"
#include "common/globals.h"
#include "dialogs/frm_save_directory_expand.h"
#include "errors/error_trap.h"
#include "platform/files/file_name_codec.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QTimer>

namespace crunchwise::commands {

namespace {

constexpr int kProgressInterval = 100; // ms
constexpr int kProgressDelay = 500;    // ms before the progress dialog shows

std::string bytes(const QString& name) {
    return FileNameCodec::encode(name).toStdString();
}

QString proposedName(const QString& name) {
    return FileNameCodec::decode(QByteArray::fromStdString(BuildExpandedName(bytes(name))));
}

std::vector<ExpandJob> jobsOf(const frmMain& form) {
    std::vector<ExpandJob> jobs;
    for (int j = 0; j < form.lstToCompress.size(); ++j) {
        const QString name = j == 0 ? Globals::SaveFileName : proposedName(form.lstLongName.at(j));
        jobs.push_back({bytes(form.lstToCompress.at(j)), bytes(form.txtLongPathName + name)});
    }
    return jobs;
}

QString progressText(const ExpandRun& run) {
    const ExpandJob& job = run.jobs().at(std::size_t(run.current()));
    const QString name =
        QFileInfo(FileNameCodec::decode(QByteArray::fromStdString(job.source))).fileName();
    return QStringLiteral("Expanding %1\n%2 of %3 bytes")
        .arg(FileNameCodec::displayText(name), QLocale().toString(qulonglong(run.bytesDone())),
             QLocale().toString(qulonglong(run.totalBytes())));
}

// Runs the expansion on its own thread while a progress dialog shows how far
// it is; returns once every file is done or Cancel stopped the run.
void runWithProgress(frmMain& form, ExpandRun& run) {
    QProgressDialog progress(&form);
    progress.setWindowTitle(QStringLiteral("Expand"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(kProgressDelay);
    progress.setRange(0, 1000);
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&progress, &QProgressDialog::canceled, [&] { run.cancel(); });
    QObject::connect(&poll, &QTimer::timeout, [&] {
        const double share = run.totalBytes() ? double(run.bytesDone()) / run.totalBytes() : 0;
        progress.setLabelText(progressText(run));
        if (!progress.wasCanceled())
            progress.setValue(int(share * 1000));
    });
    run.start(
        [&loop] { QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection); });
    poll.start(kProgressInterval);
    if (!run.finished())
        loop.exec();
    run.wait();
}

// The status: "Expansion Failed" when any file failed; the files that were
// copied unchanged, not being compressed, are named in the status tip.
void showOutcome(frmMain& form, ErrorTrap& trap, const ExpandRun& run) {
    bool failed = false;
    bool cancelled = false;
    QStringList unchanged;
    for (std::size_t j = 0; j < run.outcomes().size(); ++j) {
        const ExpandOutcome& outcome = run.outcomes()[j];
        cancelled = cancelled || !outcome.done;
        failed = failed || (outcome.done && !outcome.ok);
        if (outcome.ok && outcome.copiedUnchanged)
            unchanged << form.lstLongName.at(int(j));
    }
    if (cancelled && !failed)
        return;
    trap.step([&] {
        form.lblStatus->setText(failed ? QStringLiteral("Expansion Failed")
                                       : QStringLiteral("Expansion Completed"));
    });
    trap.step([&] {
        form.lblStatus->setToolTip(unchanged.isEmpty()
                                       ? QString()
                                       : QStringLiteral("Not compressed, copied unchanged: ") +
                                             unchanged.join(QStringLiteral(", ")));
    });
}

} // namespace

void Expand(frmMain& form) {
    ErrorTrap trap(form.objectName() + QStringLiteral("mPopUp2_Click"));
    if (!ResetSelection(form, trap) || !FillSelection(form, trap))
        return;
    trap.step([&] { Globals::SavePath.clear(); });
    trap.step([&] { Globals::SaveFileName.clear(); });
    trap.step([&] {
        frmSaveDirectoryExpand dialog(&form, form.Drive1, form.Dir1);
        dialog.setWindowTitle(QStringLiteral("Expand To"));
        dialog.txtFileName->setText(proposedName(form.lstLongName.value(0)));
        dialog.exec();
    });
    if (trap.test([&] { return Globals::SavePath.isEmpty(); }))
        return;
    trap.step([&] { form.txtLongPathName = Globals::SavePath; });
    trap.step([&] { Globals::SavePath.clear(); });
    {
        const BusyPointer busy;
        ExpandRun run(jobsOf(form));
        runWithProgress(form, run);
        showOutcome(form, trap, run);
    }
    trap.step([&] { form.File1->refresh(); });
}

} // namespace crunchwise::commands
