// SPDX-License-Identifier: GPL-3.0-or-later
#include "natural_order.h"

#include "platform/files/file_name_codec.h"

#include <algorithm>

namespace crunchwise {

namespace {

// A key is a string of 16-bit units written as bytes that keep their order:
// a unit below 0x80 as itself, any other as three bytes, the first of them
// 0x80 or above. No unit's bytes begin another's, so byte order is unit
// order.
void putUnit(std::string& key, char16_t unit) {
    if (unit < 0x80) {
        key.push_back(char(unit));
        return;
    }
    key.push_back(char(0x80 | (unit >> 14)));
    key.push_back(char((unit >> 7) & 0x7F));
    key.push_back(char(unit & 0x7F));
}

template <typename Char> char16_t unitOf(Char c) {
    if constexpr (std::is_same_v<Char, QChar>)
        return c.unicode();
    else
        return char16_t(static_cast<unsigned char>(c));
}

template <typename Char> bool isDigit(Char c) {
    const char16_t unit = unitOf(c);
    return unit >= u'0' && unit <= u'9';
}

// A run of digits becomes '0', its length without leading zeros, the digits:
// shorter numbers sort first, equal lengths compare digit by digit. The
// marker keeps numbers before letters, as in ASCII.
template <typename Char>
std::size_t appendNumber(std::string& key, const Char* name, std::size_t size, std::size_t i) {
    std::size_t end = i;
    while (end < size && isDigit(name[end]))
        ++end;
    std::size_t first = i;
    while (first < end - 1 && unitOf(name[first]) == u'0')
        ++first;
    key.push_back('0');
    putUnit(key, char16_t(std::min<std::size_t>(end - first, 0xFFFF)));
    for (std::size_t d = first; d < end; ++d)
        key.push_back(char(unitOf(name[d])));
    return end;
}

// A non-ASCII character, case-folded and stripped of its accents.
void appendFolded(std::string& key, QChar c) {
    if (c.isSurrogate()) {
        putUnit(key, c.unicode());
        return;
    }
    const QChar folded = QChar(char16_t(QChar::toCaseFolded(c.unicode())));
    if (folded.decompositionTag() == QChar::NoDecomposition) {
        putUnit(key, folded.unicode());
        return;
    }
    for (QChar part : folded.decomposition()) {
        if (!part.isMark())
            putUnit(key, char16_t(QChar::toCaseFolded(part.unicode())));
    }
}

template <typename Char> void appendKeyOf(std::string& key, const Char* name, std::size_t size) {
    std::size_t i = 0;
    while (i < size) {
        const char16_t c = unitOf(name[i]);
        if (c >= u'0' && c <= u'9') {
            i = appendNumber(key, name, size, i);
            continue;
        }
        if (c < 0x80)
            key.push_back(char(c >= u'A' && c <= u'Z' ? c + 32 : c));
        else
            appendFolded(key, QChar(c));
        ++i;
    }
}

} // namespace

void NaturalOrder::appendKey(std::string& key, QStringView name) {
    appendKeyOf(key, name.data(), std::size_t(name.size()));
}

void NaturalOrder::appendKey(std::string& key, std::string_view nameBytes) {
    const bool ascii = std::all_of(nameBytes.begin(), nameBytes.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii)
        appendKeyOf(key, nameBytes.data(), nameBytes.size());
    else
        appendKey(key, FileNameCodec::decode(nameBytes.data(), qsizetype(nameBytes.size())));
}

bool NaturalOrder::lessThan(const QString& a, const QString& b) {
    std::string keyA, keyB;
    appendKey(keyA, a);
    appendKey(keyB, b);
    if (keyA != keyB)
        return keyA < keyB;
    return FileNameCodec::encode(a) < FileNameCodec::encode(b);
}

} // namespace crunchwise
