// SPDX-License-Identifier: GPL-3.0-or-later
// The file-by-file work of Expand, run on a thread of its own so that the
// window stays responsive: each source is expanded through the LZ library
// into its destination. A cancelled run stops after the file in hand.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace crunchwise::commands {

struct ExpandJob {
    std::string source;
    std::string destination;
};

struct ExpandOutcome {
    bool done = false;            // the file was tried (not left out by Cancel)
    bool ok = false;              // expanded (or copied) completely into place
    bool copiedUnchanged = false; // the source is not compressed
};

class ExpandRun {
public:
    explicit ExpandRun(std::vector<ExpandJob> jobs);
    ~ExpandRun();
    ExpandRun(const ExpandRun&) = delete;
    ExpandRun& operator=(const ExpandRun&) = delete;

    // Starts the run; `finished` is called on the worker thread at its end.
    void start(std::function<void()> finished = {});
    void cancel() { cancelled_ = true; }
    bool finished() const { return finished_; }
    void wait();

    // Progress, readable while the run goes on: source bytes read so far of
    // the total, and the index of the file in hand.
    std::uint64_t totalBytes() const { return totalBytes_; }
    std::uint64_t bytesDone() const;
    int current() const { return current_; }
    const std::vector<ExpandJob>& jobs() const { return jobs_; }

    // One outcome per job; complete once finished().
    const std::vector<ExpandOutcome>& outcomes() const { return outcomes_; }

private:
    void run();
    ExpandOutcome expandOne(const ExpandJob& job, std::vector<std::string>& written);

    std::vector<ExpandJob> jobs_;
    std::vector<ExpandOutcome> outcomes_;
    std::uint64_t totalBytes_ = 0;
    std::atomic<std::uint64_t> finishedBytes_{0};
    std::atomic<std::uint64_t> readAtFileStart_{0};
    std::atomic<int> worker_{0}; // the worker's thread id, 0 before it runs
    std::atomic<int> current_{0};
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> finished_{false};
    std::function<void()> onFinished_;
    std::thread thread_;
};

} // namespace crunchwise::commands
