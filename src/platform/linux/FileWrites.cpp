#include "settings/FileWrites.h"

#include "settings/Folders.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace {

// The same permissions as the file it replaces; a new file gets what the umask allows.
mode_t modeFor(const QByteArray& finalName)
{
    struct stat old;
    if (::stat(finalName.constData(), &old) == 0)
        return old.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Gives fd the mode and writes all bytes to it.
bool writeAll(int fd, const QByteArray& bytes, mode_t mode)
{
    bool ok = ::fchmod(fd, mode) == 0;
    qsizetype written = 0;
    while (ok && written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok)
            written += n;
    }
    return ok;
}

// Writes all bytes to fd and syncs them; closes fd.
bool writeSyncedAndClose(int fd, const QByteArray& bytes, mode_t mode)
{
    const bool ok = writeAll(fd, bytes, mode) && ::fdatasync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

} // namespace

bool replaceFileContent(const QString& path, const QByteArray& bytes)
{
    QString target = path;
    const QFileInfo info(path);
    if (info.isSymLink() && info.exists())
        target = info.canonicalFilePath();
    const QByteArray finalName = QFile::encodeName(target);
    QByteArray temporary = finalName + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return false;
    bool ok = writeSyncedAndClose(fd, bytes, modeFor(finalName));
    ok = ok && ::rename(temporary.constData(), finalName.constData()) == 0;
    if (!ok)
        ::unlink(temporary.constData());
    return ok;
}

bool TFreshFiles::write(const QString& path, const QByteArray& bytes, const QString& likeFile)
{
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    m_fds.push_back(fd);
    return writeAll(fd, bytes, modeFor(QFile::encodeName(likeFile)));
}

bool TFreshFiles::syncAndClose()
{
    bool ok = true;
    for (int fd : m_fds)
        ok = ::fdatasync(fd) == 0 && ok;
    for (int fd : m_fds)
        ok = ::close(fd) == 0 && ok;
    m_fds.clear();
    return ok;
}

void syncFolder(const QString& folder)
{
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

FolderLock::FolderLock(const QString& folder, bool wait)
{
    m_fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0)
        return; // nothing to lock: the writes fail on their own
    int result;
    do
        result = ::flock(m_fd, LOCK_EX | (wait ? 0 : LOCK_NB));
    while (result != 0 && errno == EINTR);
    m_held = result == 0;
}

FolderLock::~FolderLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool Folders::programFolderHoldsSettings()
{
    return false;
}
