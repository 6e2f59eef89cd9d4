#include "platform/SingleInstance.h"

#include <QAbstractNativeEventFilter>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QStandardPaths>
#include <QThread>

#ifndef Q_OS_WIN
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#endif

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

#ifndef Q_OS_WIN
namespace {

// A folder only this user can enter: made with mode 0700 when missing, and taken only when it
// is a real folder (not a link) that belongs to the user. Anyone can make a folder of that name
// in the temporary folder first; such a folder is not used.
bool OwnPrivateFolder(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat info = {};
    if (::lstat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::geteuid())
        return false;
    if ((info.st_mode & 077) != 0 && ::chmod(native.constData(), 0700) != 0)
        return false;
    return true;
}

} // namespace
#endif

QString TSingleInstance::UserRuntimeFolder(const QString& runtimeLocation,
                                           const QString& tempFolder, const QString& cacheLocation)
{
    if (!runtimeLocation.isEmpty())
        return runtimeLocation;
#ifndef Q_OS_WIN
    // The shared temporary folder itself would let one user's lock keep every other user out.
    if (!tempFolder.isEmpty()) {
        const QString own =
            tempFolder + QStringLiteral("/kestrolin-") + QString::number(::geteuid());
        if (OwnPrivateFolder(own))
            return own;
    }
#else
    Q_UNUSED(tempFolder);
#endif
    const QString cache =
        cacheLocation.isEmpty() ? QDir::homePath() + QStringLiteral("/.cache") : cacheLocation;
    return cache + QStringLiteral("/kestrolin");
}

TSingleInstance::TSingleInstance(const QString& runtimeFolder, QObject* parent)
    : QObject(parent), m_folder(runtimeFolder)
{
    if (m_folder.isEmpty())
        m_folder = UserRuntimeFolder(
            QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation), QDir::tempPath(),
            QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation));
    QDir().mkpath(m_folder);
}

TSingleInstance::~TSingleInstance() = default;

QString TSingleInstance::lockPath() const
{
    return m_folder + QStringLiteral("/kestrolin.lock");
}

QString TSingleInstance::socketPath() const
{
#ifdef Q_OS_WIN
    // A pipe name, one per user: the user's runtime folder stands in for the user.
    // A digest, not qHash: every copy, of whatever Qt version, must come to the same name.
    const QByteArray folder = QDir::cleanPath(m_folder).toLower().toUtf8();
    return QStringLiteral("kestrolin-") +
           QString::fromLatin1(
               QCryptographicHash::hash(folder, QCryptographicHash::Sha1).toHex().left(16));
#else
    return m_folder + QStringLiteral("/kestrolin.socket");
#endif
}

void TSingleInstance::listen()
{
    QLocalServer::removeServer(socketPath());
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &TSingleInstance::onNewConnection);
    m_server->listen(socketPath());
}

TSingleInstance::TRole TSingleInstance::becomePrimary(QString* reason)
{
#ifdef Q_OS_WIN
    Q_UNUSED(reason);
    const UINT message = winshell::RegisterActivationMessage();
    if (winshell::AnotherInstanceRuns())
        return TRole::Secondary;
    m_windowsFilter = std::make_unique<TActivationFilter>(this, message);
    QCoreApplication::instance()->installNativeEventFilter(m_windowsFilter.get());
    // The broadcast cannot carry a verb or its answer; the pipe does.
    listen();
    return TRole::Primary;
#else
    m_lock = std::make_unique<QLockFile>(lockPath());
    // A lock left by a copy that crashed is taken over: QLockFile checks whether its owner lives.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        const QLockFile::LockError error = m_lock->error();
        m_lock.reset();
        if (error == QLockFile::LockFailedError)
            return TRole::Secondary;
        if (reason) {
            const QFileInfo folder(m_folder);
            if (!folder.isDir())
                *reason = QStringLiteral("Папки %1 нет, и создать её не удаётся.")
                              .arg(QDir::toNativeSeparators(m_folder));
            else if (error == QLockFile::PermissionError)
                *reason = QStringLiteral("Нет прав на запись файла %1.")
                              .arg(QDir::toNativeSeparators(lockPath()));
            else
                *reason = QStringLiteral("Не удаётся создать файл %1.")
                              .arg(QDir::toNativeSeparators(lockPath()));
        }
        return TRole::Failed;
    }
    listen();
    return TRole::Primary;
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

bool TSingleInstance::askPrimary(const TProgramArguments& verb, TVerbResult* result, int connectMs,
                                 int answerMs) const
{
    QLocalSocket socket;
    // The running copy may still be starting and not listen yet: try again until the deadline.
    QDeadlineTimer connectDeadline(connectMs);
    while (true) {
        socket.connectToServer(socketPath());
        if (socket.waitForConnected(int(qMax<qint64>(1, connectDeadline.remainingTime()))))
            break;
        if (connectDeadline.hasExpired()) {
            result->ok = false;
            result->text = QStringLiteral("Запущенная копия программы не отвечает.");
            return false;
        }
        QThread::msleep(50);
    }
    socket.write("verb " + EncodeVerbRequest(verb) + '\n');
    QDeadlineTimer answerDeadline(answerMs);
    QByteArray answer;
    while (!answer.endsWith('\n')) {
        if (socket.bytesAvailable() == 0 &&
            !socket.waitForReadyRead(int(qMax<qint64>(1, answerDeadline.remainingTime())))) {
            result->ok = false;
            result->text = socket.state() == QLocalSocket::ConnectedState
                               ? QStringLiteral("Запущенная копия программы не ответила вовремя.")
                               : QStringLiteral("Запущенная копия программы не дала ответа.");
            return false;
        }
        answer += socket.read(MaxAnswerLength - answer.size());
        if (answer.size() >= MaxAnswerLength)
            break;
    }
    if (!DecodeVerbResult(answer.trimmed(), result)) {
        result->ok = false;
        result->text = QStringLiteral("Запущенная копия программы ответила непонятно.");
        return false;
    }
    return true;
}

void TSingleInstance::onNewConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            while (socket->canReadLine()) {
                const QByteArray raw = socket->readLine(MaxRequestLength);
                if (!raw.endsWith('\n')) {
                    // Longer than anything this program sends.
                    socket->abort();
                    return;
                }
                const QByteArray line = raw.trimmed();
                if (line == "activate")
                    emit activationRequested();
                else if (line == "reshow")
                    emit reshowRequested();
                else if (line.startsWith("verb "))
                    handleVerb(socket, line.mid(5));
            }
            // Nobody has a reason to send more than a few lines.
            if (socket->bytesAvailable() > MaxRequestLength)
                socket->abort();
        });
    }
}

void TSingleInstance::handleVerb(QLocalSocket* socket, const QByteArray& request)
{
    // The answer may come after the asking copy has given up and gone.
    QPointer<QLocalSocket> guarded(socket);
    auto answered = std::make_shared<bool>(false);
    const TReply reply = [guarded, answered](const TVerbResult& result) {
        if (*answered || !guarded)
            return;
        *answered = true;
        guarded->write(EncodeVerbResult(result) + '\n');
        // Sent before anything else happens: a --quit ends this copy right afterwards.
        guarded->flush();
        guarded->waitForBytesWritten(1000);
    };
    TProgramArguments verb;
    if (!DecodeVerbRequest(request, &verb)) {
        reply({false, QStringLiteral("Запущенная копия программы не знает такой команды.")});
        return;
    }
    if (!m_verbHandler) {
        reply({false, QStringLiteral("Запущенная копия программы не принимает команды.")});
        return;
    }
    m_verbHandler(verb, reply);
}
