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
    QLocalSocket socket;
    socket.connectToServer(serverName(title));
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return false;
    socket.write(caption.toUtf8() + '\n');
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
        connect(socket, &QLocalSocket::readyRead, socket, [socket] {
            if (!socket->canReadLine())
                return;
            const QString caption = QString::fromUtf8(socket->readLine()).chopped(1);
            activateWindowAndPressEnter(caption);
            socket->write(kDone);
            socket->flush();
        });
    }
}

bool activateWindowAndPressEnter(const QString& caption) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->windowTitle() != caption || !window->isWindow())
            continue;
        if (window->isMinimized())
            window->showNormal();
        else
            window->show();
        window->raise();
        window->activateWindow();
        QWidget* target = window->focusWidget() ? window->focusWidget() : window;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QApplication::sendEvent(target, &press);
        QApplication::sendEvent(target, &release);
        return true;
    }
    return false;
}

} // namespace crunchwise
