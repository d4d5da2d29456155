// SPDX-License-Identifier: GPL-3.0-or-later
// UTF-8 sequences in names of bytes: which bytes make a whole character.
// Qt-free; the name rules and the file name codec share it.
#pragma once

#include <cstddef>
#include <string_view>

namespace crunchwise {

// The length (1 to 4) of the valid UTF-8 sequence that starts at `text[0]`,
// or 0 when none does: no overlong forms, no surrogates, nothing above
// U+10FFFF, nothing cut short. `text` must not be empty.
std::size_t utf8SequenceLength(std::string_view text);

} // namespace crunchwise
