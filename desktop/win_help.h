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
inline constexpr unsigned HELP_CONTEXTPOPUP = 0x0008;
inline constexpr unsigned HELP_FINDER = 0x000B;
inline constexpr unsigned HELP_PARTIALKEY = 0x0105;

class HelpPopup;

// Shows the help viewer for `helpFile`: HELP_FINDER opens its contents,
// HELP_CONTEXT the topic with context number `data`, HELP_QUIT closes it.
// HELP_PARTIALKEY the keyword index with `data` (the address of a NUL-ended
// keyword, may be empty) typed into its search box; HELP_CONTEXTPOPUP shows
// the topic of context number `data` in a small pop-up at the mouse pointer.
// Returns false for an unknown command, a help file that cannot be read or a
// context without a topic (the viewer or the pop-up then says why).
bool WinHelpA(QWidget* owner, const QString& helpFile, unsigned command, std::uintptr_t data);

// The viewer on screen, or null.
HelpViewer* activeHelpViewer();
// The What's This pop-up on screen, or null.
HelpPopup* activeHelpPopup();

} // namespace crunchwise
