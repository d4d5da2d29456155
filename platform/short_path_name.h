// SPDX-License-Identifier: GPL-3.0-or-later
// The short (8.3) form of a path. This host has no short aliases: the short
// form of an existing path is the path itself, exactly as given (letter case
// and doubled separators kept; upper-casing would name another file).
#pragma once

#include <string>

namespace crunchwise {

// Returns the short form of `longPath`, or an empty string when the path does
// not exist (a dangling symbolic link counts as existing). No length limit.
std::string GetShortPathNameA(const std::string& longPath);

} // namespace crunchwise
