// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/common/guarded_output.h"

#include <climits>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace crunchwise::tools {
namespace {

constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};

// The temporary to remove, read by the signal handler: set and cleared only
// while the interrupts are blocked.
char gTemporary[PATH_MAX];
volatile sig_atomic_t gHaveTemporary = 0;

void onInterrupt(int signal) {
    if (gHaveTemporary) {
        ::unlink(gTemporary);
    }
    // Ends the program by the same signal once the handler returns.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

// Blocks the interrupts for its lifetime.
class InterruptsBlocked {
public:
    InterruptsBlocked() {
        sigset_t set;
        sigemptyset(&set);
        for (const int signal : kInterrupts) {
            sigaddset(&set, signal);
        }
        ::sigprocmask(SIG_BLOCK, &set, &previous_);
    }
    ~InterruptsBlocked() { ::sigprocmask(SIG_SETMASK, &previous_, nullptr); }
    InterruptsBlocked(const InterruptsBlocked&) = delete;
    InterruptsBlocked& operator=(const InterruptsBlocked&) = delete;

private:
    sigset_t previous_;
};

void forgetTemporary() {
    const InterruptsBlocked blocked;
    gHaveTemporary = 0;
}

} // namespace

void GuardedOutput::installHandlers() {
    ::signal(SIGXFSZ, SIG_IGN);
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    for (const int signal : kInterrupts) {
        sigaddset(&action.sa_mask, signal);
    }
    for (const int signal : kInterrupts) {
        struct sigaction previous {};
        if (::sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler != SIG_IGN) {
            ::sigaction(signal, &action, nullptr);
        }
    }
}

int GuardedOutput::open(const std::filesystem::path& target, ReplacingFile::Links links) {
    const InterruptsBlocked blocked;
    const int error = file_.open(target, links);
    const std::string& temporary = file_.temporary().native();
    if (error == 0 && !temporary.empty() && temporary.size() < sizeof gTemporary) {
        std::memcpy(gTemporary, temporary.c_str(), temporary.size() + 1);
        gHaveTemporary = 1;
    }
    return error;
}

int GuardedOutput::commit() {
    const int error = file_.commit();
    forgetTemporary();
    return error;
}

void GuardedOutput::discard() {
    file_.discard();
    forgetTemporary();
}

} // namespace crunchwise::tools
