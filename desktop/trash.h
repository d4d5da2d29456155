// SPDX-License-Identifier: GPL-3.0-or-later
// Moving one file to the desktop's trash (the freedesktop Trash), checked:
// a file counts as trashed only when it lies in a trash's "files" folder and
// its ".trashinfo" beside was written in full, flushed to disk and read back
// with its Path and DeletionDate, so that the file manager can restore it.
// Names go to the host through FileNameCodec, so names that are not UTF-8
// are trashed as they are and recorded byte for byte.
#pragma once

#include <QString>

namespace crunchwise::Trash {

// The user's own trash: $XDG_DATA_HOME/Trash (~/.local/share/Trash).
QString homeTrash();

// Moves `path` into the trash of its volume: the home trash for the home's
// volume, "$topdir/.Trash/$uid" (when that is a sticky folder and no link)
// or "$topdir/.Trash-$uid" for another one. Returns the file's new path, or
// an empty string when it could not be trashed, with the host's error value
// in `hostError` when one is given; the file is then where it was, nothing
// of the attempt is left in the trash, and nothing is ever removed for good.
QString moveToTrash(const QString& path, int* hostError = nullptr);

} // namespace crunchwise::Trash
