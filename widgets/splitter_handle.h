// SPDX-License-Identifier: GPL-3.0-or-later
// The invisible grab handle of a splitter: shows the west-east sizing
// pointer and reports its mouse events with positions in twips, relative to
// itself.
#pragma once

#include <QWidget>

namespace crunchwise {

class SplitterHandle : public QWidget {
    Q_OBJECT
public:
    explicit SplitterHandle(QWidget* parent = nullptr);

signals:
    // Button: 1 left, 2 right, 4 middle. Shift: 1 Shift, 2 Ctrl, 4 Alt.
    void mouseDown(int Button, int Shift, float X, float Y);
    void mouseMove(int Button, int Shift, float X, float Y);
    void mouseUp(int Button, int Shift, float X, float Y);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace crunchwise
