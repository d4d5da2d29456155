// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/help_popup.h"

#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace crunchwise {

HelpPopup::HelpPopup(const HelpTopic& topic, QWidget* parent)
    : QFrame(parent, Qt::Popup), title_(topic.title) {
    setObjectName(QStringLiteral("HelpPopup"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setBackgroundRole(QPalette::ToolTipBase);
    setAutoFillBackground(true);
    auto* text = new QLabel(this);
    text->setObjectName(QStringLiteral("popupText"));
    text->setWordWrap(true);
    text->setTextFormat(Qt::RichText);
    text->setText(
        QStringLiteral("<b>") + topic.title.toHtmlEscaped() + QStringLiteral("</b><p>") +
        topic.text.toHtmlEscaped().replace(QStringLiteral("\n\n"), QStringLiteral("</p><p>")) +
        QStringLiteral("</p>"));
    text->setFixedWidth(320);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
}

void HelpPopup::popUpAtCursor() {
    adjustSize();
    QPoint place = QCursor::pos() + QPoint(8, 8);
    if (const QScreen* screen = QGuiApplication::screenAt(QCursor::pos())) {
        const QRect room = screen->availableGeometry();
        place.setX(std::min(place.x(), room.right() - width()));
        place.setY(std::min(place.y(), room.bottom() - height()));
    }
    move(place);
    show();
}

} // namespace crunchwise
