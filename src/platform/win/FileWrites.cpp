#include "settings/FileWrites.h"

#include "settings/Folders.h"

#include <QFile>
#include <QSaveFile>

bool replaceFileContent(const QString& path, const QByteArray& bytes)
{
    // QSaveFile writes beside the file, flushes it and renames it into place (MoveFileEx).
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

bool TFreshFiles::write(const QString& path, const QByteArray& bytes, const QString& likeFile)
{
    Q_UNUSED(likeFile);
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size() && file.flush();
}

bool TFreshFiles::syncAndClose()
{
    m_fds.clear();
    return true;
}

void syncFolder(const QString& folder)
{
    Q_UNUSED(folder);
}

FolderLock::FolderLock(const QString& folder, bool wait)
{
    Q_UNUSED(folder);
    Q_UNUSED(wait);
    m_held = true;
}

FolderLock::~FolderLock() = default;

bool Folders::programFolderHoldsSettings()
{
    return true;
}
