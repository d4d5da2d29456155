// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/files/file_url.h"

#include "common/file_name_codec.h"

#include <QUrl>

namespace crunchwise::FileUrl {

QString localPath(const QByteArray& line) {
    // Addresses should be ASCII; blanks and raw UTF-8 from lax senders are
    // read as such.
    const QUrl url(QString::fromUtf8(line), QUrl::TolerantMode);
    if (!url.isValid() || url.scheme().compare(u"file", Qt::CaseInsensitive) != 0)
        return {};
    const QString host = url.host();
    if (!host.isEmpty() && host.compare(u"localhost", Qt::CaseInsensitive) != 0)
        return {};
    // An encoded "/" or NUL cannot be part of a name: such an address names
    // no file, and decoding it would name another one.
    const QByteArray encoded = url.path(QUrl::FullyEncoded).toLatin1();
    if (encoded.toUpper().contains("%2F") || encoded.contains("%00"))
        return {};
    const QByteArray bytes = QByteArray::fromPercentEncoding(encoded);
    if (!bytes.startsWith('/'))
        return {};
    return FileNameCodec::decode(bytes);
}

QByteArray uriList(const QStringList& paths) {
    QByteArray list;
    for (const QString& path : paths)
        list += "file://" + FileNameCodec::encode(path).toPercentEncoding("/") + "\r\n";
    return list;
}

QStringList localPaths(const QByteArray& list) {
    QStringList paths;
    for (QByteArray line : list.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QString path = localPath(line);
        if (!path.isEmpty())
            paths.append(path);
    }
    return paths;
}

} // namespace crunchwise::FileUrl
