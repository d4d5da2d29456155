// SPDX-License-Identifier: GPL-3.0-or-later
// The busy (hourglass) pointer for the life of the object.
#pragma once

#include <QApplication>
#include <QCursor>

namespace crunchwise::commands {

class BusyPointer {
public:
    BusyPointer() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~BusyPointer() { QApplication::restoreOverrideCursor(); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};

} // namespace crunchwise::commands
