// SPDX-License-Identifier: GPL-3.0-or-later
// What a path names on the host, asked with the path's exact bytes (see
// FileNameCodec): a name that is not UTF-8 is never taken for its look-alike.
#pragma once

#include <QString>

namespace crunchwise {

enum class PathKind {
    Missing, // nothing there, or it cannot be reached
    Folder,  // a folder, or a symbolic link to one
    Other,   // a file or anything else that is not a folder
};

// Follows symbolic links. Never fails.
PathKind pathKind(const QString& path);

} // namespace crunchwise
