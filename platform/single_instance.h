// SPDX-License-Identifier: GPL-3.0-or-later
// One running copy per user. The first copy listens on a local socket named
// for the program title in the user's own runtime folder; a second copy
// connects, asks it to bring its window forward and press Enter there (or to
// open a path given on the command line), waits for the answer and ends.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QWidget;

namespace crunchwise {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Claim {
        First,          // this copy answers hand-offs now (or runs without them)
        AnotherRunning, // a copy answers under the title already
    };

    explicit SingleInstance(QObject* parent = nullptr);
    ~SingleInstance() override;

    // Asks whether a copy answers under `title` and, if none does, starts
    // answering, both under a lock shared by the user's copies, so that of
    // copies started at the same moment exactly one becomes First. When no
    // private folder or socket can be had, returns First and the program runs
    // without the hand-off.
    Claim claim(const QString& title);

    // The socket this copy answers on; empty when it answers on none.
    QString serverPath() const;

    // True when another copy is listening under `title`.
    static bool anotherCopyRunning(const QString& title);

    // Asks the running copy to activate its top-level window captioned
    // `caption` and send it the Enter key; returns once that copy has
    // answered (true) or after `timeoutMs` without an answer (false).
    static bool activateAndSendEnter(const QString& title, const QString& caption,
                                     int timeoutMs = 10000);

    // Asks the running copy to open `path` (absolute) and bring its window
    // captioned `caption` forward, with no Enter; returns as above.
    static bool activateAndOpen(const QString& title, const QString& caption, const QString& path,
                                int timeoutMs = 10000);

signals:
    // A second copy asked to open `path`; emitted before the window is brought forward.
    void openRequested(const QString& path);

private:
    bool listen(const QString& path);
    void answerNextConnection();
    void answerRequest(const QByteArray& line);
    static bool sendRequest(const QString& title, const QByteArray& line, int timeoutMs);

    QLocalServer* server_ = nullptr;
};

// Brings the top-level window captioned `caption` to the front and delivers
// one Enter key press to its focus widget. Returns false when no such window.
bool activateWindowAndPressEnter(const QString& caption);

// Shows, raises and activates the top-level window captioned `caption`
// (also when hidden or minimized). Returns it, or null when no such window.
QWidget* bringWindowForward(const QString& caption);

} // namespace crunchwise
