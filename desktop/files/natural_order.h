// SPDX-License-Identifier: GPL-3.0-or-later
// The order in which the panes list names: case-insensitive, accents folded
// onto their base letters, runs of digits compared by their numeric value
// ("file9" before "file10"). Locale-independent and fast enough for folders
// of 100,000 names: each name gets one precomputed key of bytes, and keys
// compare as plain bytes (a key that is the beginning of another goes first).
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace crunchwise {

class NaturalOrder {
public:
    // Appends the sort key of `name` to `key`: a goes before b in this order
    // iff key(a) < key(b); names with equal keys (such as "A" and "a") tie.
    // Never fails.
    static void appendKey(std::string& key, QStringView name);

    // The same for a name given as the host's bytes (see FileNameCodec):
    // a name of ASCII bytes is keyed without decoding. Never fails.
    static void appendKey(std::string& key, std::string_view nameBytes);

    // True if `a` goes before `b`; equal keys fall back to the names' exact
    // bytes. Never fails.
    static bool lessThan(const QString& a, const QString& b);
};

} // namespace crunchwise
