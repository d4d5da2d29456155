// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/file_name_codec.h"

namespace crunchwise {

namespace {

constexpr char16_t escapeBase = 0xDC00;

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Length of the valid UTF-8 sequence at `p` (1..4), or 0 if it is invalid.
int validSequenceLength(const unsigned char* p, qsizetype left, char32_t& codePoint) {
    const unsigned char lead = p[0];
    int length = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2, minimum = 0x80, codePoint = lead & 0x1F;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, minimum = 0x800, codePoint = lead & 0x0F;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, minimum = 0x10000, codePoint = lead & 0x07;
    else
        return 0;
    if (left < length)
        return 0;
    for (int i = 1; i < length; ++i) {
        if (!isContinuation(p[i]))
            return 0;
        codePoint = (codePoint << 6) | (p[i] & 0x3F);
    }
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    if (codePoint < minimum || surrogate || codePoint > 0x10FFFF)
        return 0;
    return length;
}

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
        char32_t codePoint = p[i];
        const int length = p[i] < 0x80 ? 1 : validSequenceLength(p + i, size - i, codePoint);
        if (length == 0) {
            out.append(QChar(char16_t(escapeBase + p[i])));
            ++i;
            continue;
        }
        out.append(QString::fromUcs4(&codePoint, 1));
        i += length;
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
