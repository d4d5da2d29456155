// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/cmd/interrupts.h"

#include <fcntl.h>
#include <unistd.h>

namespace crunchwise::tools::interrupts {
namespace {

constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};

volatile sig_atomic_t gReceived = 0;
int gWake[2] = {-1, -1};

void onInterrupt(int signal) {
    if (gReceived == 0)
        gReceived = signal;
    const char byte = 1;
    (void)!::write(gWake[1], &byte, 1); // a full pipe is awake already
}

sigset_t interruptSet() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : kInterrupts)
        sigaddset(&set, signal);
    return set;
}

} // namespace

bool install() {
    if (::pipe2(gWake, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    action.sa_mask = interruptSet();
    for (const int signal : kInterrupts) {
        struct sigaction previous {};
        if (::sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler != SIG_IGN)
            ::sigaction(signal, &action, nullptr);
    }
    return true;
}

int wakeDescriptor() {
    return gWake[0];
}

int received() {
    return gReceived;
}

Held::Held() {
    const sigset_t set = interruptSet();
    ::sigprocmask(SIG_BLOCK, &set, &previous_);
}

Held::~Held() {
    ::sigprocmask(SIG_SETMASK, &previous_, nullptr);
}

void endBy(int signal) {
    ::signal(signal, SIG_DFL);
    const sigset_t set = interruptSet();
    ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(signal);
    ::_exit(128 + signal); // not reached
}

} // namespace crunchwise::tools::interrupts
