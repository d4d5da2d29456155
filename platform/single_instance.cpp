// SPDX-License-Identifier: GPL-3.0-or-later
#include "single_instance.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>
#include <unistd.h>

namespace crunchwise {

namespace {
constexpr int kConnectTimeoutMs = 1000;
const QByteArray kDone = QByteArrayLiteral("done\n");
// A request line is the caption, optionally followed by this and a path to open.
constexpr char kPathSeparator = '\t';

QString serverName(const QString& title) {
    return title + QLatin1Char('-') + QString::number(::getuid());
}
} // namespace

SingleInstance::SingleInstance(QObject* parent) : QObject(parent) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::anotherCopyRunning(const QString& title) {
    QLocalSocket socket;
    socket.connectToServer(serverName(title));
    return socket.waitForConnected(kConnectTimeoutMs);
}

bool SingleInstance::activateAndSendEnter(const QString& title, const QString& caption,
                                          int timeoutMs) {
    return sendRequest(title, caption.toUtf8(), timeoutMs);
}

bool SingleInstance::activateAndOpen(const QString& title, const QString& caption,
                                     const QString& path, int timeoutMs) {
    // Percent-encoding keeps a path with tabs or line breaks on the one line.
    return sendRequest(title, caption.toUtf8() + kPathSeparator + path.toUtf8().toPercentEncoding(),
                       timeoutMs);
}

bool SingleInstance::sendRequest(const QString& title, const QByteArray& line, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(serverName(title));
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return false;
    socket.write(line + '\n');
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    }
    return socket.readLine() == kDone;
}

bool SingleInstance::listen(const QString& title) {
    // Qt moves a socket with access options into place over any file of that
    // name, so a copy that still answers is asked first.
    if (anotherCopyRunning(title))
        return false;
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    const QString name = serverName(title);
    if (!server_->listen(name)) {
        // Nobody answers on it: it is left over from a copy that died.
        QLocalServer::removeServer(name);
        if (!server_->listen(name))
            return false;
    }
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::answerNextConnection);
    return true;
}

void SingleInstance::answerNextConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
            if (!socket->canReadLine())
                return;
            answerRequest(socket->readLine().chopped(1));
            socket->write(kDone);
            socket->flush();
        });
    }
}

void SingleInstance::answerRequest(const QByteArray& line) {
    const qsizetype separator = line.indexOf(kPathSeparator);
    if (separator < 0) {
        activateWindowAndPressEnter(QString::fromUtf8(line));
        return;
    }
    emit openRequested(QString::fromUtf8(QByteArray::fromPercentEncoding(line.mid(separator + 1))));
    bringWindowForward(QString::fromUtf8(line.left(separator)));
}

QWidget* bringWindowForward(const QString& caption) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->windowTitle() != caption || !window->isWindow())
            continue;
        if (window->isMinimized())
            window->showNormal();
        else
            window->show();
        window->raise();
        window->activateWindow();
        return window;
    }
    return nullptr;
}

bool activateWindowAndPressEnter(const QString& caption) {
    QWidget* window = bringWindowForward(caption);
    if (!window)
        return false;
    QWidget* target = window->focusWidget() ? window->focusWidget() : window;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
    return true;
}

} // namespace crunchwise
