#pragma once

#include "settings/ProgramArguments.h"

#include <QLockFile>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QAbstractNativeEventFilter;
class QLocalServer;
class QLocalSocket;

// One running copy per user: a lock file decides who runs, a local socket carries the second
// copy's request to the first. "activate" asks the running copy to restore itself and come to
// the front; "reshow" is the same request from other programs. On Windows the named mutex
// "Kestrolin" decides instead, and the request is the registered message "Kestrolin" posted to
// all top-level windows. A start with a verb on its command line ("--hide", "--run" …) hands the
// verb to the running copy over the socket (on Windows a named pipe) and waits for its answer.
class TSingleInstance : public QObject
{
    Q_OBJECT
public:
    // runtimeFolder: where the lock and the socket live; empty means the user's own folder for
    // them (UserRuntimeFolder).
    explicit TSingleInstance(const QString& runtimeFolder = QString(), QObject* parent = nullptr);
    ~TSingleInstance() override;

    enum class TRole
    {
        Primary,   // this copy holds the lock and now listens for requests
        Secondary, // another copy of this user runs
        Failed     // the lock could not be taken at all; the reason says why
    };
    TRole becomePrimary(QString* reason = nullptr);
    // Sends a request to the running copy, waiting at most timeoutMs; true when delivered.
    bool sendToPrimary(const QByteArray& request, int timeoutMs = 1000) const;
    // Hands a verb to the running copy and waits for its answer: connectMs for the copy to take
    // the connection (it may still be starting), answerMs for the answer. False when it could not
    // be asked or did not answer; the result then says why.
    bool askPrimary(const TProgramArguments& verb, TVerbResult* result, int connectMs = 2000,
                    int answerMs = 30000) const;

    // What the running copy does with a verb from another; the answer may come later (reply
    // may be called after the handler returns, at most once). Without a handler verbs fail.
    using TReply = std::function<void(const TVerbResult&)>;
    using TVerbHandler = std::function<void(const TProgramArguments&, const TReply&)>;
    void setVerbHandler(TVerbHandler handler) { m_verbHandler = std::move(handler); }

    QString lockPath() const;
    // The local socket's name: a path on Linux, a pipe name on Windows.
    QString socketPath() const;

    // The user's runtime folder when there is a usable one; otherwise a folder of the user's
    // own in the temporary folder ("kestrolin-" and the user id, mode 0700, owned by the user),
    // never the shared temporary folder itself; otherwise a folder in the user's cache folder.
    // The arguments stand for the places the system names, for tests.
    static QString UserRuntimeFolder(const QString& runtimeLocation, const QString& tempFolder,
                                     const QString& cacheLocation);

signals:
    void activationRequested();
    void reshowRequested();

private:
    // The longest lines either side takes: a request names a verb and a path or two; an answer
    // may list thousands of commands.
    static constexpr qint64 MaxRequestLength = 64 * 1024;
    static constexpr qint64 MaxAnswerLength = 64 * 1024 * 1024;

    void listen();
    void onNewConnection();
    void handleVerb(QLocalSocket* socket, const QByteArray& request);

    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<QAbstractNativeEventFilter> m_windowsFilter;
    QLocalServer* m_server = nullptr;
    TVerbHandler m_verbHandler;
};
