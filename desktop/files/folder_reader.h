// SPDX-License-Identifier: GPL-3.0-or-later
// Reads the entries of one folder for the panes: getdents64 into a large
// buffer, the entry type from the directory itself where the file system
// provides it (a stat only for symbolic links and unknown types). Hidden
// names (starting with ".") are left out; the listing is in NaturalOrder.
#pragma once

#include "desktop/files/folder_listing.h"

#include <QString>

namespace crunchwise {

class FolderReader {
public:
    enum class Entries {
        Files,   // regular files and symbolic links to them
        Folders, // folders and symbolic links to them
    };

    // The wanted entries of `folder`, sorted. Throws RuntimeError when the
    // folder cannot be listed: 76 (Path not found) for a missing folder or
    // one reached through a file, 70 (Permission denied), 68 (Device
    // unavailable), 52 (no medium) and so on.
    static FolderListing read(const QString& folder, Entries wanted);

    // The files and the folders of `folder`, sorted, in one pass. Throws as
    // read().
    struct Listings {
        FolderListing files;
        FolderListing folders;
    };
    static Listings readBoth(const QString& folder);

    // `path` made absolute and clean ("/a/b", "/"); an empty result for an
    // empty `path`. Never fails.
    static QString normalized(const QString& path);

    // `folder` joined with `name` by one "/". Never fails.
    static QString join(const QString& folder, const QString& name);

    // Throws the RuntimeError for a folder that failed with `hostError`
    // (an errno value): a missing folder is "Path not found".
    [[noreturn]] static void raiseFolderError(int hostError);
};

} // namespace crunchwise
