// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/key_ascii.h"

#include <QKeyEvent>

namespace crunchwise {

int keyAsciiOf(const QKeyEvent& event) {
    if (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter)
        return KeyAsciiEnter;
    const QString text = event.text();
    if (text.isEmpty())
        return 0;
    return int(text.toUcs4().value(0));
}

} // namespace crunchwise
