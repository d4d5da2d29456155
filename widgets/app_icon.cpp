// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/app_icon.h"

#include <QPainter>
#include <QPixmap>

namespace crunchwise {

namespace {
// A sheet of paper squeezed by a clamp: the file grows thin.
QPixmap drawIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    const QColor navy(0, 0, 128), teal(0, 128, 128), grey(128, 128, 128), silver(192, 192, 192);
    // Paper with a folded corner and a few lines of text.
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygon({{9, 3}, {20, 3}, {25, 8}, {25, 28}, {9, 28}}));
    p.drawLine(20, 3, 20, 8);
    p.drawLine(20, 8, 25, 8);
    p.setPen(grey);
    for (int y = 12; y <= 24; y += 3)
        p.drawLine(12, y, 22, y);
    // Clamp jaws pressing from both sides.
    p.setPen(Qt::black);
    p.setBrush(teal);
    p.drawRect(2, 10, 5, 12);
    p.drawRect(27, 10, 3, 12);
    p.setBrush(silver);
    p.drawRect(0, 14, 2, 4);
    // Arrows towards the paper.
    p.setPen(QPen(navy, 2));
    p.drawLine(7, 16, 10, 16);
    p.drawLine(24, 16, 27, 16);
    return pixmap;
}
} // namespace

QIcon appIcon() {
    static const QIcon icon(drawIcon());
    return icon;
}

} // namespace crunchwise
