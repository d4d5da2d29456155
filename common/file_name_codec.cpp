// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/file_name_codec.h"

#include "core/utf8.h"

namespace crunchwise {

namespace {

constexpr char16_t escapeBase = 0xDC00;

bool isEscape(const QString& s, qsizetype i) {
    const char16_t unit = s.at(i).unicode();
    if (unit < 0xDC80 || unit > 0xDCFF)
        return false;
    return i == 0 || !s.at(i - 1).isHighSurrogate();
}

} // namespace

QString FileNameCodec::decode(const char* bytes, qsizetype size) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes);
    qsizetype i = 0;
    while (i < size && p[i] < 0x80)
        ++i;
    if (i == size)
        return QString::fromLatin1(bytes, size);
    QString out = QString::fromLatin1(bytes, i);
    out.reserve(size);
    while (i < size) {
        const std::size_t length = utf8SequenceLength({bytes + i, std::size_t(size - i)});
        if (length == 0) {
            out.append(QChar(char16_t(escapeBase + p[i])));
            ++i;
            continue;
        }
        out.append(QString::fromUtf8(bytes + i, qsizetype(length)));
        i += qsizetype(length);
    }
    return out;
}

QByteArray FileNameCodec::encode(const QString& name) {
    if (!hasEscapedBytes(name))
        return name.toUtf8();
    QByteArray out;
    out.reserve(name.size() * 3);
    qsizetype start = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (!isEscape(name, i))
            continue;
        out.append(QStringView(name).mid(start, i - start).toUtf8());
        out.append(char(name.at(i).unicode() - escapeBase));
        start = i + 1;
    }
    out.append(QStringView(name).mid(start).toUtf8());
    return out;
}

QString FileNameCodec::displayText(const QString& name) {
    if (!hasEscapedBytes(name))
        return name;
    QString out = name;
    for (qsizetype i = 0; i < out.size(); ++i)
        if (isEscape(name, i))
            out[i] = QChar::ReplacementCharacter;
    return out;
}

bool FileNameCodec::hasEscapedBytes(const QString& name) {
    for (qsizetype i = 0; i < name.size(); ++i)
        if (isEscape(name, i))
            return true;
    return false;
}

} // namespace crunchwise
