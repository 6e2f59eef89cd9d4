#include "app/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

TSingleInstance::TSingleInstance(const QString& runtimeFolder, QObject* parent)
    : QObject(parent), m_folder(runtimeFolder)
{
    if (m_folder.isEmpty())
        m_folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (m_folder.isEmpty())
        m_folder = QDir::tempPath();
    QDir().mkpath(m_folder);
}

TSingleInstance::~TSingleInstance() = default;

QString TSingleInstance::lockPath() const
{
    return m_folder + QStringLiteral("/kestrolin.lock");
}

QString TSingleInstance::socketPath() const
{
    return m_folder + QStringLiteral("/kestrolin.socket");
}

bool TSingleInstance::becomePrimary()
{
    m_lock = std::make_unique<QLockFile>(lockPath());
    // A lock left by a copy that crashed is taken over: QLockFile checks whether its owner lives.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        m_lock.reset();
        return false;
    }
    QLocalServer::removeServer(socketPath());
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &TSingleInstance::onNewConnection);
    m_server->listen(socketPath());
    return true;
}

bool TSingleInstance::sendToPrimary(const QByteArray& request, int timeoutMs) const
{
    // The running copy may still be starting and not listen yet: try again until the deadline.
    QDeadlineTimer deadline(timeoutMs);
    while (true) {
        QLocalSocket socket;
        socket.connectToServer(socketPath());
        if (socket.waitForConnected(int(qMax<qint64>(1, deadline.remainingTime())))) {
            socket.write(request + '\n');
            const bool ok =
                socket.waitForBytesWritten(int(qMax<qint64>(1, deadline.remainingTime())));
            socket.disconnectFromServer();
            return ok;
        }
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
}

void TSingleInstance::onNewConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            while (socket->canReadLine()) {
                const QByteArray line = socket->readLine(64).trimmed();
                if (line == "activate")
                    emit activationRequested();
                else if (line == "reshow")
                    emit reshowRequested();
            }
            // Nobody has a reason to send more than a few short lines.
            if (socket->bytesAvailable() > 1024)
                socket->abort();
        });
    }
}
