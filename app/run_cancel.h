// SPDX-License-Identifier: GPL-3.0-or-later
// The way to cancel a command's work that takes a while: after about a
// second, a small Cancel button at the right end of the main window's status
// line, and the Esc key. Both go away with the object.
#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>

class QLabel;
class QShortcut;
class QToolButton;
class frmMain;

namespace crunchwise::commands {

class RunCancel : public QObject {
    Q_OBJECT
public:
    // How long a run goes before it can be cancelled, in milliseconds.
    static constexpr int kDelay = 1000;

    // Offers the way to cancel on `form`, as a child of `owner`.
    RunCancel(frmMain& form, QObject* owner);
    ~RunCancel() override;

signals:
    // The button was clicked or Esc pressed (once).
    void cancelRequested();

private:
    void offer();
    void request();

    frmMain& form_;
    QPointer<QLabel> status_; // gone first when the window is destroyed
    QPointer<QToolButton> button_;
    QPointer<QShortcut> escape_;
    QRect statusGeometry_;
};

} // namespace crunchwise::commands
