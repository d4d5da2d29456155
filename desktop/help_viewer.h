// SPDX-License-Identifier: GPL-3.0-or-later
// The help viewer window: on the left the topics of one help file
// (Contents) or its keywords with a search box (Index), on the right the
// chosen topic's text.
#pragma once

#include "desktop/help_file.h"

#include <QWidget>

class QLineEdit;
class QListWidget;
class QTabWidget;
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
    // The keyword index, with `keyword` in its search box and the first
    // keyword that starts with it highlighted.
    void showIndex(const QString& keyword);
    // The Contents page with its first topic.
    void showContents();
    // True while the Index page is shown.
    bool indexShown() const;
    const QListWidget* keywordList() const { return keywordList_; }
    const QLineEdit* keywordSearch() const { return keywordSearch_; }

private:
    QWidget* createIndexPage();
    void fillIndex();
    void findKeyword(const QString& prefix);
    void openKeyword();

    QTabWidget* pages_;
    QLineEdit* keywordSearch_;
    QListWidget* keywordList_;
    QListWidget* topicList_;
    QTextBrowser* text_;
    HelpFile help_;
    QString fileName_;
};

} // namespace crunchwise
