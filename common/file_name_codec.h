// SPDX-License-Identifier: GPL-3.0-or-later
// Lossless conversion between file names as the kernel stores them (bytes)
// and QString. Valid UTF-8 decodes as usual; every byte that is not part of a
// valid UTF-8 sequence becomes the lone surrogate U+DC80..U+DCFF and encodes
// back to that same byte, so a name read from a folder always reopens.
#pragma once

#include <QByteArray>
#include <QString>
#include <string>
#include <string_view>

namespace crunchwise {

class FileNameCodec {
public:
    // The name or path for `bytes`; never fails.
    static QString decode(const char* bytes, qsizetype size);
    static QString decode(const QByteArray& bytes) {
        return decode(bytes.constData(), bytes.size());
    }

    // The bytes of `name`; equals QFile::encodeName(name) for every name
    // without escaped bytes. Never fails.
    static QByteArray encode(const QString& name);

    // encode and decode for the host layer's paths (std::string, bytes).
    static std::string hostPath(const QString& name) { return encode(name).toStdString(); }
    static QString fromHostPath(std::string_view bytes) {
        return decode(bytes.data(), qsizetype(bytes.size()));
    }

    // `name` fit for display: escaped bytes shown as U+FFFD.
    static QString displayText(const QString& name);

    // True if `name` holds escaped bytes (so QFile::encodeName would lose them).
    static bool hasEscapedBytes(const QString& name);
};

} // namespace crunchwise
