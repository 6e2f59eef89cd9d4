#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// How the settings files reach the disk whole, one implementation per system
// (src/platform/<system>/FileWrites.cpp). These are the core library's only calls into the
// platform; they need nothing above QtCore.

// Replaces a file's content at once: a new file beside it, synced, then renamed over the old one,
// so a crash or a power cut leaves either the old or the new content. A file reached through a
// symbolic link is written where the link points, with the permissions of the file it replaces.
// False when the new content could not be put in place; the old content is then untouched.
bool replaceFileContent(const QString& path, const QByteArray& bytes);

// New files written one after another and synced once all are written, so that the file system
// may put them on the disk together.
class TFreshFiles
{
public:
    TFreshFiles() = default;
    TFreshFiles(const TFreshFiles&) = delete;
    TFreshFiles& operator=(const TFreshFiles&) = delete;
    ~TFreshFiles() { syncAndClose(); }

    // likeFile: the file whose permissions the new one takes.
    bool write(const QString& path, const QByteArray& bytes, const QString& likeFile);
    bool syncAndClose();

private:
    std::vector<int> m_fds; // the files still open, where the system keeps them open
};

// Makes the renames and removals in a folder durable.
void syncFolder(const QString& folder);

// Keeps a second copy of the program from finishing or undoing a multi-file write in the folder
// while this one is making it.
class FolderLock
{
public:
    // wait: block until the folder is free; otherwise busy() tells that it is not.
    FolderLock(const QString& folder, bool wait);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    bool busy() const { return m_fd >= 0 && !m_held; }

private:
    int m_fd = -1;
    bool m_held = false;
};
