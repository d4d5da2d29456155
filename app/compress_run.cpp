// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/compress_run.h"

#include "app/run_cancel.h"
#include "common/app_info.h"
#include "common/file_name_codec.h"
#include "common/message_box.h"
#include "core/batch_protocol.h"
#include "core/compress_launch.h"
#include "desktop/shell_execute.h"
#include "errors/error_trap.h"
#include "errors/on_error.h"

#include <QCloseEvent>
#include <QLabel>
#include <QTimer>
#include <algorithm>
#include <cstring>
#include <sys/stat.h>

namespace crunchwise::commands {
namespace {

// How long a stopped runner gets to end before it is killed.
constexpr int kStopGraceMs = 5000;
// How often the progress is shown again.
constexpr int kProgressRefreshMs = 500;
// ShellExecuteA's results above this are successes.
constexpr int kLastLaunchFailure = 32;

std::filesystem::path programFolder() {
    return FileNameCodec::hostPath(AppInfo::path());
}

// "line N ok" or "line N failed": the line and whether it failed.
std::optional<std::pair<std::size_t, bool>> reportedLine(const QByteArray& text) {
    const QList<QByteArray> words = text.trimmed().split(' ');
    bool number = false;
    const std::size_t line = words.size() == 3 ? words[1].toULongLong(&number) : 0;
    if (!number || words[0] != "line" || (words[2] != "ok" && words[2] != "failed"))
        return std::nullopt;
    return std::pair{line, words[2] == "failed"};
}

// The reason that the runner gave for each failed line, and what else it said.
std::map<std::size_t, std::string> reasonsOf(const QByteArray& errors, std::string& other) {
    std::map<std::size_t, std::string> reasons;
    static const QByteArray kPrefix = "crunchws-cmd: line ";
    for (const QByteArray& text : errors.split('\n')) {
        const qsizetype colon = text.indexOf(": ", kPrefix.size());
        bool number = false;
        const std::size_t line =
            text.startsWith(kPrefix) && colon > 0
                ? text.mid(kPrefix.size(), colon - kPrefix.size()).toULongLong(&number)
                : 0;
        QByteArray reason = number ? text.mid(colon + 2) : text;
        if (reason.startsWith("compress.exe: "))
            reason.remove(0, 14);
        const std::string shown = QString::fromUtf8(reason).toStdString();
        if (number)
            reasons[line] = shown;
        else if (!shown.empty())
            other += (other.empty() ? "" : "; ") + shown;
    }
    return reasons;
}

// The run-time number for a reason: the host error it ends with, if any.
int numberFor(const std::string& reason) {
    for (int error = 1; error < 134; ++error) {
        const std::string text = std::strerror(error);
        if (reason.size() >= text.size() && reason.ends_with(text))
            return runtimeErrorFromErrno(error);
    }
    return reason.find("not found") != std::string::npos ? ErrorNumber::FileNotFound
                                                         : ErrorNumber::PathFileAccess;
}

// Raises the run-time failure for a launcher result of 32 or less: 53 (file
// not found), 76 (path not found) or 5 for any other refusal.
void raiseLaunchFailure(int shellExecuteResult) {
    if (shellExecuteResult > kLastLaunchFailure)
        return;
    if (shellExecuteResult == SE_ERR_FNF)
        raiseRuntimeError(ErrorNumber::FileNotFound);
    if (shellExecuteResult == SE_ERR_PNF)
        raiseRuntimeError(ErrorNumber::PathNotFound);
    raiseRuntimeError(ErrorNumber::InvalidArgument);
}

} // namespace

void CompressRun::start(frmMain& form, CompressSelection selection, CompressPlan plan) {
    auto* run = new CompressRun(form, std::move(selection), std::move(plan));
    run->startBatch();
}

CompressRun::CompressRun(frmMain& form, CompressSelection selection, CompressPlan plan)
    : QObject(&form), form_(form), lock_(std::make_unique<frmMain::CommandLock>(form)),
      selection_(std::move(selection)), files_(std::move(plan.files)),
      states_(files_.size(), State::pending), failures_(std::move(plan.refused)),
      declined_(plan.declined), bases_(batchFolderBases()) {
    std::vector<BatchLines> lines;
    for (const CompressFile& file : files_)
        lines.push_back(file.lines);
    batches_ = splitIntoBatches(lines, kMaxBatchSize);
    removeFinishedRunFolders(bases_);
    form.installEventFilter(this);
    // The panes' handlers empty the status as the user browses: the progress
    // comes back within a moment, also while one large file takes long.
    progress_ = new QTimer(this);
    connect(progress_, &QTimer::timeout, this, &CompressRun::showProgress);
    progress_->start(kProgressRefreshMs);
    cancel_ = new RunCancel(form, this);
    connect(cancel_, &RunCancel::cancelRequested, this, &CompressRun::cancel);
}

CompressRun::~CompressRun() {
    if (runner_) {
        runner_->disconnect(this);
        stopNow();
    }
    batchFile_.reset(); // removes a batch that is still there
    // Still held only when the window is being destroyed with the run: its
    // controls are gone, so the lock must not enable them again.
    (void)lock_.release();
}

void CompressRun::startBatch() {
    if (batch_ >= batches_.size() || cancelled_) {
        finish();
        return;
    }
    try {
        launch();
        showProgress();
    } catch (const RuntimeError& failure) {
        // Nothing will run this batch: its files fail and the run goes on.
        batchFile_.reset();
        const Batch& batch = batches_[batch_];
        for (std::size_t i = batch.first; i < batch.first + batch.count; ++i)
            fail(i, failure.number(), "not compressed: " + failure.description());
        ++batch_;
        startBatch();
    }
}

void CompressRun::launch() {
    batchFile_.reset();
    batchFile_.emplace(BatchFile::create(programFolder(), bases_));
    batchFile_->write(batches_[batch_].text);
    if (!batchFile_->inPlace())
        raiseRuntimeError(ErrorNumber::PermissionDenied); // its folder was swapped
    SHELLEXECUTEINFOA info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.hwnd = &form_;
    info.lpFile = (programFolder() / kPifFileName).string();
    info.lpDirectory = batchFile_->folder().string();
    info.nShow = SW_HIDE;
    if (!ShellExecuteExA(info))
        raiseLaunchFailure(info.hInstApp);
    if (!info.hProcess)
        raiseRuntimeError(ErrorNumber::FileNotFound);
    runner_ = std::move(info.hProcess);
    connect(runner_.get(), &QProcess::readyReadStandardOutput, this, &CompressRun::readProgress);
    connect(runner_.get(), &QProcess::finished, this, &CompressRun::batchEnded);
}

std::optional<std::size_t> CompressRun::fileOfLine(std::size_t line, bool& compressLine) const {
    const Batch& batch = batches_[batch_];
    compressLine = line >= 1 && line <= batch.count;
    if (compressLine)
        return batch.first + line - 1;
    if (line > batch.count && line <= 2 * batch.count)
        return batch.first + line - batch.count - 1;
    return std::nullopt; // the del line
}

void CompressRun::readProgress() {
    output_ += runner_->readAllStandardOutput();
    qsizetype end = 0;
    while ((end = output_.indexOf('\n')) >= 0) {
        const auto reported = reportedLine(output_.left(end));
        output_.remove(0, end + 1);
        bool compressLine = false;
        const auto file = reported ? fileOfLine(reported->first, compressLine) : std::nullopt;
        // Once the run is being stopped, a line that fails may have failed
        // of the stop itself: its file counts as cancelled.
        if (file && reported->second && !cancelled_)
            failedLines_.insert(reported->first);
        else if (file && compressLine && states_[*file] == State::pending)
            states_[*file] = State::compressed;
    }
    showProgress();
}

void CompressRun::batchEnded(int exitCode, QProcess::ExitStatus status) {
    readProgress();
    std::string other;
    const auto reasons = reasonsOf(runner_->readAllStandardError(), other);
    for (const std::size_t line : failedLines_) {
        bool compressLine = false;
        const auto reason = reasons.find(line);
        const std::string why = reason != reasons.end() ? reason->second : "not compressed";
        if (const auto file = fileOfLine(line, compressLine))
            fail(*file, numberFor(why), why);
    }
    const bool stopped = status == QProcess::CrashExit || exitCode == kBatchUsage;
    const Batch& batch = batches_[batch_];
    for (std::size_t i = batch.first; i < batch.first + batch.count; ++i) {
        if (states_[i] != State::pending)
            continue;
        if (cancelled_)
            states_[i] = State::cancelled;
        else if (stopped && !other.empty())
            fail(i, numberFor(other), other);
        else
            fail(i, ErrorNumber::PathFileAccess,
                 status == QProcess::CrashExit
                     ? "the batch runner was stopped before compressing it"
                     : "the batch runner ended (exit code " + std::to_string(exitCode) +
                           ") before compressing it");
    }
    failedLines_.clear();
    output_.clear();
    runner_.release()->deleteLater(); // this is its own signal
    batchFile_.reset();
    ++batch_;
    startBatch();
}

void CompressRun::cancel() {
    cancelled_ = true;
    if (!runner_)
        return;
    TerminateProcess(*runner_);
    QTimer::singleShot(kStopGraceMs, runner_.get(), [runner = runner_.get()] { runner->kill(); });
}

void CompressRun::stopNow() {
    cancelled_ = true;
    if (!runner_ || runner_->state() == QProcess::NotRunning)
        return;
    TerminateProcess(*runner_);
    if (!runner_->waitForFinished(kStopGraceMs)) {
        runner_->kill();
        runner_->waitForFinished(kStopGraceMs);
    }
}

void CompressRun::fail(std::size_t file, int number, const std::string& reason) {
    states_[file] = State::failed;
    const std::size_t entry = files_[file].entry;
    // A file's first failure is its cause: a failed rename after it adds nothing.
    failures_.emplace(entry, FileFailure{displayName(selection_, entry), number, reason});
}

std::size_t CompressRun::done() const {
    return std::size_t(std::count_if(states_.begin(), states_.end(),
                                     [](State state) { return state != State::pending; }));
}

void CompressRun::showProgress() {
    const auto pending = std::find(states_.begin(), states_.end(), State::pending);
    if (pending == states_.end())
        return;
    const std::size_t entry = files_[std::size_t(pending - states_.begin())].entry;
    form_.lblStatus->setText(
        QStringLiteral("Compressing %1 of %2: %3")
            .arg(done() + 1)
            .arg(files_.size())
            .arg(FileNameCodec::displayText(selection_.names.value(qsizetype(entry)))));
}

void CompressRun::finish() {
    progress_->stop();
    form_.removeEventFilter(this);
    delete cancel_;
    cancel_ = nullptr;
    for (std::size_t i = 0; i < files_.size(); ++i) {
        struct stat written {};
        const std::string& output = files_[i].output;
        if (states_[i] == State::compressed &&
            (::lstat(output.c_str(), &written) != 0 || !S_ISREG(written.st_mode)))
            fail(i, ErrorNumber::FileNotFound, "its compressed file is not there after the run");
    }
    if (closing_)
        logFailures();
    else
        report();
    lock_.reset();
    deleteLater();
}

void CompressRun::report() {
    const bool nothingDone = files_.empty() && failures_.empty() && declined_ > 0;
    ErrorTrap trap(form_.objectName() + QStringLiteral("mPopUp2_Click"));
    // The outputs show in both lists; the highlighted folder and the selected
    // files stay where they still exist.
    trap.step([&] { form_.readListsAgain(); });
    trap.step([&] {
        form_.lblStatus->setText(cancelled_ || nothingDone ? QStringLiteral("Compression Cancelled")
                                 : failures_.empty()       ? QStringLiteral("Compression Completed")
                                                           : QStringLiteral("Compression Failed"));
    });
    if (failures_.empty())
        return;
    std::vector<FileFailure> failed;
    std::vector<std::size_t> entries;
    for (const auto& [entry, failure] : failures_) {
        entries.push_back(entry);
        failed.push_back(failure);
    }
    const std::string heading = failed.size() == 1
                                    ? "1 file was not compressed:"
                                    : std::to_string(failed.size()) + " files were not compressed:";
    // The step fails once; Retry runs it again, which then asks for a new
    // run of the failed files.
    bool reported = false;
    bool again = false;
    trap.step([&] {
        if (reported) {
            again = true;
            return;
        }
        reported = true;
        raiseFilesFailure(heading, failed);
    });
    if (again)
        start(form_, selection_, planCompress(&form_, selection_, entries));
}

void CompressRun::logFailures() const {
    const QString tag = form_.objectName() + QStringLiteral("mPopUp2_Click");
    for (const auto& [entry, failure] : failures_)
        OnError::WriteErrorLog(tag + QStringLiteral(" - ") + QString::fromStdString(failure.file) +
                               QStringLiteral(": ") + QString::fromStdString(failure.reason) +
                               QStringLiteral(" (%1)").arg(failure.number));
}

bool CompressRun::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &form_ || event->type() != QEvent::Close || !runner_)
        return false;
    const QString question =
        QStringLiteral("Crunchwise is still compressing (%1 of %2 files done).\r\n\r\n"
                       "Stop compressing and close? The file being compressed is left out; "
                       "the files already compressed stay.")
            .arg(done())
            .arg(files_.size());
    if (MessageBox::show(&form_, QMessageBox::Question, AppInfo::title(), question,
                         QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes) {
        event->ignore();
        return true;
    }
    closing_ = true;
    stopNow(); // the run ends within, and reports to error.log only
    return false;
}

} // namespace crunchwise::commands
