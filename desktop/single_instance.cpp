// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/single_instance.h"

#include "common/file_name_codec.h"
#include "platform/private_folder.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <QWidget>
#include <sys/stat.h>
#include <unistd.h>

namespace crunchwise {

namespace {
constexpr int kConnectTimeoutMs = 1000;
constexpr int kLockTimeoutMs = 5000;
const QByteArray kDone = QByteArrayLiteral("done\n");
// The two requests, each one line: bring the main window forward and press
// Enter, or open the path that follows (its bytes percent-encoded).
const QByteArray kActivate = QByteArrayLiteral("activate");
const QByteArray kOpen = QByteArrayLiteral("open ");

void drop(QLocalSocket* socket) {
    socket->abort();
    socket->deleteLater();
}

// The user's runtime folder, else a folder of the user's own in the
// temporary folder; empty when neither is private (a shared folder such as
// /tmp given as the runtime folder is passed over, never closed to others).
QString runtimeFolder() {
    std::optional<std::filesystem::path> folder = userRuntimeFolder();
    if (!folder)
        folder = ownClosedFolder(FileNameCodec::hostPath(QDir::tempPath()) + "/crunchwise-" +
                                 std::to_string(::geteuid()));
    return folder ? FileNameCodec::fromHostPath(folder->native()) : QString();
}

// Named apart from the title itself: the folder of that name in the runtime
// folder holds the program's own files (the compress batches).
QString socketPath(const QString& folder, const QString& title) {
    return folder.isEmpty() ? QString()
                            : folder + QLatin1Char('/') + title + QStringLiteral(".socket");
}
} // namespace

SingleInstance::SingleInstance(QObject* parent) : QObject(parent) {}

SingleInstance::~SingleInstance() = default;

SingleInstance::Claim SingleInstance::claim(const QString& title) {
    const QString folder = runtimeFolder();
    if (folder.isEmpty())
        return Claim::First;
    // A copy that holds the lock for longer than the timeout is not waited
    // for: this one then asks and listens on its own.
    QLockFile lock(socketPath(folder, title) + QStringLiteral(".lock"));
    lock.tryLock(kLockTimeoutMs);
    if (anotherCopyRunning(title))
        return Claim::AnotherRunning;
    listen(socketPath(folder, title));
    return Claim::First;
}

QString SingleInstance::serverPath() const {
    return server_ ? server_->fullServerName() : QString();
}

bool SingleInstance::anotherCopyRunning(const QString& title) {
    const QString path = socketPath(runtimeFolder(), title);
    if (path.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(path);
    return socket.waitForConnected(kConnectTimeoutMs);
}

bool SingleInstance::activateAndSendEnter(const QString& title, int timeoutMs) {
    return sendRequest(title, kActivate, timeoutMs);
}

bool SingleInstance::activateAndOpen(const QString& title, const QString& path, int timeoutMs) {
    // The path's exact bytes, percent-encoded: a name that is not UTF-8
    // arrives unchanged, and one with tabs or line breaks stays on the line.
    return sendRequest(title, kOpen + FileNameCodec::encode(path).toPercentEncoding(), timeoutMs);
}

bool SingleInstance::sendRequest(const QString& title, const QByteArray& line, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(socketPath(runtimeFolder(), title));
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return false;
    socket.write(line + '\n');
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    while (!socket.canReadLine())
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    return socket.readLine() == kDone;
}

// Called with the lock held and nobody answering: a socket file still there
// was left by a copy that died.
bool SingleInstance::listen(const QString& path) {
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(path)) {
        QLocalServer::removeServer(path);
        if (!server_->listen(path)) {
            delete server_;
            server_ = nullptr;
            return false;
        }
    }
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::answerNextConnection);
    return true;
}

void SingleInstance::setMainWindow(QWidget* window) {
    mainWindow_ = window;
}

void SingleInstance::answerNextConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        // Qt reads no more than this ahead, so a request without a line end
        // fills the buffer once and is then dropped.
        socket->setReadBufferSize(kMaxRequest);
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
    }
}

// One request per connection, answered once it has been carried out.
void SingleInstance::readRequest(QLocalSocket* socket) {
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() >= kMaxRequest)
            drop(socket);
        return;
    }
    disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
    const QByteArray line = socket->readLine().chopped(1);
    // The request may open a modal box, in whose loop the asking copy can
    // give up and its connection be deleted: handle it outside the socket's
    // own signal and answer only a connection still there.
    QMetaObject::invokeMethod(
        this,
        [this, line, asking = QPointer<QLocalSocket>(socket)] {
            const bool understood = answerRequest(line);
            if (!asking)
                return;
            if (!understood) {
                drop(asking);
                return;
            }
            asking->write(kDone);
            asking->flush();
        },
        Qt::QueuedConnection);
}

// False, doing nothing, for a request that is not one of ours.
bool SingleInstance::answerRequest(const QByteArray& line) {
    if (line == kActivate) {
        activateWindowAndPressEnter(mainWindow_);
        return true;
    }
    if (!line.startsWith(kOpen))
        return false;
    emit openRequested(
        FileNameCodec::decode(QByteArray::fromPercentEncoding(line.mid(kOpen.size()))));
    bringWindowForward(mainWindow_);
    return true;
}

void bringWindowForward(QWidget* window) {
    if (!window)
        return;
    if (window->isMinimized())
        window->showNormal();
    else
        window->show();
    window->raise();
    window->activateWindow();
    // What waits for an answer stays on top, so that the user sees it.
    QWidget* asking = QApplication::activePopupWidget();
    if (!asking)
        asking = QApplication::activeModalWidget();
    if (asking && asking != window) {
        asking->raise();
        asking->activateWindow();
    }
}

bool activateWindowAndPressEnter(QWidget* window) {
    if (!window)
        return false;
    bringWindowForward(window);
    // A question being asked is the user's to answer, never the hand-off's.
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget())
        return false;
    QWidget* target = window->focusWidget() ? window->focusWidget() : window;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
    return true;
}

} // namespace crunchwise
