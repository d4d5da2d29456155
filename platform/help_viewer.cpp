// SPDX-License-Identifier: GPL-3.0-or-later
#include "help_viewer.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QTextBrowser>

namespace crunchwise {

HelpViewer::HelpViewer(QWidget* parent)
    : QWidget(parent, Qt::Window), topicList_(new QListWidget(this)),
      text_(new QTextBrowser(this)) {
    setObjectName(QStringLiteral("HelpViewer"));
    setAttribute(Qt::WA_DeleteOnClose);
    topicList_->setObjectName(QStringLiteral("topicList"));
    text_->setObjectName(QStringLiteral("topicText"));
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(topicList_, 1);
    layout->addWidget(text_, 2);
    resize(640, 420);
    connect(topicList_, &QListWidget::currentRowChanged, this, &HelpViewer::showTopic);
}

bool HelpViewer::openContents(const QString& path) {
    fileName_ = path;
    topicList_->clear();
    const bool loaded = help_.load(path);
    setWindowTitle(QStringLiteral("Help - ") + path.section(QLatin1Char('/'), -1));
    if (!loaded) {
        text_->setPlainText(help_.errorString());
        return false;
    }
    for (const HelpTopic& topic : help_.topics())
        topicList_->addItem(topic.title);
    topicList_->setCurrentRow(0);
    return true;
}

int HelpViewer::currentTopic() const {
    return topicList_->currentRow();
}

void HelpViewer::showTopic(int index) {
    if (index < 0 || index >= help_.topics().size())
        return;
    if (topicList_->currentRow() != index)
        topicList_->setCurrentRow(index);
    text_->setPlainText(help_.topics()[index].text);
}

} // namespace crunchwise
