// SPDX-License-Identifier: GPL-3.0-or-later
// The character code of a key press as the panes' keyPress signals pass it.
#pragma once

class QKeyEvent;

namespace crunchwise {

// The code of the character `event` types (13 for Enter and Return, 8 for
// Backspace, 27 for Escape); 0 for keys that type no character (arrows,
// function keys, modifiers alone).
int keyAsciiOf(const QKeyEvent& event);

} // namespace crunchwise
