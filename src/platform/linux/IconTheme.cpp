#include "platform/linux/IconTheme.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QIcon>
#include <QSettings>
#include <QStringList>

#include <algorithm>
#include <climits>

namespace {

struct ThemeDirectory
{
    QString path; // relative to the theme's folder
    int size = 0;
    int minSize = 0;
    int maxSize = 0;
    int threshold = 2;
    QString type;

    int distance(int wanted) const
    {
        if (type == u"Scalable") {
            if (wanted < minSize)
                return minSize - wanted;
            if (wanted > maxSize)
                return wanted - maxSize;
            return 0;
        }
        if (type == u"Threshold" && std::abs(size - wanted) <= threshold)
            return 0;
        return std::abs(size - wanted);
    }
};

struct Theme
{
    QStringList roots; // every base folder that holds this theme
    QList<ThemeDirectory> directories;
    QStringList inherits;
};

QStringList baseFolders()
{
    QStringList folders;
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (dataHome.isEmpty() || !QDir::isAbsolutePath(dataHome))
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    folders << dataHome + QStringLiteral("/icons") << QDir::homePath() + QStringLiteral("/.icons");
    QString dataDirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dataDirs.isEmpty())
        dataDirs = QStringLiteral("/usr/local/share:/usr/share");
    for (const QString& dir : dataDirs.split(u':', Qt::SkipEmptyParts)) {
        if (QDir::isAbsolutePath(dir))
            folders << dir + QStringLiteral("/icons");
    }
    return folders;
}

const Theme& loadTheme(const QString& name)
{
    static QHash<QString, Theme> cache;
    const auto found = cache.constFind(name);
    if (found != cache.constEnd())
        return *found;

    Theme theme;
    bool described = false;
    for (const QString& base : baseFolders()) {
        const QString root = base + u'/' + name;
        if (!QFileInfo(root).isDir())
            continue;
        theme.roots << root;
        const QString index = root + QStringLiteral("/index.theme");
        if (described || !QFileInfo(index).isFile())
            continue;
        described = true;
        QSettings settings(index, QSettings::IniFormat);
        theme.inherits = settings.value(QStringLiteral("Icon Theme/Inherits")).toStringList();
        const QStringList dirs =
            settings.value(QStringLiteral("Icon Theme/Directories")).toStringList();
        for (const QString& dir : dirs) {
            settings.beginGroup(dir);
            ThemeDirectory d;
            d.path = dir;
            d.size = settings.value(QStringLiteral("Size")).toInt();
            d.minSize = settings.value(QStringLiteral("MinSize"), d.size).toInt();
            d.maxSize = settings.value(QStringLiteral("MaxSize"), d.size).toInt();
            d.threshold = settings.value(QStringLiteral("Threshold"), 2).toInt();
            d.type = settings.value(QStringLiteral("Type"), QStringLiteral("Threshold")).toString();
            const int scale = settings.value(QStringLiteral("Scale"), 1).toInt();
            settings.endGroup();
            if (d.size > 0 && scale <= 1)
                theme.directories.append(d);
        }
    }
    return *cache.insert(name, theme);
}

QString findInTheme(const QString& themeName, const QString& icon, int size, QStringList& visited)
{
    if (visited.contains(themeName) || visited.size() > 16)
        return {};
    visited << themeName;
    const Theme& theme = loadTheme(themeName);
    QList<ThemeDirectory> ordered = theme.directories;
    std::stable_sort(ordered.begin(), ordered.end(),
                     [size](const ThemeDirectory& a, const ThemeDirectory& b) {
                         const int da = a.distance(size);
                         const int db = b.distance(size);
                         // Between equally close pictures the larger one scales down better.
                         return da != db ? da < db : a.size > b.size;
                     });
    for (const ThemeDirectory& dir : ordered) {
        for (const QString& root : theme.roots) {
            for (const char* ext : {".png", ".svg", ".xpm"}) {
                const QString file = root + u'/' + dir.path + u'/' + icon + QLatin1String(ext);
                if (QFileInfo(file).isFile())
                    return file;
            }
        }
    }
    for (const QString& parent : theme.inherits) {
        const QString file = findInTheme(parent.trimmed(), icon, size, visited);
        if (!file.isEmpty())
            return file;
    }
    return {};
}

} // namespace

QString ResolveThemeIcon(const QString& name, int size)
{
    if (name.isEmpty())
        return {};
    if (QDir::isAbsolutePath(name))
        return QFileInfo(name).isFile() ? name : QString();
    // Names are plain file names; anything else is not an icon name.
    if (name.contains(u'/'))
        return {};
    QString icon = name;
    for (const char* ext : {".png", ".svg", ".xpm"}) {
        if (icon.endsWith(QLatin1String(ext)))
            icon.chop(4);
    }

    static QHash<QString, QString> resolved;
    const QString key = icon + u'@' + QString::number(size);
    const auto found = resolved.constFind(key);
    if (found != resolved.constEnd())
        return *found;

    QStringList themes;
    const QString current = QIcon::themeName();
    if (!current.isEmpty())
        themes << current;
    // Without a desktop session (offscreen, a bare window manager) no theme is set; the
    // common desktop theme and the base theme still give pictures when they are installed.
    themes << QStringLiteral("Adwaita") << QStringLiteral("hicolor");

    QString file;
    QStringList visited;
    for (const QString& theme : themes) {
        file = findInTheme(theme, icon, size, visited);
        if (!file.isEmpty())
            break;
    }
    if (file.isEmpty()) {
        QStringList pixmaps;
        for (const QString& base : baseFolders())
            pixmaps << QFileInfo(base).path() + QStringLiteral("/pixmaps");
        for (const QString& folder : pixmaps) {
            for (const char* ext : {".png", ".svg", ".xpm"}) {
                const QString candidate = folder + u'/' + icon + QLatin1String(ext);
                if (QFileInfo(candidate).isFile()) {
                    file = candidate;
                    break;
                }
            }
            if (!file.isEmpty())
                break;
        }
    }
    resolved.insert(key, file);
    return file;
}
