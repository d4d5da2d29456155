// SPDX-License-Identifier: GPL-3.0-or-later
// The file-by-file work of Expand, run on a thread of its own so that the
// window stays responsive: each source is expanded through the LZ library
// straight into its destination (the library writes a temporary beside it
// and moves it into place only when complete). Cancel stops the file in
// hand within one piece of it, keeping whatever file lay at its destination.
#pragma once

#include "platform/lz_expand.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace crunchwise::commands {

struct ExpandJob {
    std::string source; // paths as the host names them (bytes)
    std::string destination;
};

struct ExpandOutcome {
    enum class State {
        notTried, // left out: the run was cancelled before it
        expanded, // complete on disk
        copied,   // not compressed: copied unchanged, complete on disk
        failed,   // nothing written (number, reason, atDestination)
        damaged,  // another length than the header's, or damaged data (number, info)
        stopped,  // cancelled while in hand: nothing written
    };
    State state = State::notTried;
    int number = 0;             // failed, damaged: the run-time number
    std::string reason;         // failed, damaged data: why, in words
    bool atDestination = false; // failed: the destination could not be made or written
    LZCOPYINFO info;            // damaged: the lengths; kept unless it replaces a file
};

class ExpandRun {
public:
    explicit ExpandRun(std::vector<ExpandJob> jobs);
    ~ExpandRun();
    ExpandRun(const ExpandRun&) = delete;
    ExpandRun& operator=(const ExpandRun&) = delete;

    // Starts the run; `finished` is called on the worker thread at its end.
    void start(std::function<void()> finished = {});
    // Stops the file in hand and leaves the rest out; callable from any thread.
    void cancel();
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
    ExpandOutcome expandOne(const ExpandJob& job);

    std::vector<ExpandJob> jobs_;
    std::vector<ExpandOutcome> outcomes_;
    std::vector<std::uint64_t> sizes_; // each source's, taken once at the start
    std::uint64_t totalBytes_ = 0;
    std::atomic<std::uint64_t> finishedBytes_{0};
    std::atomic<std::uint64_t> readAtFileStart_{0};
    std::atomic<int> worker_{0}; // the worker's thread id, 0 before it runs
    std::atomic<int> current_{0};
    std::atomic<int> destination_{-1}; // the LZ handle written now, -1 if none
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> finished_{false};
    std::function<void()> onFinished_;
    std::thread thread_;
};

} // namespace crunchwise::commands
