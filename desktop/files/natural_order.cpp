// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/files/natural_order.h"

#include "common/file_name_codec.h"

#include <algorithm>

namespace crunchwise {

namespace {

// A key is a string of 16-bit units written as bytes that keep their order:
// a unit below 0x80 as itself, any other as three bytes, the first of them
// 0x80 or above. No unit's bytes begin another's, so byte order is unit
// order.
char* putUnit(char* out, char16_t unit) {
    if (unit < 0x80) {
        *out++ = char(unit);
        return out;
    }
    *out++ = char(0x80 | (unit >> 14));
    *out++ = char((unit >> 7) & 0x7F);
    *out++ = char(unit & 0x7F);
    return out;
}

void putUnit(std::string& key, char16_t unit) {
    char bytes[3];
    key.append(bytes, std::size_t(putUnit(bytes, unit) - bytes));
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
    for (QChar part : folded.decomposition())
        if (!part.isMark())
            putUnit(key, char16_t(QChar::toCaseFolded(part.unicode())));
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

// The usual name, all ASCII, keyed in one pass into room made once: a byte
// gives at most three key bytes (a one-digit number: '0', its length, the
// digit).
void appendAsciiKey(std::string& key, std::string_view name) {
    const std::size_t start = key.size();
    key.resize(start + 3 * name.size());
    char* out = key.data() + start;
    const char* p = name.data();
    const char* const end = p + name.size();
    while (p < end) {
        if (!isDigit(*p)) {
            *out++ = *p >= 'A' && *p <= 'Z' ? char(*p + 32) : *p;
            ++p;
            continue;
        }
        const char* digitsEnd = p;
        while (digitsEnd < end && isDigit(*digitsEnd))
            ++digitsEnd;
        while (p < digitsEnd - 1 && *p == '0')
            ++p;
        *out++ = '0';
        out = putUnit(out, char16_t(std::min<std::ptrdiff_t>(digitsEnd - p, 0xFFFF)));
        out = std::copy(p, digitsEnd, out);
        p = digitsEnd;
    }
    key.resize(std::size_t(out - key.data()));
}

} // namespace

void NaturalOrder::appendKey(std::string& key, QStringView name) {
    appendKeyOf(key, name.data(), std::size_t(name.size()));
}

void NaturalOrder::appendKey(std::string& key, std::string_view nameBytes) {
    const bool ascii = std::all_of(nameBytes.begin(), nameBytes.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii)
        appendAsciiKey(key, nameBytes);
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
