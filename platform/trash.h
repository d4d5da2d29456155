// SPDX-License-Identifier: GPL-3.0-or-later
// Moving one file to the desktop's trash (the freedesktop Trash), checked:
// a file counts as trashed only when it lies in a trash's "files" folder with
// its ".trashinfo" beside, so that it can be restored from the file manager.
#pragma once

#include <QString>

namespace crunchwise::Trash {

// The user's own trash: $XDG_DATA_HOME/Trash (~/.local/share/Trash).
QString homeTrash();

// Moves `path` into the trash of its volume: the home trash for the home's
// volume, "$topdir/.Trash/$uid" or "$topdir/.Trash-$uid" for another one.
// Returns the file's new path, or an empty string when it could not be
// trashed; the file is then where it was (a move that landed outside a trash
// folder is undone), and nothing is ever removed for good.
QString moveToTrash(const QString& path);

} // namespace crunchwise::Trash
