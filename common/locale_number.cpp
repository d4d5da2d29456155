// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/locale_number.h"

#include <QLocale>
#include <cmath>

namespace crunchwise::LocaleNumber {

namespace {
QLocale userLocale() {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}
} // namespace

QString fromSingle(float value) {
    return userLocale().toString(value, 'f', QLocale::FloatingPointShortest);
}

std::optional<float> toSingle(const QString& text) {
    bool ok = false;
    const float value = userLocale().toFloat(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<short> toInteger(const QString& text) {
    bool ok = false;
    const short value = userLocale().toShort(text.trimmed(), &ok);
    if (!ok)
        return std::nullopt;
    return value;
}

} // namespace crunchwise::LocaleNumber
