// SPDX-License-Identifier: GPL-3.0-or-later
// The failure protocol of every procedure: each step is guarded; a failing
// step is reported under the procedure's tag; Retry runs it again, Cancel
// goes on with the next step. Nothing is passed up to the caller.
//
//     ErrorTrap trap(u"frmMain"_s + u"Form_Unload"_s);
//     if (trap.test([&] { return !isMinimized(); })) {
//         trap.step([&] { saveLeft(); });
//     }
//
// The drive and folder change handlers use the falling-back trap instead: a
// failing step is shown as a warning, the lists fall back to the system drive
// and the step runs once more.
#pragma once

#include <QString>
#include <exception>
#include <functional>
#include <utility>

class QWidget;

namespace crunchwise {

class ErrorTrap {
public:
    enum class Mode {
        Report,   // beep, log and ask Retry or Cancel
        Ignore,   // skip a failing step silently
        FallBack, // warn "Error N:  description.", fall back, run the step once more
        Tell,     // show the description in a plain box, skip the step
    };

    explicit ErrorTrap(QString errorTag, Mode mode = Mode::Report)
        : tag_(std::move(errorTag)), mode_(mode) {}

    // A trap in Mode::FallBack: warnings are shown over `parent`, and
    // `fallBack` (whose own failures are ignored) runs after each warning.
    // A step that fails again after the fall-back is skipped without a second
    // warning, so a fall-back place that fails too never loops.
    static ErrorTrap fallingBack(QWidget* parent, std::function<void()> fallBack);

    // A trap in Mode::Tell, showing its boxes over `parent`.
    static ErrorTrap telling(QWidget* parent);

    const QString& tag() const { return tag_; }

    // Runs one step until it completes or the failure is not retried.
    // Returns true when the step completed.
    template <typename Step> bool step(Step&& run) {
        fellBack_ = false;
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
    // Reports a failure; true when the step is to run again.
    bool retry(std::exception_ptr thrown);
    bool warnAndFallBack(std::exception_ptr thrown);

    QString tag_;
    Mode mode_;
    QWidget* warnParent_ = nullptr;
    std::function<void()> fallBack_;
    bool fellBack_ = false;
};

} // namespace crunchwise
