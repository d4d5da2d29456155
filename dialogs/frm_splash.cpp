// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/frm_splash.h"

#include "common/twips.h"
#include "desktop/shell_execute.h"
#include "errors/error_trap.h"
#include "widgets/app_icon.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

using crunchwise::ErrorTrap;
namespace Twips = crunchwise::Twips;

namespace {
const QColor kLinkBlue(0, 0, 192);

QFont sansSerif(double points, bool bold) {
    QFont font(QStringLiteral("Sans Serif"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// A globe: a circle with its meridian and equator.
void drawGlobe(QPainter& p) {
    p.setPen(QPen(kLinkBlue, 1.2));
    p.setBrush(QColor(200, 224, 255));
    p.drawEllipse(QRectF(1.5, 1.5, 14, 14));
    p.drawEllipse(QRectF(5.5, 1.5, 6, 14));
    p.drawLine(QPointF(1.5, 8.5), QPointF(15.5, 8.5));
}

// An envelope with its flap.
void drawEnvelope(QPainter& p) {
    p.setPen(QPen(kLinkBlue, 1.2));
    p.setBrush(QColor(255, 255, 230));
    p.drawRect(QRectF(1.5, 3.5, 14, 10));
    p.drawPolyline(QPolygonF({QPointF(1.5, 3.5), QPointF(8.5, 9.5), QPointF(15.5, 3.5)}));
}

// A 139 by 18 pixel graphic that reads as a link: a small picture and
// underlined blue text.
QPixmap linkGraphic(bool mail, const QString& text) {
    QPixmap pixmap(139, 18);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    mail ? drawEnvelope(p) : drawGlobe(p);
    QFont font = sansSerif(8, false);
    font.setUnderline(true);
    p.setFont(font);
    p.setPen(kLinkBlue);
    p.drawText(QRect(20, 0, 119, 18), Qt::AlignLeft | Qt::AlignVCenter, text);
    return pixmap;
}

QLabel* addLabel(QWidget* parent, const char* name, const QRect& twips, const QFont& font) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(Twips::rect(twips.x(), twips.y(), twips.width(), twips.height()));
    label->setFont(font);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QLabel* addLink(QWidget* parent, const char* name, const QRect& twips, const QPixmap& graphic,
                const QString& tip) {
    auto* link = new QLabel(parent);
    link->setObjectName(QLatin1String(name));
    link->setGeometry(Twips::rect(twips.x(), twips.y(), twips.width(), twips.height()));
    link->setPixmap(graphic);
    link->setCursor(Qt::PointingHandCursor);
    link->setToolTip(tip);
    return link;
}
} // namespace

frmSplash::frmSplash(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmSplash"));
    setFixedSize(Twips::toPixels(4875), Twips::toPixels(2610));
    // No title bar: a raised border of its own; clicks on it reach the window.
    auto* border = new QFrame(this);
    border->setFrameStyle(QFrame::Panel | QFrame::Raised);
    border->setLineWidth(2);
    border->setGeometry(rect());
    createControls();
    Form_Load();
}

void frmSplash::createControls() {
    Picture1 = new QFrame(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Picture1->setGeometry(Twips::rect(120, 195, 615, 615));
    Image1 = new QLabel(Picture1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(Twips::rect(60, 15, 480, 480));
    Image1->setPixmap(crunchwise::appIcon().pixmap(32, 32));

    imgWebURL =
        addLink(this, "imgWebURL", QRect(2715, 2235, 2085, 270),
                linkGraphic(false, QStringLiteral("crunchwise.org")), QLatin1String(kWebAddress));
    imgEmailURL = addLink(this, "imgEmailURL", QRect(3075, 1935, 2085, 270),
                          linkGraphic(true, QStringLiteral("E-mail support")),
                          QLatin1String(kSupportAddress));

    Label1 = addLabel(this, "Label1", QRect(1590, 120, 3180, 360), sansSerif(13.5, true));
    Label1->setText(QStringLiteral("Crunchwise"));
    // Version and notice start well left of their right edge, so that their
    // texts fit on one line in the fonts of this desktop.
    Label2 = addLabel(this, "Label2", QRect(2100, 510, 2670, 360), sansSerif(13.5, true));
    Label3 = addLabel(this, "Label3", QRect(855, 1260, 3915, 195), sansSerif(8.25, false));
    Label3->setText(QStringLiteral("Copyright (C) 2026 The Crunchwise developers"));

    for (QWidget* control : {static_cast<QWidget*>(Picture1), static_cast<QWidget*>(Image1),
                             static_cast<QWidget*>(imgWebURL), static_cast<QWidget*>(imgEmailURL),
                             static_cast<QWidget*>(Label1), static_cast<QWidget*>(Label2),
                             static_cast<QWidget*>(Label3)})
        control->installEventFilter(this);
}

void frmSplash::Form_Load() {
    ErrorTrap trap(objectName() + QLatin1String("Form_Load"));
    trap.step([&] {
        Label2->setText(QStringLiteral("version ") + QString::number(CRUNCHWISE_VERSION_MAJOR) +
                        QLatin1Char('.') + QString::number(CRUNCHWISE_VERSION_MINOR));
    });
}

bool frmSplash::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonRelease)
        return QDialog::eventFilter(watched, event);
    if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
        return true;
    if (watched == imgWebURL)
        imgWebURL_Click();
    else if (watched == imgEmailURL)
        imgEmailURL_Click();
    else
        unloadBy(watched->objectName() + QLatin1String("_Click"));
    return true;
}

void frmSplash::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        unloadBy(QStringLiteral("Form_Click"));
}

void frmSplash::keyPressEvent(QKeyEvent* event) {
    // Only keys that yield a character (Enter and Escape among them).
    if (!event->text().isEmpty())
        Form_KeyPress(event->text().at(0).unicode());
}

void frmSplash::Form_KeyPress(int /*KeyAscii*/) {
    unloadBy(QStringLiteral("Form_KeyPress"));
}

void frmSplash::unloadBy(const QString& handler) {
    ErrorTrap trap(objectName() + handler);
    trap.step([&] { done(QDialog::Accepted); });
}

void frmSplash::open(const char* handler, const std::string& address) {
    ErrorTrap trap(objectName() + QLatin1String(handler));
    // The result is not examined: without a browser or mail program nothing
    // happens and the window stays open.
    trap.step([&] {
        crunchwise::ShellExecuteA(nullptr, "open", address, nullptr, std::string(),
                                  crunchwise::SW_SHOWNORMAL);
    });
}

void frmSplash::imgWebURL_Click() {
    open("imgWebURL_Click", kWebAddress);
}

void frmSplash::imgEmailURL_Click() {
    open("imgEmailURL_Click", std::string("mailto:") + kSupportAddress);
}
