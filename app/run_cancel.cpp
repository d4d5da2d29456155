// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/run_cancel.h"

#include "app/frm_main.h"
#include "common/twips.h"

#include <QLabel>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>

namespace crunchwise::commands {

RunCancel::RunCancel(frmMain& form, QObject* owner)
    : QObject(owner), form_(form), status_(form.lblStatus) {
    QTimer::singleShot(kDelay, this, &RunCancel::offer);
}

RunCancel::~RunCancel() {
    delete button_;
    delete escape_;
    if (status_ && statusGeometry_.isValid())
        status_->setGeometry(statusGeometry_);
}

void RunCancel::offer() {
    if (!status_)
        return;
    QWidget* statusArea = status_->parentWidget();
    button_ = new QToolButton(statusArea);
    button_->setObjectName(QStringLiteral("cmdCancelRun"));
    button_->setText(QStringLiteral("Cancel"));
    button_->setToolTip(QStringLiteral("Stop this command (Esc)"));
    button_->setGeometry(Twips::rect(6390, 3105, 840, 300));
    // The status text stops short of the button.
    statusGeometry_ = status_->geometry();
    QRect shortened = statusGeometry_;
    shortened.setRight(button_->geometry().left() - 4);
    status_->setGeometry(shortened);
    button_->show();
    escape_ = new QShortcut(QKeySequence(Qt::Key_Escape), &form_);
    connect(button_, &QToolButton::clicked, this, &RunCancel::request);
    connect(escape_, &QShortcut::activated, this, &RunCancel::request);
}

void RunCancel::request() {
    if (!button_ || !button_->isEnabled())
        return;
    button_->setEnabled(false);
    emit cancelRequested();
}

} // namespace crunchwise::commands
