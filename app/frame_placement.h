// SPDX-License-Identifier: GPL-3.0-or-later
// Puts a top-level window's frame (title bar and borders included) at a
// point. Until the window manager has framed a window nobody knows the
// frame's size, and the window's inside lands at the point instead; placed
// that way, a window whose frame position is saved at the end and restored
// at the next start creeps up by its title bar at every start. Once the
// frame is known, the window is moved so that the frame sits at the point.
#pragma once

#include <QObject>
#include <QPoint>

class QTimer;
class QWidget;

namespace crunchwise {

class FramePlacement : public QObject {
    Q_OBJECT
public:
    // Moves `window` (not yet shown) to `framePosition`, corrected when it is
    // first shown. The correction ends with `window`.
    static void place(QWidget* window, QPoint framePosition);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    FramePlacement(QWidget* window, QPoint framePosition);
    void correct();

    QWidget* window_;
    QPoint framePosition_;
    QTimer* poll_;
    int pollsLeft_;
};

} // namespace crunchwise
