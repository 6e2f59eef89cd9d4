#include "platform/linux/MimeApps.h"

#include "platform/linux/DesktopEntry.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QMimeDatabase>
#include <QSet>

#include <optional>

namespace {

// Association lists are small; anything bigger is not one and is not read.
constexpr qint64 MaxListFileSize = 8 * 1024 * 1024;

QString homeBased(const char* variable, const QString& fallback)
{
    const QString value = qEnvironmentVariable(variable);
    return !value.isEmpty() && QDir::isAbsolutePath(value) ? value : QDir::homePath() + fallback;
}

QStringList folderList(const char* variable, const QString& fallback)
{
    QString value = qEnvironmentVariable(variable);
    if (value.isEmpty())
        value = fallback;
    QStringList folders;
    for (const QString& folder : value.split(u':', Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(folder))
            folders.append(folder);
    return folders;
}

QStringList applicationFolders()
{
    QStringList folders{homeBased("XDG_DATA_HOME", QStringLiteral("/.local/share")) +
                        QStringLiteral("/applications")};
    for (const QString& data :
         folderList("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share")))
        folders.append(data + QStringLiteral("/applications"));
    return folders;
}

// The association lists in the order they count, the first one most.
QStringList associationFiles()
{
    QStringList desktops;
    for (const QString& name :
         qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':', Qt::SkipEmptyParts))
        desktops.append(name.toLower());
    QStringList files;
    const auto addFolder = [&](const QString& folder, bool withOldDefaults) {
        for (const QString& desktop : desktops)
            files.append(folder + u'/' + desktop + QStringLiteral("-mimeapps.list"));
        files.append(folder + QStringLiteral("/mimeapps.list"));
        if (withOldDefaults)
            files.append(folder + QStringLiteral("/defaults.list"));
    };
    addFolder(homeBased("XDG_CONFIG_HOME", QStringLiteral("/.config")), false);
    for (const QString& folder : folderList("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg")))
        addFolder(folder, false);
    for (const QString& folder : applicationFolders())
        addFolder(folder, true);
    return files;
}

// group -> type -> desktop IDs, from a file in the desktop entry format.
using TGroups = QHash<QString, QHash<QString, QStringList>>;

TGroups readGroups(const QString& path)
{
    TGroups groups;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxListFileSize)
        return groups;
    QString group;
    const QString text = QString::fromUtf8(file.readAll());
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            group = line.sliced(1, line.size() - 2).toString();
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0 || group.isEmpty())
            continue;
        QStringList& ids = groups[group][line.first(equals).trimmed().toString()];
        for (QStringView id : line.sliced(equals + 1).split(u';', Qt::SkipEmptyParts))
            if (!id.trimmed().isEmpty())
                ids.append(id.trimmed().toString());
    }
    return groups;
}

// The installed desktop entries by their ID (the path below the folder, "/" made "-"); an ID in
// an earlier folder hides the same ID in later ones.
QHash<QString, QString> installedEntries(const QStringList& folders)
{
    QHash<QString, QString> entries;
    for (const QString& folder : folders) {
        const QDir root(folder);
        QDirIterator it(folder, {QStringLiteral("*.desktop")}, QDir::Files,
                        QDirIterator::Subdirectories | QDirIterator::FollowSymlinks);
        while (it.hasNext()) {
            const QString path = it.next();
            QString id = root.relativeFilePath(path);
            id.replace(u'/', u'-');
            if (!entries.contains(id))
                entries.insert(id, path);
        }
    }
    return entries;
}

// Whether the entry names an application that is there to be started.
bool startable(const QString& path)
{
    const TDesktopEntry entry = TDesktopEntry::read(path);
    if (!entry.isValid() || entry.value(QStringLiteral("Hidden")) == u"true")
        return false;
    const QString type = entry.value(QStringLiteral("Type"));
    if (!type.isEmpty() && type != u"Application")
        return false;
    const QString tryExec = entry.value(QStringLiteral("TryExec"));
    if (!tryExec.isEmpty() && ResolveProgram(tryExec).isEmpty())
        return false;
    const QStringList exec = SplitExecLine(entry.value(QStringLiteral("Exec")));
    if (exec.isEmpty())
        return entry.value(QStringLiteral("DBusActivatable")) == u"true";
    return !ResolveProgram(exec.first()).isEmpty();
}

} // namespace

QStringList MimeTypesToOpen(const QString& mimeType)
{
    QStringList types{mimeType};
    const QMimeType type = QMimeDatabase().mimeTypeForName(mimeType);
    if (type.isValid()) {
        types += type.aliases();
        types += type.allAncestors();
    }
    // Every text is plain text and every file a stream of bytes to the openers; folders are
    // neither.
    if (!mimeType.startsWith(QLatin1String("inode/"))) {
        if (mimeType.startsWith(QLatin1String("text/")))
            types.append(QStringLiteral("text/plain"));
        types.append(QStringLiteral("application/octet-stream"));
    }
    types.removeDuplicates();
    return types;
}

bool HasAssociatedApplication(const QStringList& mimeTypes)
{
    const QStringList folders = applicationFolders();
    std::optional<QHash<QString, QString>> installed;
    QHash<QString, bool> checked;
    const auto usable = [&](const QString& id) {
        if (!installed)
            installed = installedEntries(folders);
        const auto known = checked.constFind(id);
        if (known != checked.cend())
            return *known;
        const QString path = installed->value(id);
        const bool result = !path.isEmpty() && startable(path);
        checked.insert(id, result);
        return result;
    };

    // An association removed in one list hides it in the lists after it and in the entries.
    QSet<QString> removed;
    const auto key = [](const QString& type, const QString& id) { return type + u'\n' + id; };
    for (const QString& file : associationFiles()) {
        const TGroups groups = readGroups(file);
        for (const QString& type : mimeTypes) {
            for (const char* group : {"Default Applications", "Added Associations"})
                for (const QString& id : groups.value(QString::fromLatin1(group)).value(type))
                    if (!removed.contains(key(type, id)) && usable(id))
                        return true;
        }
        const auto removals = groups.value(QStringLiteral("Removed Associations"));
        for (auto it = removals.cbegin(); it != removals.cend(); ++it)
            for (const QString& id : it.value())
                removed.insert(key(it.key(), id));
    }

    for (const QString& folder : folders) {
        const auto cache = readGroups(folder + QStringLiteral("/mimeinfo.cache"))
                               .value(QStringLiteral("MIME Cache"));
        for (const QString& type : mimeTypes)
            for (const QString& id : cache.value(type))
                if (!removed.contains(key(type, id)) && usable(id))
                    return true;
    }

    // The caches may be missing or out of date: the entries themselves have the last word.
    if (!installed)
        installed = installedEntries(folders);
    for (auto it = installed->cbegin(); it != installed->cend(); ++it) {
        const TDesktopEntry entry = TDesktopEntry::read(it.value());
        const QStringList types =
            entry.value(QStringLiteral("MimeType")).split(u';', Qt::SkipEmptyParts);
        for (const QString& type : mimeTypes)
            if (types.contains(type) && !removed.contains(key(type, it.key())) && usable(it.key()))
                return true;
    }
    return false;
}
