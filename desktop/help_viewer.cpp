// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/help_viewer.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QTabWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace crunchwise {

namespace {
// Lines of a paragraph run together; a blank line ends a paragraph and an
// indented line keeps its own line.
QString topicHtml(const HelpTopic& topic) {
    QString html =
        QStringLiteral("<h3>") + topic.title.toHtmlEscaped() + QStringLiteral("</h3><p>");
    for (const QString& line : topic.text.split(QLatin1Char('\n')))
        if (line.trimmed().isEmpty())
            html += QStringLiteral("</p><p>");
        else if (line.startsWith(QLatin1Char(' ')))
            html += QStringLiteral("<br>&nbsp;&nbsp;") + line.trimmed().toHtmlEscaped();
        else
            html += line.toHtmlEscaped() + QLatin1Char(' ');
    return html + QStringLiteral("</p>");
}
} // namespace

HelpViewer::HelpViewer(QWidget* parent)
    : QWidget(parent, Qt::Window), pages_(new QTabWidget(this)),
      keywordSearch_(new QLineEdit(this)), keywordList_(new QListWidget(this)),
      topicList_(new QListWidget(this)), text_(new QTextBrowser(this)) {
    setObjectName(QStringLiteral("HelpViewer"));
    setAttribute(Qt::WA_DeleteOnClose);
    // The program ends with its main window, whether or not help is open.
    setAttribute(Qt::WA_QuitOnClose, false);
    topicList_->setObjectName(QStringLiteral("topicList"));
    text_->setObjectName(QStringLiteral("topicText"));
    auto* layout = new QHBoxLayout(this);
    pages_->addTab(topicList_, QStringLiteral("Contents"));
    pages_->addTab(createIndexPage(), QStringLiteral("Index"));
    layout->addWidget(pages_, 1);
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
    fillIndex();
    return true;
}

QWidget* HelpViewer::createIndexPage() {
    auto* page = new QWidget(this);
    keywordSearch_->setObjectName(QStringLiteral("keywordSearch"));
    keywordSearch_->setPlaceholderText(QStringLiteral("Type a word"));
    keywordList_->setObjectName(QStringLiteral("keywordList"));
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(keywordSearch_);
    layout->addWidget(keywordList_);
    connect(keywordSearch_, &QLineEdit::textEdited, this, &HelpViewer::findKeyword);
    connect(keywordSearch_, &QLineEdit::returnPressed, this, &HelpViewer::openKeyword);
    connect(keywordList_, &QListWidget::itemActivated, this, &HelpViewer::openKeyword);
    connect(keywordList_, &QListWidget::itemClicked, this, &HelpViewer::openKeyword);
    return page;
}

// Every keyword once, in alphabetical order, with the first topic it names.
void HelpViewer::fillIndex() {
    keywordList_->clear();
    QMap<QString, std::pair<QString, int>> keywords;
    for (int i = 0; i < help_.topics().size(); ++i) {
        for (const QString& keyword : help_.topics()[i].keywords)
            if (!keywords.contains(keyword.toLower()))
                keywords.insert(keyword.toLower(), {keyword, i});
    }
    for (const auto& [keyword, topic] : std::as_const(keywords)) {
        auto* item = new QListWidgetItem(keyword, keywordList_);
        item->setData(Qt::UserRole, topic);
    }
}

void HelpViewer::findKeyword(const QString& prefix) {
    for (int row = 0; row < keywordList_->count(); ++row) {
        if (keywordList_->item(row)->text().startsWith(prefix, Qt::CaseInsensitive)) {
            keywordList_->setCurrentRow(row);
            keywordList_->scrollToItem(keywordList_->item(row));
            return;
        }
    }
}

void HelpViewer::openKeyword() {
    if (QListWidgetItem* item = keywordList_->currentItem())
        showTopic(item->data(Qt::UserRole).toInt());
}

void HelpViewer::showContents() {
    pages_->setCurrentIndex(0);
    showTopic(0);
}

void HelpViewer::showIndex(const QString& keyword) {
    pages_->setCurrentIndex(1);
    keywordSearch_->setText(keyword);
    findKeyword(keyword);
    keywordSearch_->setFocus();
}

bool HelpViewer::indexShown() const {
    return pages_->currentIndex() == 1;
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
