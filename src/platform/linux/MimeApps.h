#pragma once

#include <QString>
#include <QStringList>

// Which desktop applications open files of a type, by the freedesktop rules the openers follow:
// the mimeapps.list files (defaults, added and removed associations), the applications folders'
// mimeinfo.cache and the MimeType lines of the installed desktop entries. The folders come from
// the XDG variables ($XDG_CONFIG_HOME, $XDG_CONFIG_DIRS, $XDG_DATA_HOME, $XDG_DATA_DIRS,
// $XDG_CURRENT_DESKTOP) with their usual defaults.

// The types a file of this type may be opened as: itself, its aliases, the types it derives
// from, and the catch-all text/plain or application/octet-stream.
QStringList MimeTypesToOpen(const QString& mimeType);

// True when an installed application that can be started is associated with one of the types.
bool HasAssociatedApplication(const QStringList& mimeTypes);
