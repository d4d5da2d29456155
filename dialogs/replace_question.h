// SPDX-License-Identifier: GPL-3.0-or-later
// The one question of a run before existing files are replaced.
#pragma once

#include <QStringList>

class QWidget;

namespace crunchwise::commands {

// Asks once, for the whole run, whether the files `names` that already exist
// in `folder` may be replaced ("N files already exist in FOLDER: ...
// Replace them?"; FOLDER without a trailing separator), listing at most a
// screenful of names. True for Yes; No, Escape and the close box are false.
bool askToReplace(QWidget* parent, const QString& folder, const QStringList& names);

} // namespace crunchwise::commands
