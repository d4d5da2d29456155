// SPDX-License-Identifier: GPL-3.0-or-later
// One running copy per user. The first copy listens on a local socket named
// for the program title in the user's own runtime folder; a second copy
// connects, asks it to bring its main window forward and press Enter there
// (or to open a path given on the command line), waits for the answer and
// ends. A request names no window: the running copy only ever acts on its
// own main window.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QLocalServer;
class QLocalSocket;
class QWidget;

namespace crunchwise {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Claim {
        First,          // this copy answers hand-offs now (or runs without them)
        AnotherRunning, // a copy answers under the title already
    };

    // The longest request line (its line end included) that a running copy
    // reads; a connection that sends more without a line end is dropped.
    static constexpr qsizetype kMaxRequest = 64 * 1024;

    explicit SingleInstance(QObject* parent = nullptr);
    ~SingleInstance() override;

    // Asks whether a copy answers under `title` and, if none does, starts
    // answering, both under a lock shared by the user's copies, so that of
    // copies started at the same moment exactly one becomes First. When no
    // private folder or socket can be had, returns First and the program runs
    // without the hand-off.
    Claim claim(const QString& title);

    // The window that hand-offs bring forward and press Enter in; none
    // until set.
    void setMainWindow(QWidget* window);

    // The socket this copy answers on; empty when it answers on none.
    QString serverPath() const;

    // True when another copy is listening under `title`.
    static bool anotherCopyRunning(const QString& title);

    // Asks the running copy to bring its main window forward and press Enter
    // there; returns once that copy has answered (true) or after `timeoutMs`
    // without an answer (false).
    static bool activateAndSendEnter(const QString& title, int timeoutMs = 10000);

    // Asks the running copy to open `path` (absolute; any name the host
    // allows, UTF-8 or not) and bring its main window forward, with no Enter;
    // returns as above.
    static bool activateAndOpen(const QString& title, const QString& path, int timeoutMs = 10000);

signals:
    // A second copy asked to open `path`; emitted before the window is brought forward.
    void openRequested(const QString& path);

private:
    bool listen(const QString& path);
    void answerNextConnection();
    void readRequest(QLocalSocket* socket);
    bool answerRequest(const QByteArray& line);
    static bool sendRequest(const QString& title, const QByteArray& line, int timeoutMs);

    QLocalServer* server_ = nullptr;
    QPointer<QWidget> mainWindow_;
};

// Shows, raises and activates `window` (also when hidden or minimized). A
// modal dialog or pop-up menu that is open comes forward above it.
void bringWindowForward(QWidget* window);

// Brings `window` forward and delivers one Enter key press to its focus
// widget, unless a modal dialog or pop-up menu is open: that is only brought
// forward, never answered. Returns whether the Enter was delivered.
bool activateWindowAndPressEnter(QWidget* window);

} // namespace crunchwise
