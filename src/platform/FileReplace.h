#pragma once

#include <QByteArray>
#include <QString>

// Replaces a file's content at once: a new file beside it, synced, then renamed over the old one,
// so a crash or a power cut leaves either the old or the new content. The one call the core
// library makes into the platform; it needs nothing above QtCore.
// False when the new content could not be put in place; the old content is then untouched.
bool ReplaceFileContent(const QString& path, const QByteArray& bytes);
