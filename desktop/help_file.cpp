// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/help_file.h"

#include <QFile>

namespace crunchwise {

bool HelpFile::load(const QString& path) {
    topics_.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        error_ = QStringLiteral("Cannot open the help file %1: %2.").arg(path, file.errorString());
        return false;
    }
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1String("@topic ")))
            topics_.append({line.mid(7).trimmed(), 0, {}, {}});
        else if (topics_.isEmpty())
            continue;
        else if (line.startsWith(QLatin1String("@context ")))
            topics_.last().context = line.mid(9).trimmed().toInt();
        else if (line.startsWith(QLatin1String("@keywords ")))
            for (const QString& keyword : line.mid(10).split(QLatin1Char(';'), Qt::SkipEmptyParts))
                topics_.last().keywords.append(keyword.trimmed());
        else
            topics_.last().text += line + QLatin1Char('\n');
    }
    for (HelpTopic& topic : topics_)
        topic.text = topic.text.trimmed();
    if (topics_.isEmpty()) {
        error_ = QStringLiteral("The help file %1 holds no topic.").arg(path);
        return false;
    }
    error_.clear();
    return true;
}

int HelpFile::topicForContext(int context) const {
    for (int i = 0; i < topics_.size(); ++i)
        if (topics_[i].context == context)
            return i;
    return -1;
}

} // namespace crunchwise
