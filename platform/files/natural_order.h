// SPDX-License-Identifier: GPL-3.0-or-later
// The order in which the panes list names: case-insensitive, accents folded
// onto their base letters, runs of digits compared by their numeric value
// ("file9" before "file10"). Locale-independent and fast enough for folders
// of 100,000 names: each name gets one precomputed key, compared as plain
// UTF-16.
#pragma once

#include <QString>

#include <vector>

namespace crunchwise {

class NaturalOrder {
public:
    // The sort key of `name`: a < b in this order iff key(a) < key(b), names
    // with equal keys (such as "A" and "a") tie. Never fails.
    static QString sortKey(QStringView name);

    // True if `a` goes before `b` (equal keys fall back to the exact names).
    static bool lessThan(const QString& a, const QString& b);

    // Sorts `names` into this order. Never fails.
    static void sort(std::vector<QString>& names);
};

} // namespace crunchwise
