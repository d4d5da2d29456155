// SPDX-License-Identifier: GPL-3.0-or-later
// What a path names on the host, asked with the path's exact bytes (see
// FileNameCodec): a name that is not UTF-8 is never taken for its look-alike.
#pragma once

#include <QString>
#include <sys/stat.h>

namespace crunchwise {

enum class PathKind {
    Missing, // nothing there, or it cannot be reached
    Folder,  // a folder, or a symbolic link to one
    Other,   // a file or anything else that is not a folder
};

// stat() of `path` by its exact bytes, following symbolic links. Returns 0
// or the host's error value (errno); ENOENT for an empty path.
int statPath(const QString& path, struct stat& info);

// Follows symbolic links. Never fails.
PathKind pathKind(const QString& path);

} // namespace crunchwise
