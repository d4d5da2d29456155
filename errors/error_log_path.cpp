// SPDX-License-Identifier: GPL-3.0-or-later
#include "errors/error_log_path.h"

#include "common/app_info.h"
#include "common/file_name_codec.h"

#include <QDir>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace OnError {

namespace {
bool inGroup(gid_t group) {
    if (group == ::getegid())
        return true;
    const int count = ::getgroups(0, nullptr);
    if (count <= 0)
        return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int filled = ::getgroups(count, groups.data());
    for (int i = 0; i < filled; ++i)
        if (groups[static_cast<std::size_t>(i)] == group)
            return true;
    return false;
}
} // namespace

bool folderWritable(const QString& folder) {
    const QByteArray name = crunchwise::FileNameCodec::encode(folder);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
    mode_t bit = S_IWOTH;
    if (info.st_uid == ::geteuid())
        bit = S_IWUSR;
    else if (inGroup(info.st_gid))
        bit = S_IWGRP;
    // access() also catches a read-only mount.
    return (info.st_mode & bit) != 0 && ::access(name.constData(), W_OK | X_OK) == 0;
}

QString userStateFolder() {
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/crunchwise");
}

QString errorLogPath() {
    const QString programFolder = crunchwise::AppInfo::path();
    // The separator is appended unconditionally, as every path of the program is joined.
    if (folderWritable(programFolder))
        return programFolder + QStringLiteral("/error.log");
    const QString stateFolder = userStateFolder();
    QDir().mkpath(stateFolder);
    return stateFolder + QStringLiteral("/error.log");
}

} // namespace OnError
