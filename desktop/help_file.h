// SPDX-License-Identifier: GPL-3.0-or-later
// Reads a help file: plain UTF-8 text made of topics.
//
//   ; a comment line
//   @topic Compressing files        starts a topic with its title
//   @context 60                     optional: What's This context number
//   @keywords compress; batch file  optional: index keywords, ";"-separated
//   Any other line is the topic's text.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace crunchwise {

struct HelpTopic {
    QString title;
    int context = 0; // 0 when the topic has none
    QStringList keywords;
    QString text;
};

class HelpFile {
public:
    // Reads `path`. Returns false and sets errorString() when it cannot be
    // read or holds no topic.
    bool load(const QString& path);

    const QList<HelpTopic>& topics() const { return topics_; }
    const QString& errorString() const { return error_; }
    // Index of the topic with `context`, or -1.
    int topicForContext(int context) const;

private:
    QList<HelpTopic> topics_;
    QString error_;
};

} // namespace crunchwise
