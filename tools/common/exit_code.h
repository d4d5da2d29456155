// SPDX-License-Identifier: GPL-3.0-or-later
// Exit codes of compress.exe and expand.exe, one per kind of failure. With
// several files, the code of the first failure is returned.
#pragma once

namespace crunchwise::tools {

enum ExitCode : int {
    exitOk = 0,
    exitUsage = 1,             // wrong arguments
    exitSourceUnreadable = 2,  // missing, a folder, or a read failure
    exitDestinationFailed = 3, // cannot be created or written (disk full...)
    exitSameFile = 4,          // the destination is the source
    exitSourceTooLarge = 5,    // more than 4 GiB - 1 bytes (compress.exe)
    exitCorruptSource = 6,     // damaged compressed data (expand.exe)
    exitOutOfMemory = 7,
};

} // namespace crunchwise::tools
