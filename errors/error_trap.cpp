// SPDX-License-Identifier: GPL-3.0-or-later
#include "errors/error_trap.h"

#include "common/app_info.h"
#include "common/message_box.h"
#include "errors/current_failure.h"
#include "errors/on_error.h"

namespace crunchwise {

ErrorTrap ErrorTrap::fallingBack(QWidget* parent, std::function<void()> fallBack) {
    ErrorTrap trap(QString(), Mode::FallBack);
    trap.warnParent_ = parent;
    trap.fallBack_ = std::move(fallBack);
    return trap;
}

ErrorTrap ErrorTrap::telling(QWidget* parent) {
    ErrorTrap trap(QString(), Mode::Tell);
    trap.warnParent_ = parent;
    return trap;
}

bool ErrorTrap::retry(std::exception_ptr thrown) {
    switch (mode_) {
    case Mode::Ignore:
        return false;
    case Mode::FallBack:
        return warnAndFallBack(thrown);
    case Mode::Tell:
        MessageBox::show(
            warnParent_, QMessageBox::NoIcon, AppInfo::title(),
            QString::fromStdString(CurrentFailure::fromException(thrown).description()));
        return false;
    case Mode::Report:
        break;
    }
    CurrentFailure::set(CurrentFailure::fromException(thrown));
    const bool again = OnError::HandleError(tag_) == OnError::vbRetry;
    CurrentFailure::clear();
    return again;
}

bool ErrorTrap::warnAndFallBack(std::exception_ptr thrown) {
    if (fellBack_)
        return false;
    fellBack_ = true;
    const RuntimeError failure = CurrentFailure::fromException(thrown);
    MessageBox::show(warnParent_, QMessageBox::Warning, QString::fromLatin1(AppInfo::kTitle),
                     QStringLiteral("Error ") + QString::number(failure.number()) +
                         QStringLiteral(":  ") + QString::fromStdString(failure.description()) +
                         QStringLiteral("."));
    if (fallBack_)
        ErrorTrap(QString(), Mode::Ignore).step(fallBack_);
    return true;
}

} // namespace crunchwise
