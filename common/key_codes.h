// SPDX-License-Identifier: GPL-3.0-or-later
// Character codes of keys, as the lists' key-press handlers receive them.
#pragma once

namespace crunchwise::KeyCode {

inline constexpr int None = 0; // a handler sets this to cancel the key
inline constexpr int Enter = 13;

} // namespace crunchwise::KeyCode
