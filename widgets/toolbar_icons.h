// SPDX-License-Identifier: GPL-3.0-or-later
// The 16 by 16 pictures of the toolbar buttons: the desktop's icon theme
// where it has one, else our own, drawn in the program.
#pragma once

#include <QIcon>

namespace crunchwise::ToolbarIcons {

enum class Picture { Compress, Expand, Delete, Properties, Help, WhatsThis, Exit };

// The theme's icon for `picture`, or the drawn one when the theme has none.
QIcon icon(Picture picture);
// Always the drawn picture.
QIcon drawn(Picture picture);

} // namespace crunchwise::ToolbarIcons
