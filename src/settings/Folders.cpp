#include "settings/Folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {
struct FolderValues
{
    QString app;
    QString executable;
    QString windows;
    QString system;
    QString shell32;
    QString skins;
};
FolderValues values;

// The default icon source: our own icon library beside the executable (index 3 is a folder).
const QString IconLibraryName = QStringLiteral("kestrolin-icons.ico");
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

void initializeWith(const QString& appFolder, const QString& executableFolder)
{
    values.app = withSeparator(QDir::cleanPath(QFileInfo(appFolder).absoluteFilePath()));
    values.executable =
        executableFolder.isEmpty()
            ? values.app
            : withSeparator(QDir::cleanPath(QFileInfo(executableFolder).absoluteFilePath()));
    // There is no Windows folder here; paths that would be built from it stay unchanged.
    values.windows.clear();
    values.system.clear();
    values.shell32 = values.executable + IconLibraryName;
    values.skins = values.app + QStringLiteral("skins/");
    // An installed copy keeps its settings per user, but its skins stay beside the executable
    // until the user makes a skins folder of his own.
    const QString shipped = values.executable + QStringLiteral("skins/");
    if (values.executable != values.app && !QFileInfo(values.skins).isDir() &&
        QFileInfo(shipped).isDir())
        values.skins = shipped;
}

void initialize(const QString& executableFolder)
{
    QString app = executableFolder;
    if (!isWritableFolder(app)) {
        app = perUserFolder();
        QDir().mkpath(app);
    }
    initializeWith(app, executableFolder);
}

void clear()
{
    values = FolderValues{};
}

QString appFolder()
{
    return values.app;
}
QString executableFolder()
{
    return values.executable;
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
