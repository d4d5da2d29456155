// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/compressed_header.h"

#include "common/file_name_codec.h"
#include "core/expanded_name.h"

#include <fcntl.h>

namespace crunchwise::commands {

int readHeaderAt(const QString& path, CompressedInfo& info) {
    info = {};
    PosixFile file;
    // Non-blocking, so that a pipe in the list never stalls the window.
    if (const int error =
            file.open(FileNameCodec::hostPath(path), O_RDONLY | O_NONBLOCK | O_NOCTTY);
        error != 0)
        return error;
    struct stat status {};
    if (const int error = file.status(status); error != 0)
        return error;
    if (!S_ISREG(status.st_mode))
        return 0;
    return readCompressedInfo(file, info);
}

QString proposedExpandedName(const QString& path, const QString& name) {
    CompressedInfo info;
    readHeaderAt(path, info);
    return FileNameCodec::fromHostPath(ProposedExpandedName(FileNameCodec::hostPath(name), info));
}

} // namespace crunchwise::commands
