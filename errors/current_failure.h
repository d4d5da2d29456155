// SPDX-License-Identifier: GPL-3.0-or-later
// The failure being handled: what the error handler reads its number and
// description from. Set by the error trap just before it reports.
#pragma once

#include "failures/runtime_error.h"

#include <exception>

namespace crunchwise::CurrentFailure {

void set(const RuntimeError& failure);
void clear();
int number();
std::string description();
// The files of a failed run; empty for the failure of a single step.
std::vector<FileFailure> files();

// The run-time failure that an exception thrown by a step stands for:
// RuntimeError as it is, host errors by their errno, anything else as an
// internal error.
RuntimeError fromException(std::exception_ptr thrown);

} // namespace crunchwise::CurrentFailure
