// SPDX-License-Identifier: GPL-3.0-or-later
#include "error_trap.h"

#include "errors/current_failure.h"
#include "errors/on_error.h"

namespace crunchwise {

bool ErrorTrap::retry(std::exception_ptr thrown) {
    if (mode_ == Mode::Ignore)
        return false;
    CurrentFailure::set(CurrentFailure::fromException(thrown));
    const bool again = OnError::HandleError(tag_) == OnError::vbRetry;
    CurrentFailure::clear();
    return again;
}

} // namespace crunchwise
