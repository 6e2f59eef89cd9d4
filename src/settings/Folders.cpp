#include "settings/Folders.h"

#include "settings/Constants.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

namespace {
struct FolderValues
{
    QString app;
    QString data;
    QString windows;
    QString system;
    QString shell32;
    QString skins;
};
FolderValues values;

// The default icon source: our own icon library among the shipped files (index 3 is a folder).
const QString IconLibraryName = QStringLiteral("kestrolin-icons.ico");

QString absoluteFolder(const QString& folder)
{
    return Folders::withSeparator(QDir::cleanPath(QFileInfo(folder).absoluteFilePath()));
}
} // namespace

namespace Folders {

QString withSeparator(const QString& folder)
{
    if (folder.isEmpty() || folder.endsWith(u'/'))
        return folder;
    return folder + u'/';
}

bool isWritableFolder(const QString& folder)
{
    // Ask the file system itself: permission bits say nothing about read-only mounts.
    QTemporaryFile probe(withSeparator(folder) + QStringLiteral(".kestrolin-probe-XXXXXX"));
    return probe.open();
}

QString perUserFolder()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return withSeparator(base) + QStringLiteral("Kestrolin/");
}

bool isPortableFolder(const QString& folder)
{
    const QString base = withSeparator(folder);
    return QFileInfo::exists(base + Constants::OptionsFileName) ||
           QFileInfo::exists(base + PortableMarkerName);
}

QString installedDataFolder(const QString& executableFolder)
{
    // Where the install keeps the shipped files beside the executable (Windows), there is no
    // installed layout to tell apart.
    if (InstalledDataPath.isEmpty())
        return QString();
    const QString data = absoluteFolder(withSeparator(executableFolder) + InstalledDataPath);
    return QFileInfo(data).isDir() ? data : QString();
}

void initializeWith(const QString& appFolder, const QString& dataFolder)
{
    values.app = absoluteFolder(appFolder);
    values.data = dataFolder.isEmpty() ? values.app : absoluteFolder(dataFolder);
    // There is no Windows folder here; paths that would be built from it stay unchanged.
    values.windows.clear();
    values.system.clear();
    values.shell32 = values.data + IconLibraryName;
    values.skins = values.app + QStringLiteral("skins/");
    // The shipped skins serve until the user makes a skins folder of his own beside his settings.
    const QString shipped = values.data + QStringLiteral("skins/");
    if (values.data != values.app && !QFileInfo(values.skins).isDir() && QFileInfo(shipped).isDir())
        values.skins = shipped;
}

void initialize(const QString& executableFolder, bool portableByDefault,
                const QString& windowsFolder)
{
    const QString executable = absoluteFolder(executableFolder);
    const QString installed = installedDataFolder(executable);
    // An installed copy never counts as portable: an Options.ini that an older version left in
    // /usr/bin must not make every user's settings land there again.
    const bool portable = installed.isEmpty() &&
                          (portableByDefault || isPortableFolder(executable)) &&
                          isWritableFolder(executable);
    QString app = executable;
    if (!portable) {
        app = perUserFolder();
        QDir().mkpath(app);
    }
    initializeWith(app, installed.isEmpty() ? executable : installed);
    values.windows = windowsFolder;
}

void clear()
{
    values = FolderValues{};
}

QString appFolder()
{
    return values.app;
}
QString dataFolder()
{
    return values.data;
}
QString windowsFolder()
{
    return values.windows;
}
QString systemFolder()
{
    return values.system;
}
QString shell32Path()
{
    return values.shell32;
}
QString skinsFolder()
{
    return values.skins;
}

} // namespace Folders
