#pragma once

#include <QString>

// The folders other parts build their paths from. Folder values end in a separator, so a file
// name can be appended directly.
namespace Folders {

// Sets every folder from the folder of the executable. When that folder cannot be written
// (an installed copy), the per-user folder $XDG_CONFIG_HOME/Kestrolin/ holds the settings.
void initialize(const QString& executableFolder);
// Sets the folders for tests and tools: the settings live in appFolder itself.
void initializeWith(const QString& appFolder, const QString& executableFolder = QString());
void clear();

QString appFolder();
QString executableFolder();
QString windowsFolder();
QString systemFolder();
QString shell32Path();
QString skinsFolder();

// The per-user settings folder used when the executable's folder is not writable.
QString perUserFolder();
bool isWritableFolder(const QString& folder);
QString withSeparator(const QString& folder);

} // namespace Folders
