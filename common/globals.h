// SPDX-License-Identifier: GPL-3.0-or-later
// Values shared by more than one window.
#pragma once

#include <QString>

namespace Globals {

// The folder chosen in a destination dialog, with a separator appended;
// empty when the user did not save.
inline QString SavePath;
// The name to expand as, chosen in the Expand destination dialog.
inline QString SaveFileName;

} // namespace Globals
