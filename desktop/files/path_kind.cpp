// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/files/path_kind.h"

#include "common/file_name_codec.h"

#include <sys/stat.h>

namespace crunchwise {

PathKind pathKind(const QString& path) {
    struct stat info {};
    if (path.isEmpty() || ::stat(FileNameCodec::encode(path).constData(), &info) != 0)
        return PathKind::Missing;
    return S_ISDIR(info.st_mode) ? PathKind::Folder : PathKind::Other;
}

} // namespace crunchwise
