// SPDX-License-Identifier: GPL-3.0-or-later
// The program's own 32 by 32 icon, drawn in the classic 16 colours; the
// window and the tray icon both use it.
#pragma once

#include <QIcon>

namespace crunchwise {

QIcon appIcon();

} // namespace crunchwise
