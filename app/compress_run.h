// SPDX-License-Identifier: GPL-3.0-or-later
// A Compress run followed to its end: its batches, each run by the batch
// runner that crunchws.pif names, one after another, while the window goes
// on. The status line shows the progress ("Compressing 3 of 10: name"); after
// about a second the run can be cancelled. At the end the folder and file
// lists are read again, every output is checked on disk, and the status says
// "Compression Completed" only when every file of the run is there; else
// "Compression Failed" with one failure report for the run (Retry compresses
// the failed files again), or "Compression Cancelled".
//
// No other file command starts meanwhile. Closing the window during a run
// asks first; Yes stops the run as Cancel does (the file in hand is removed,
// files already written stay) and notes the run's failures in error.log.
#pragma once

#include "app/compress_plan.h"
#include "core/batch_file.h"

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QTimer>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "app/frm_main.h"

namespace crunchwise::commands {

class RunCancel;

class CompressRun : public QObject {
    Q_OBJECT
public:
    // Starts compressing the files of `plan`; the run reports and deletes
    // itself at its end (at once when there is nothing to compress).
    static void start(frmMain& form, CompressSelection selection, CompressPlan plan);
    ~CompressRun() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class State { pending, compressed, failed, cancelled };

    CompressRun(frmMain& form, CompressSelection selection, CompressPlan plan);
    void startBatch();
    void launch();
    void readProgress();
    void batchEnded(int exitCode, QProcess::ExitStatus status);
    void cancel();
    void stopNow();
    void finish();
    void report();
    void logFailures() const;
    void showProgress();
    void fail(std::size_t file, int number, const std::string& reason);
    // The file and kind of line `line` of the batch running.
    std::optional<std::size_t> fileOfLine(std::size_t line, bool& compressLine) const;
    std::size_t done() const;

    frmMain& form_;
    std::unique_ptr<frmMain::CommandLock> lock_;
    CompressSelection selection_;
    std::vector<CompressFile> files_;
    std::vector<State> states_;
    std::map<std::size_t, FileFailure> failures_; // by selection entry
    std::size_t declined_ = 0;
    std::vector<Batch> batches_;
    std::size_t batch_ = 0; // the batch running, or the next
    std::vector<std::filesystem::path> bases_;
    std::optional<BatchFile> batchFile_;
    std::unique_ptr<QProcess> runner_;
    QByteArray output_; // the runner's report not read yet
    std::set<std::size_t> failedLines_;
    RunCancel* cancel_ = nullptr;
    QTimer* progress_ = nullptr;
    bool cancelled_ = false;
    bool closing_ = false;
};

} // namespace crunchwise::commands
