// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/cmd/interrupts.h"

#include <fcntl.h>
#include <unistd.h>

namespace crunchwise::tools::interrupts {
namespace {

volatile sig_atomic_t gReceived = 0;
int gWake[2] = {-1, -1};

void onInterrupt(int signal) {
    if (gReceived == 0)
        gReceived = signal;
    const char byte = 1;
    (void)!::write(gWake[1], &byte, 1); // a full pipe is awake already
}

} // namespace

bool install() {
    if (::pipe2(gWake, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    InterruptCleanup::catchInterrupts(onInterrupt);
    return true;
}

int wakeDescriptor() {
    return gWake[0];
}

int received() {
    return gReceived;
}

void endBy(int signal) {
    ::signal(signal, SIG_DFL);
    const sigset_t set = InterruptCleanup::interrupts();
    ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(signal);
    ::_exit(128 + signal); // not reached
}

} // namespace crunchwise::tools::interrupts
