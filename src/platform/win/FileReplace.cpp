#include "platform/FileReplace.h"

#include <QSaveFile>

bool ReplaceFileContent(const QString& path, const QByteArray& bytes)
{
    // QSaveFile writes beside the file, flushes it and renames it into place (MoveFileEx).
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}
