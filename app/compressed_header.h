// SPDX-License-Identifier: GPL-3.0-or-later
// The header of a file that Expand and Properties look at, read by its path
// as the lists give it (every byte of a raw name kept).
#pragma once

#include "platform/compressed_info.h"

#include <QString>

namespace crunchwise::commands {

// Reads the header of the file at `path`. Anything but a regular file (a
// pipe, a device) is never read and counts as not compressed. Returns 0, or
// the errno value when the file cannot be opened or read (`info` is then
// not compressed).
int readHeaderAt(const QString& path, CompressedInfo& info);

// The name proposed for expanding the file `name` at `path`: a KWAJ file's
// stored name as stored, else the expanded-name rule (with an SZDD header's
// missing character); a file that cannot be read gets the rule alone.
QString proposedExpandedName(const QString& path, const QString& name);

} // namespace crunchwise::commands
