#pragma once

#include <QString>

// The folders other parts build their paths from. Folder values end in a separator, so a file
// name can be appended directly.
//
// Two kinds of files: the settings (Options.ini and the other profile files, and the user's own
// skins folder) and the shipped files (the skins and the icon library that come with the
// program). Where each lives depends on where the executable is:
// - an installed copy, <prefix>/bin/ with <prefix>/share/kestrolin/ beside it: the shipped files
//   are read from share/kestrolin/, the settings live in the per-user folder, whoever runs it;
// - a portable folder, one that holds Options.ini or a file named "portable" (the build writes
//   that file beside the program it builds): settings and shipped files side by side there;
// - any other folder: the shipped files beside the executable, the settings per user.
namespace Folders {

// The marker file that makes a folder portable.
inline const QString PortableMarkerName = QStringLiteral("portable");
// Where an installed copy finds its shipped files, from its executable's folder
// ("../share/kestrolin", as the install puts them).
inline const QString InstalledDataPath = QStringLiteral(KESTROLIN_INSTALLED_DATA_PATH);

// Sets every folder from the folder of the executable by the rules above. portableByDefault:
// the executable's folder holds the settings without a marker (the platform's custom). A
// portable folder that cannot be written gives way to the per-user folder too. windowsFolder:
// the system's Windows folder as the platform reports it (empty where there is none).
void initialize(const QString& executableFolder, bool portableByDefault = false,
                const QString& windowsFolder = QString());
// The portableByDefault of this system: true where a program's own folder holds its settings
// without a marker (Windows, as the program always did there); elsewhere only a portable folder
// does. Defined once a system, beside how the settings files reach the disk
// (platform/<system>/FileWrites.cpp).
bool programFolderHoldsSettings();
// Sets the folders for tests and tools: the settings live in appFolder itself, the shipped files
// in dataFolder (appFolder when empty).
void initializeWith(const QString& appFolder, const QString& dataFolder = QString());
void clear();

QString appFolder();
// The folder of the shipped files.
QString dataFolder();
// Kept as the system wrote it, without a trailing separator: "%systemroot%" expands to it.
QString windowsFolder();
QString systemFolder();
QString shell32Path();
QString skinsFolder();

// The per-user settings folder: $XDG_CONFIG_HOME/Kestrolin/.
QString perUserFolder();
// True when folder holds Options.ini or the portable marker. Looks only; writes nothing.
bool isPortableFolder(const QString& folder);
// <executable folder>/../share/kestrolin/ when that folder exists (an installed copy), else empty.
QString installedDataFolder(const QString& executableFolder);
bool isWritableFolder(const QString& folder);
QString withSeparator(const QString& folder);

} // namespace Folders
