// SPDX-License-Identifier: GPL-3.0-or-later
// The help service: opens the program's help viewer on a help file.
#pragma once

#include <QString>
#include <cstdint>

class QWidget;

namespace crunchwise {

class HelpViewer;

inline constexpr unsigned HELP_CONTEXT = 0x0001;
inline constexpr unsigned HELP_QUIT = 0x0002;
inline constexpr unsigned HELP_FINDER = 0x000B;

// Shows the help viewer for `helpFile`: HELP_FINDER opens its contents,
// HELP_CONTEXT the topic with context number `data`, HELP_QUIT closes it.
// Returns false for an unknown command or a help file that cannot be read
// (the viewer then says why).
bool WinHelpA(QWidget* owner, const QString& helpFile, unsigned command, std::uintptr_t data);

// The viewer on screen, or null.
HelpViewer* activeHelpViewer();

} // namespace crunchwise
