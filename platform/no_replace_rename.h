// SPDX-License-Identifier: GPL-3.0-or-later
// Renaming that never replaces another file.
#pragma once

#include <string>

namespace crunchwise {

// Renames `from` to `to` (paths in the system's 8-bit encoding) atomically
// unless `to` exists. Returns 0, or an errno value: EEXIST when `to` exists
// (also when it is `from` itself), ENOENT when `from` is missing, EXDEV for
// another volume, or whatever else the host reports. On file systems without
// an atomic no-replace rename, a hard link and unlink stand in; where even
// that is refused, existence is checked just before a plain rename.
int renameNoReplace(const std::string& from, const std::string& to);

} // namespace crunchwise
