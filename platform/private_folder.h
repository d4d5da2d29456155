// SPDX-License-Identifier: GPL-3.0-or-later
// Folders that only this user controls, for what the program runs or
// listens on: a folder that someone else could write to, or swap for a link,
// is never used. The mode of an existing folder is never changed.
#pragma once

#include <filesystem>
#include <optional>

namespace crunchwise {

// True when `folder` is a real folder (not a link) owned by this user that
// nobody else may write to; with `closed`, one that nobody else may even
// enter (mode 0700 or stricter).
bool isOwnFolder(const std::filesystem::path& folder, bool closed);

// `folder`, created with mode 0700 when missing (its parent must exist),
// when it then is an own closed folder; nothing otherwise.
std::optional<std::filesystem::path> ownClosedFolder(const std::filesystem::path& folder);

// The user's runtime folder ($XDG_RUNTIME_DIR) when it is set, absolute and
// an own closed folder, as the base-directory rules require; else nothing.
std::optional<std::filesystem::path> userRuntimeFolder();

} // namespace crunchwise
