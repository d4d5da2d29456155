// SPDX-License-Identifier: GPL-3.0-or-later
// Standard input and output as a tool's source and destination.
#pragma once

#include "platform/file_transform.h"

#include <cstdint>

namespace crunchwise::tools {

// Whether descriptor `fd` is a terminal.
bool isTerminal(int fd);

// A writer of all bytes into descriptor `fd` (standard output is 1), written
// straight, never through a temporary. Returns 0 or errno (EPIPE, ENOSPC).
OutputWriter descriptorWriter(int fd);

// Opens standard input as a file of its own (a duplicate descriptor).
// Returns 0 or errno.
int openStandardInput(PosixFile& input);

// Copies `input`, from its position to its end, into `spool`: a new unnamed
// file in $TMPDIR (else /tmp) that is gone once closed, read from its
// start. Returns 0, EFBIG when `input` holds more than `limit` bytes, or the
// errno value of the failure; `readFailed` says whether reading failed
// (else making or writing the temporary did).
int spoolToTemporary(const PosixFile& input, std::uint64_t limit, PosixFile& spool,
                     bool& readFailed);

} // namespace crunchwise::tools
