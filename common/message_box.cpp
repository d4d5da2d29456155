// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/message_box.h"

#include <QPushButton>
#include <QQueue>

namespace crunchwise {

namespace {
QQueue<QMessageBox::StandardButton>& answers() {
    static QQueue<QMessageBox::StandardButton> queue;
    return queue;
}
QList<MessageBox::Shown>& record() {
    static QList<MessageBox::Shown> list;
    return list;
}
} // namespace

QMessageBox::StandardButton MessageBox::show(QWidget* parent, QMessageBox::Icon icon,
                                             const QString& title, const QString& text,
                                             QMessageBox::StandardButtons buttons,
                                             QMessageBox::StandardButton defaultButton) {
    if (!answers().isEmpty()) {
        record().append({icon, title, text, buttons, defaultButton});
        return answers().dequeue();
    }
    QMessageBox box(icon, title, text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void MessageBox::setNextAnswer(QMessageBox::StandardButton answer) {
    answers().enqueue(answer);
}

int MessageBox::pendingAnswers() {
    return static_cast<int>(answers().size());
}

const QList<MessageBox::Shown>& MessageBox::shown() {
    return record();
}

void MessageBox::clearShown() {
    record().clear();
}

} // namespace crunchwise
