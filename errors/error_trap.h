// SPDX-License-Identifier: GPL-3.0-or-later
// The failure protocol of every procedure: each step is guarded; a failing
// step is reported under the procedure's tag; Retry runs it again, Cancel
// goes on with the next step. Nothing is passed up to the caller.
//
//     ErrorTrap trap(u"frmMain"_s + u"Form_Unload"_s);
//     if (trap.test([&] { return !isMinimized(); })) {
//         trap.step([&] { saveLeft(); });
//     }
#pragma once

#include <QString>
#include <exception>
#include <utility>

namespace crunchwise {

class ErrorTrap {
public:
    enum class Mode {
        Report, // beep, log and ask Retry or Cancel
        Ignore, // skip a failing step silently
    };

    explicit ErrorTrap(QString errorTag, Mode mode = Mode::Report)
        : tag_(std::move(errorTag)), mode_(mode) {}

    const QString& tag() const { return tag_; }

    // Runs one step until it completes or the failure is not retried.
    // Returns true when the step completed.
    template <typename Step> bool step(Step&& run) {
        for (;;) {
            try {
                std::forward<Step>(run)();
                return true;
            } catch (...) {
                if (!retry(std::current_exception()))
                    return false;
            }
        }
    }

    // The test of a branch. A test that fails and is not retried enters the
    // branch, as if it had passed.
    template <typename Test> bool test(Test&& evaluate) {
        bool result = true;
        step([&] {
            result = true;
            result = static_cast<bool>(evaluate());
        });
        return result;
    }

private:
    // Reports a failure; true when the user chose Retry.
    bool retry(std::exception_ptr thrown);

    QString tag_;
    Mode mode_;
};

} // namespace crunchwise
