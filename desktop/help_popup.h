// SPDX-License-Identifier: GPL-3.0-or-later
// The small pop-up of What's This help: one topic's title and text, closed
// by the next click or key.
#pragma once

#include "desktop/help_file.h"

#include <QFrame>

namespace crunchwise {

class HelpPopup : public QFrame {
    Q_OBJECT
public:
    explicit HelpPopup(const HelpTopic& topic, QWidget* parent = nullptr);

    const QString& title() const { return title_; }
    // Shows the pop-up beside the mouse pointer, kept on its screen.
    void popUpAtCursor();

private:
    QString title_;
};

} // namespace crunchwise
