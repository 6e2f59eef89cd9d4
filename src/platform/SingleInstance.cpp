#include "platform/SingleInstance.h"

#include <QAbstractNativeEventFilter>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

#ifdef Q_OS_WIN
#include "platform/win/WinSingleInstance.h"

#include <QCoreApplication>

namespace {

// Turns the registered activation message into the running copy's activation request.
class TActivationFilter : public QAbstractNativeEventFilter
{
public:
    TActivationFilter(TSingleInstance* owner, UINT message) : m_owner(owner), m_message(message) {}

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (m_message == 0 || eventType != "windows_generic_MSG")
            return false;
        const MSG* msg = static_cast<const MSG*>(message);
        if (msg->message != m_message)
            return false;
        // The broadcast reaches each of the program's top-level windows; one request is enough.
        if (!m_pending) {
            m_pending = true;
            QMetaObject::invokeMethod(
                m_owner,
                [this] {
                    m_pending = false;
                    emit m_owner->activationRequested();
                },
                Qt::QueuedConnection);
        }
        return true;
    }

private:
    TSingleInstance* m_owner;
    UINT m_message;
    bool m_pending = false;
};

} // namespace
#endif

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
#ifdef Q_OS_WIN
    const UINT message = winshell::RegisterActivationMessage();
    if (winshell::AnotherInstanceRuns())
        return false;
    m_windowsFilter = std::make_unique<TActivationFilter>(this, message);
    QCoreApplication::instance()->installNativeEventFilter(m_windowsFilter.get());
    return true;
#else
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
#endif
}

bool TSingleInstance::sendToPrimary(const QByteArray& request, int timeoutMs) const
{
#ifdef Q_OS_WIN
    // Posted, not sent: the running copy restores itself whatever was asked, without a reply.
    Q_UNUSED(request);
    Q_UNUSED(timeoutMs);
    return winshell::PostActivation(winshell::RegisterActivationMessage());
#else
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
#endif
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
