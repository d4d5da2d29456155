// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/toolbar_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygon>
#include <QStringList>

namespace crunchwise::ToolbarIcons {

namespace {
const QColor kOutline(64, 64, 64);
const QColor kPaper(255, 255, 240);
const QColor kBlue(0, 64, 160);
const QColor kRed(192, 0, 0);
const QColor kBox(192, 160, 96);

// Arrows towards the middle (inwards) or away from it, over a box.
void drawBoxWithArrows(QPainter& p, bool inwards) {
    p.setPen(kOutline);
    p.setBrush(kBox);
    p.drawRect(3, 5, 9, 9);
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    const QPolygon down({QPoint(5, 0), QPoint(11, 0), QPoint(8, 4)});
    const QPolygon up({QPoint(5, 4), QPoint(11, 4), QPoint(8, 0)});
    p.drawPolygon(inwards ? down : up);
    p.drawRect(inwards ? QRect(7, 5, 2, 5) : QRect(7, 10, 2, 5));
}

void drawSheet(QPainter& p) {
    p.setPen(kOutline);
    p.setBrush(kPaper);
    p.drawRect(2, 1, 11, 14);
    for (int y = 4; y <= 12; y += 3)
        p.drawLine(4, y, 11, y);
}

void drawQuestionMark(QPainter& p, const QRect& circle) {
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawEllipse(circle);
    p.setPen(Qt::white);
    QFont font = p.font();
    font.setPixelSize(circle.height() - 2);
    font.setBold(true);
    p.setFont(font);
    p.drawText(circle, Qt::AlignCenter, QStringLiteral("?"));
}

void drawExit(QPainter& p) {
    p.setPen(kOutline);
    p.setBrush(kBox);
    p.drawRect(1, 1, 8, 14);
    p.setPen(QPen(kRed, 2));
    p.drawLine(6, 8, 14, 8);
    p.drawLine(11, 5, 14, 8);
    p.drawLine(11, 11, 14, 8);
}

void draw(QPainter& p, Picture picture) {
    switch (picture) {
    case Picture::Compress:
    case Picture::Expand:
        drawBoxWithArrows(p, picture == Picture::Compress);
        break;
    case Picture::Delete:
        p.setPen(QPen(kRed, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(3, 3, 12, 12);
        p.drawLine(12, 3, 3, 12);
        break;
    case Picture::Properties:
        drawSheet(p);
        break;
    case Picture::Help:
        drawQuestionMark(p, QRect(1, 1, 14, 14));
        break;
    case Picture::WhatsThis:
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawPolygon(QPolygon({QPoint(0, 0), QPoint(0, 11), QPoint(3, 8), QPoint(7, 8)}));
        drawQuestionMark(p, QRect(7, 6, 9, 10));
        break;
    case Picture::Exit:
        drawExit(p);
        break;
    }
}

QStringList themeNames(Picture picture) {
    switch (picture) {
    case Picture::Compress:
        return {QStringLiteral("archive-insert"), QStringLiteral("package-x-generic")};
    case Picture::Expand:
        return {QStringLiteral("archive-extract"), QStringLiteral("document-open")};
    case Picture::Delete:
        return {QStringLiteral("edit-delete"), QStringLiteral("user-trash")};
    case Picture::Properties:
        return {QStringLiteral("document-properties")};
    case Picture::Help:
        return {QStringLiteral("help-contents"), QStringLiteral("help-browser")};
    case Picture::WhatsThis:
        return {QStringLiteral("help-whatsthis"), QStringLiteral("help-faq")};
    case Picture::Exit:
        return {QStringLiteral("application-exit")};
    }
    return {};
}
} // namespace

QIcon drawn(Picture picture) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter, picture);
    painter.end();
    return QIcon(pixmap);
}

QIcon icon(Picture picture) {
    for (const QString& name : themeNames(picture))
        if (QIcon::hasThemeIcon(name))
            return QIcon::fromTheme(name);
    return drawn(picture);
}

} // namespace crunchwise::ToolbarIcons
