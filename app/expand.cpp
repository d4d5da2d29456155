// SPDX-License-Identifier: GPL-3.0-or-later
// Expand: the selected files are expanded through the LZ library into the
// folder chosen in "Expand To", the first under the chosen name and each
// later one under its own proposed name. An output that is a selected file,
// or the output of an earlier file, is refused; files that already exist are
// replaced only when the user agrees, in one question for the run.
#include "app/busy_pointer.h"
#include "app/compressed_header.h"
#include "app/expand_run.h"
#include "app/file_commands.h"
#include "app/frm_main.h"
#include "app/selection_capture.h"
#include "common/file_name_codec.h"
#include "common/globals.h"
#include "core/output_plan.h"
#include "dialogs/frm_save_directory_expand.h"
#include "dialogs/replace_question.h"
#include "errors/error_trap.h"
#include "failures/runtime_error.h"
#include "widgets/file_list_box.h"

#include <QEvent>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QTimer>

#include <algorithm>
#include <set>

namespace crunchwise::commands {

namespace {

using State = ExpandOutcome::State;

constexpr int kProgressInterval = 100; // ms
constexpr int kProgressDelay = 500;    // ms before the progress dialog shows

// The last part of `path`.
std::string fileNameOf(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

// The run as planned: every job of the selection, the ones still to do (all
// at first, the failed ones on Retry) and the outputs the user agreed to
// replace.
struct ExpandPlan {
    QString folder; // the chosen folder, with a separator
    std::vector<ExpandJob> jobs;
    std::vector<std::size_t> pending;
    std::set<std::string> agreed;

    // `path` as the user knows it: its part below the chosen folder.
    std::string shown(const std::string& path) const {
        QString name = FileNameCodec::fromHostPath(path);
        if (name.startsWith(folder))
            name = name.mid(folder.size());
        return FileNameCodec::displayText(name).toStdString();
    }
    std::string sourceName(std::size_t job) const {
        return FileNameCodec::displayText(FileNameCodec::fromHostPath(fileNameOf(jobs[job].source)))
            .toStdString();
    }
    std::string outputName(std::size_t job) const { return shown(jobs[job].destination); }
};

ExpandPlan planOf(const frmMain& form) {
    ExpandPlan plan;
    plan.folder = form.txtLongPathName;
    for (int j = 0; j < form.lstToCompress.size(); ++j) {
        const QString name =
            j == 0 ? Globals::SaveFileName
                   : proposedExpandedName(form.lstToCompress.at(j), form.lstLongName.at(j));
        plan.jobs.push_back({FileNameCodec::hostPath(form.lstToCompress.at(j)),
                             FileNameCodec::hostPath(plan.folder + name)});
        plan.pending.push_back(std::size_t(j));
    }
    return plan;
}

// The pending jobs sorted out: those to run, and the refused ones.
struct Sorted {
    std::vector<std::size_t> toRun;
    std::vector<std::size_t> failed;
    std::vector<FileFailure> failures;
};

void refuse(Sorted& sorted, std::size_t job, std::string file, std::string reason) {
    sorted.failed.push_back(job);
    sorted.failures.push_back({std::move(file), ErrorNumber::FileExists, std::move(reason)});
}

// Checks the pending outputs; asks once before replacing files that exist
// (No leaves them out).
Sorted sortOut(QWidget* parent, ExpandPlan& plan) {
    std::vector<OutputJob> outputs;
    for (const ExpandJob& job : plan.jobs)
        outputs.push_back({job.source, job.destination});
    const std::vector<OutputCheck> checks = checkOutputs(outputs);
    Sorted sorted;
    std::vector<std::size_t> existing;
    QStringList existingNames;
    for (const std::size_t j : plan.pending) {
        const OutputCheck& check = checks[j];
        if (check.verdict == OutputVerdict::isSource) {
            refuse(sorted, j, plan.sourceName(j),
                   "its output " + plan.outputName(j) + " is a selected file; not expanded");
        } else if (check.verdict == OutputVerdict::takenEarlier) {
            refuse(sorted, j, plan.sourceName(j),
                   "its output " + plan.outputName(j) + " is also the output of " +
                       plan.sourceName(check.other) + "; not expanded");
        } else if (check.verdict == OutputVerdict::exists &&
                   !plan.agreed.count(plan.jobs[j].destination)) {
            existing.push_back(j);
            existingNames << QString::fromStdString(plan.outputName(j));
        } else {
            sorted.toRun.push_back(j);
        }
    }
    if (!existing.empty() && askToReplace(parent, plan.folder, existingNames)) {
        for (const std::size_t j : existing) {
            plan.agreed.insert(plan.jobs[j].destination);
            sorted.toRun.push_back(j);
        }
        std::sort(sorted.toRun.begin(), sorted.toRun.end());
    }
    return sorted;
}

QString progressText(const ExpandRun& run) {
    const ExpandJob& job = run.jobs().at(std::size_t(run.current()));
    const QString name = FileNameCodec::fromHostPath(fileNameOf(job.source));
    return QStringLiteral("Expanding %1\n%2 of %3 bytes")
        .arg(FileNameCodec::displayText(name), QLocale().toString(qulonglong(run.bytesDone())),
             QLocale().toString(qulonglong(run.totalBytes())));
}

// Cancels the run when the window is closed meanwhile, so that the file in
// hand is left as it was rather than finished unseen.
class CancelOnClose : public QObject {
public:
    CancelOnClose(QObject* window, ExpandRun& run) : window_(window), run_(run) {
        window_->installEventFilter(this);
    }
    ~CancelOnClose() override { window_->removeEventFilter(this); }
    CancelOnClose(const CancelOnClose&) = delete;
    CancelOnClose& operator=(const CancelOnClose&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Close)
            run_.cancel();
        return false;
    }

private:
    QObject* window_;
    ExpandRun& run_;
};

// Runs the expansion on its own thread while a progress dialog shows how far
// it is; returns once every file is done or Cancel stopped the run.
void runWithProgress(frmMain& form, ExpandRun& run) {
    QProgressDialog progress(&form);
    progress.setWindowTitle(QStringLiteral("Expand"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(kProgressDelay);
    progress.setRange(0, 1000);
    const CancelOnClose closing(&form, run);
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
    // The loop also ends when the program quits: the file in hand is not
    // finished unseen.
    if (!run.finished())
        run.cancel();
    run.wait();
}

// The line of a file that did not come out complete.
FileFailure failureOf(const ExpandPlan& plan, std::size_t j, const ExpandOutcome& outcome) {
    const std::string output = plan.outputName(j);
    std::string reason = outcome.reason;
    if (outcome.state == State::damaged) {
        // A wrong length gives both lengths, damaged data what it is.
        const std::string written = std::to_string(outcome.info.written);
        reason = (reason.empty() ? "expanded " + written + " bytes, the header says " +
                                       std::to_string(outcome.info.headerLength)
                                 : reason + ": expanded " + written + " bytes") +
                 (outcome.info.replacesExisting ? "; " + output + " not replaced"
                                                : "; what was expanded is kept as " + output);
    } else if (outcome.atDestination) {
        reason = "cannot write " + output + ": " + reason;
    }
    return {plan.sourceName(j), outcome.number, reason};
}

QString statusOf(bool cancelled, bool failed, bool ranAny) {
    if (cancelled)
        return QStringLiteral("Expansion Cancelled");
    if (failed)
        return QStringLiteral("Expansion Failed");
    // No to the replace question for every file leaves nothing to do.
    return ranAny ? QStringLiteral("Expansion Completed") : QStringLiteral("Expansion Cancelled");
}

// Expands the pending files; the status tells the outcome, and the files
// that did not come out complete are raised as one failure, pending again
// for a Retry.
void expandPending(frmMain& form, ExpandPlan& plan) {
    Sorted sorted = sortOut(&form, plan);
    std::vector<ExpandJob> jobs;
    for (const std::size_t j : sorted.toRun)
        jobs.push_back(plan.jobs[j]);
    ExpandRun run(std::move(jobs));
    if (!sorted.toRun.empty()) {
        const BusyPointer busy;
        runWithProgress(form, run);
    }
    bool cancelled = false;
    QStringList unchanged;
    for (std::size_t k = 0; k < sorted.toRun.size(); ++k) {
        const ExpandOutcome& outcome = run.outcomes()[k];
        const std::size_t j = sorted.toRun[k];
        cancelled =
            cancelled || outcome.state == State::stopped || outcome.state == State::notTried;
        if (outcome.state == State::copied)
            unchanged << QString::fromStdString(plan.sourceName(j));
        if (outcome.state == State::failed || outcome.state == State::damaged) {
            sorted.failed.push_back(j);
            sorted.failures.push_back(failureOf(plan, j, outcome));
        }
    }
    form.lblStatus->setText(statusOf(cancelled, !sorted.failures.empty(), !sorted.toRun.empty()));
    form.lblStatus->setToolTip(unchanged.isEmpty() ? QString()
                                                   : QStringLiteral("Not compressed, copied "
                                                                    "unchanged: ") +
                                                         unchanged.join(QStringLiteral(", ")));
    plan.pending = sorted.failed;
    std::sort(plan.pending.begin(), plan.pending.end());
    if (sorted.failures.empty())
        return;
    const std::size_t count = sorted.failures.size();
    raiseFilesFailure(count == 1 ? "1 file was not expanded:"
                                 : std::to_string(count) + " files were not expanded:",
                      std::move(sorted.failures));
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
        dialog.txtFileName->setText(
            proposedExpandedName(form.lstToCompress.value(0), form.lstLongName.value(0)));
        dialog.exec();
    });
    if (trap.test([&] { return Globals::SavePath.isEmpty(); }))
        return;
    trap.step([&] { form.txtLongPathName = Globals::SavePath; });
    trap.step([&] { Globals::SavePath.clear(); });
    ExpandPlan plan;
    trap.step([&] { plan = planOf(form); });
    trap.step([&] { expandPending(form, plan); });
    trap.step([&] { form.File1->refresh(); });
}

} // namespace crunchwise::commands
