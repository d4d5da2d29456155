// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/files/path_kind.h"

#include "common/file_name_codec.h"

#include <cerrno>

namespace crunchwise {

int statPath(const QString& path, struct stat& info) {
    if (path.isEmpty())
        return ENOENT;
    return ::stat(FileNameCodec::encode(path).constData(), &info) == 0 ? 0 : errno;
}

PathKind pathKind(const QString& path) {
    struct stat info {};
    if (statPath(path, info) != 0)
        return PathKind::Missing;
    return S_ISDIR(info.st_mode) ? PathKind::Folder : PathKind::Other;
}

} // namespace crunchwise
