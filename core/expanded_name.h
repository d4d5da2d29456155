// SPDX-License-Identifier: GPL-3.0-or-later
// The name proposed for a compressed file once it is expanded.
#pragma once

#include "platform/compressed_info.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace crunchwise {

// Returns `name` (a file name without its folder) with its last character (a
// whole UTF-8 sequence, see compressed_name.h) replaced by the letter that a
// known compressed suffix stands for (SETUP.EX_ gives SETUP.EXE), or, when no
// suffix matches, by `missingChar` (an SZDD header's missing character) or
// "$" when that is 0 or could not stand in a file name of its own (a control
// character, "/", or a "." that would make the name "." or ".."). The letter
// is upper case when the third character from the end is below 'a' in code,
// lower case otherwise. Has no failure: an empty name gives an empty name.
std::string BuildExpandedName(std::string_view name, std::uint8_t missingChar = 0);

// Whether `name` is safe to create as one file inside a chosen folder: not
// empty, not "." or "..", not hidden (a leading "."), and without "/", NUL
// or control characters.
bool IsSafeFileName(std::string_view name);

// The name proposed for expanding the file `name` whose header is `info`:
// a KWAJ file's stored name, as stored, when IsSafeFileName accepts it (a
// hostile stored name never leaves the folder); else BuildExpandedName of
// `name` with the SZDD header's missing character.
std::string ProposedExpandedName(std::string_view name, const CompressedInfo& info);

} // namespace crunchwise
