// SPDX-License-Identifier: GPL-3.0-or-later
// The error number that a call raises, for tests that expect a failure.
#pragma once

#include "failures/runtime_error.h"

// The number of the RuntimeError that `action` raises, or 0 when it raises none.
template <typename Action> int failureNumber(Action action) {
    try {
        action();
    } catch (const crunchwise::RuntimeError& failure) {
        return failure.number();
    }
    return 0;
}
