// SPDX-License-Identifier: GPL-3.0-or-later
// The name proposed for a compressed file once it is expanded.
#pragma once

#include <string>
#include <string_view>

namespace crunchwise {

// Returns `name` (a file name without its folder) with its last character (a
// whole UTF-8 sequence, see compressed_name.h) replaced by the letter that a
// known compressed suffix stands for (SETUP.EX_ gives SETUP.EXE), or by "$"
// when no suffix matches. The letter is upper case when the third character
// from the end is below 'a' in code, lower case otherwise. Has no failure: an
// empty name gives an empty name.
std::string BuildExpandedName(std::string_view name);

} // namespace crunchwise
