// SPDX-License-Identifier: GPL-3.0-or-later
// The character code of a key press as the panes' keyPress signals pass it.
#pragma once

#include <QKeyEvent>
#include <optional>

namespace crunchwise {

// The code that Enter and Return type.
inline constexpr int KeyAsciiEnter = 13;

// The code of the character `event` types (13 for Enter and Return, 8 for
// Backspace, 27 for Escape); 0 for keys that type no character (arrows,
// function keys, modifiers alone).
int keyAsciiOf(const QKeyEvent& event);

// Offers a character key to the receivers of a keyPress signal through
// `emitKeyPress(int& keyAscii)`. Returns nothing when a receiver cancelled
// the key by setting the code to 0 (the event is then accepted), else the
// key's code (0 for keys that type no character).
template <typename Emit> std::optional<int> offerKey(QKeyEvent* event, Emit&& emitKeyPress) {
    const int typed = keyAsciiOf(*event);
    if (typed == 0)
        return 0;
    int keyAscii = typed;
    emitKeyPress(keyAscii);
    if (keyAscii != 0)
        return typed;
    event->accept();
    return std::nullopt;
}

} // namespace crunchwise
