// SPDX-License-Identifier: GPL-3.0-or-later
// What's This help by context number: a click on a control in What's This
// mode shows, in a small pop-up, the help topic of the control's context
// number (the nearest one set on the control or a control around it).
#pragma once

#include <QObject>

class QWidget;

namespace crunchwise {

class WhatsThisContext : public QObject {
    Q_OBJECT
public:
    // Gives `control` (and every control inside it) the context `number`.
    static void set(QWidget* control, int number);
    // The context number that a click on `control` shows; 0 for none.
    static int of(const QWidget* control);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
    static WhatsThisContext* instance();
};

} // namespace crunchwise
