#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QAbstractNativeEventFilter;
class QLocalServer;

// One running copy per user: a lock file decides who runs, a local socket carries the second
// copy's request to the first. "activate" asks the running copy to restore itself and come to
// the front; "reshow" is the same request from other programs. On Windows the named mutex
// "Kestrolin" decides instead, and the request is the registered message "Kestrolin" posted to
// all top-level windows.
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

    QString lockPath() const;
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
    void onNewConnection();

    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<QAbstractNativeEventFilter> m_windowsFilter;
    QLocalServer* m_server = nullptr;
};
