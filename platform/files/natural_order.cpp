// SPDX-License-Identifier: GPL-3.0-or-later
#include "natural_order.h"

#include <algorithm>

namespace crunchwise {

namespace {

// A run of digits becomes '0', its length without leading zeros, the digits:
// shorter numbers sort first, equal lengths compare digit by digit. The
// marker keeps numbers before letters, as in ASCII.
qsizetype appendNumber(QString& key, QStringView name, qsizetype i) {
    qsizetype end = i;
    while (end < name.size() && name[end].unicode() >= u'0' && name[end].unicode() <= u'9')
        ++end;
    qsizetype first = i;
    while (first < end - 1 && name[first] == u'0')
        ++first;
    key.append(u'0');
    key.append(QChar(char16_t(std::min<qsizetype>(end - first, 0xFFFF))));
    key.append(name.mid(first, end - first));
    return end;
}

// A non-ASCII character, case-folded and stripped of its accents.
void appendFolded(QString& key, QChar c) {
    if (c.isSurrogate()) {
        key.append(c);
        return;
    }
    const QChar folded = QChar(char16_t(QChar::toCaseFolded(c.unicode())));
    if (folded.decompositionTag() == QChar::NoDecomposition) {
        key.append(folded);
        return;
    }
    for (QChar part : folded.decomposition()) {
        if (!part.isMark())
            key.append(QChar(char16_t(QChar::toCaseFolded(part.unicode()))));
    }
}

} // namespace

QString NaturalOrder::sortKey(QStringView name) {
    QString key;
    key.reserve(name.size() + 4);
    qsizetype i = 0;
    while (i < name.size()) {
        const char16_t c = name[i].unicode();
        if (c >= u'0' && c <= u'9') {
            i = appendNumber(key, name, i);
            continue;
        }
        if (c < 0x80)
            key.append(QChar(c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c));
        else
            appendFolded(key, name[i]);
        ++i;
    }
    return key;
}

bool NaturalOrder::lessThan(const QString& a, const QString& b) {
    const QString keyA = sortKey(a);
    const QString keyB = sortKey(b);
    if (keyA != keyB)
        return keyA < keyB;
    return a < b;
}

void NaturalOrder::sort(std::vector<QString>& names) {
    struct Keyed {
        QString key;
        QString name;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(names.size());
    for (QString& name : names)
        keyed.push_back({sortKey(name), std::move(name)});
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        const int byKey = QStringView(a.key).compare(QStringView(b.key));
        return byKey != 0 ? byKey < 0 : a.name < b.name;
    });
    for (std::size_t i = 0; i < keyed.size(); ++i)
        names[i] = std::move(keyed[i].name);
}

} // namespace crunchwise
