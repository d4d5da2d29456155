// SPDX-License-Identifier: GPL-3.0-or-later
// SIGINT, SIGTERM and SIGHUP in the batch runner: noted rather than obeyed
// at once, so that the runner can stop the compressors it started (each
// removes its temporary) before it ends by the same signal.
#pragma once

#include "platform/interrupt_cleanup.h"

#include <csignal>

namespace crunchwise::tools::interrupts {

// Installs the handlers (signals the runner was started ignoring stay
// ignored). Returns false when the wake-up pipe cannot be made.
bool install();

// Readable once an interrupt has arrived: for poll().
int wakeDescriptor();

// The first interrupt that arrived, or 0.
int received();

// Blocks the interrupts for its lifetime, so that a child started meanwhile
// is known before the handler can run.
using Held = InterruptCleanup::Held;

// Ends the runner by `signal` as if it had not been caught.
[[noreturn]] void endBy(int signal);

} // namespace crunchwise::tools::interrupts
