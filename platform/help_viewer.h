// SPDX-License-Identifier: GPL-3.0-or-later
// The help viewer window: the topics of one help file on the left, the
// chosen topic's text on the right.
#pragma once

#include "platform/help_file.h"

#include <QWidget>

class QListWidget;
class QTextBrowser;

namespace crunchwise {

class HelpViewer : public QWidget {
    Q_OBJECT
public:
    explicit HelpViewer(QWidget* parent = nullptr);

    // Opens `path` on its contents; a file that cannot be read is reported
    // in the viewer itself. Returns whether the file was read.
    bool openContents(const QString& path);

    const QString& fileName() const { return fileName_; }
    const HelpFile& helpFile() const { return help_; }
    // Index of the topic on display, -1 for none.
    int currentTopic() const;
    void showTopic(int index);

private:
    QListWidget* topicList_;
    QTextBrowser* text_;
    HelpFile help_;
    QString fileName_;
};

} // namespace crunchwise
