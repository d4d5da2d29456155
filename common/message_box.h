// SPDX-License-Identifier: GPL-3.0-or-later
// Every message box of the program goes through here, so that tests can
// answer them without a person and see what was asked.
#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

namespace crunchwise {

class MessageBox {
public:
    struct Shown {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString title;
        QString text;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    };

    // Shows a modal message box and returns the button pressed. Closing it by
    // its close box or Escape returns the escape button (Cancel where there is
    // one).
    static QMessageBox::StandardButton
    show(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
         QMessageBox::StandardButtons buttons = QMessageBox::Ok,
         QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

    // Test seam: while answers are queued, show() records the box and returns
    // the next answer instead of opening a window.
    static void setNextAnswer(QMessageBox::StandardButton answer);
    static int pendingAnswers();
    static const QList<Shown>& shown();
    static void clearShown();
};

} // namespace crunchwise
