// SPDX-License-Identifier: GPL-3.0-or-later
#include "help_viewer.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QTextBrowser>

namespace crunchwise {

namespace {
// Lines of a paragraph run together; a blank line ends a paragraph and an
// indented line keeps its own line.
QString topicHtml(const HelpTopic& topic) {
    QString html =
        QStringLiteral("<h3>") + topic.title.toHtmlEscaped() + QStringLiteral("</h3><p>");
    for (const QString& line : topic.text.split(QLatin1Char('\n'))) {
        if (line.trimmed().isEmpty())
            html += QStringLiteral("</p><p>");
        else if (line.startsWith(QLatin1Char(' ')))
            html += QStringLiteral("<br>&nbsp;&nbsp;") + line.trimmed().toHtmlEscaped();
        else
            html += line.toHtmlEscaped() + QLatin1Char(' ');
    }
    return html + QStringLiteral("</p>");
}
} // namespace

HelpViewer::HelpViewer(QWidget* parent)
    : QWidget(parent, Qt::Window), topicList_(new QListWidget(this)),
      text_(new QTextBrowser(this)) {
    setObjectName(QStringLiteral("HelpViewer"));
    setAttribute(Qt::WA_DeleteOnClose);
    // The program ends with its main window, whether or not help is open.
    setAttribute(Qt::WA_QuitOnClose, false);
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
    text_->setHtml(topicHtml(help_.topics()[index]));
}

} // namespace crunchwise
