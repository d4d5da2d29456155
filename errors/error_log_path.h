// SPDX-License-Identifier: GPL-3.0-or-later
// Where error.log goes: beside the program when its folder is writable (a
// build folder), else in the user's state folder (an installed program).
#pragma once

#include <QString>

namespace OnError {

// True when the permission bits of `folder` let this user write into it.
// The superuser counts by the owner's bits too, so that a folder made
// read-only is treated as such for every user.
bool folderWritable(const QString& folder);

// $XDG_STATE_HOME/crunchwise, or ~/.local/state/crunchwise when the variable
// is unset or not absolute. Not created here.
QString userStateFolder();

// The full path of the error log for the program folder in use.
QString errorLogPath();

} // namespace OnError
