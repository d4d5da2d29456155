// SPDX-License-Identifier: GPL-3.0-or-later
// Numbers stored as text are converted with the user's locale both ways.
#pragma once

#include <QString>
#include <optional>

namespace crunchwise::LocaleNumber {

// The shortest text of a single-precision value: "1000", "1234,5" in a
// locale with a decimal comma; never grouped.
QString fromSingle(float value);
// The value of `text`, or nothing when it is not a number.
std::optional<float> toSingle(const QString& text);
// The value of `text` as a 16-bit integer, or nothing when it is not one.
std::optional<short> toInteger(const QString& text);

} // namespace crunchwise::LocaleNumber
