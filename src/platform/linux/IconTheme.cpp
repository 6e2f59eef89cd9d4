#include "platform/linux/IconTheme.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QIcon>
#include <QMutex>
#include <QSet>
#include <QStringList>

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <map>
#include <optional>

#include <dirent.h>

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

// A theme's index.theme as groups of the keys used here. Read by hand: the base theme lists
// hundreds of folders, and a general settings reader takes many times longer over it.
// The keys of an index that finding a picture needs; names and comments in every language make
// up most of an index.
enum TIndexKey
{
    DirectoriesKey,
    InheritsKey,
    SizeKey,
    MinSizeKey,
    MaxSizeKey,
    ThresholdKey,
    TypeKey,
    ScaleKey,
    IndexKeyCount
};
struct TIndexGroup
{
    std::array<QString, IndexKeyCount> values;
    unsigned present = 0; // a bit for each key the group has

    QString value(TIndexKey key, const QString& otherwise = {}) const
    {
        return present & (1u << key) ? values[key] : otherwise;
    }
};

// A theme's index.theme as groups of the keys used here. Read by hand: the base theme lists
// hundreds of folders, and a general settings reader takes many times longer over it, and a
// table of tables for them takes megabytes on the way.
QHash<QString, TIndexGroup> readIndex(const QString& path)
{
    QHash<QString, TIndexGroup> groups;
    QFile file(path);
    // An index is a few hundred kilobytes at most; anything larger is not one.
    if (!file.open(QIODevice::ReadOnly) || file.size() > 4 * 1024 * 1024)
        return groups;
    // Read as bytes: only the names and values kept are made into text.
    const QByteArray text = file.readAll();
    static const QByteArrayView keys[IndexKeyCount] = {
        "Directories", "Inherits", "Size", "MinSize", "MaxSize", "Threshold", "Type", "Scale"};
    TIndexGroup* group = nullptr;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0)
            end = text.size();
        const QByteArrayView line = QByteArrayView(text).sliced(start, end - start).trimmed();
        start = end + 1;
        if (line.isEmpty() || line.front() == '#')
            continue;
        if (line.front() == '[' && line.back() == ']') {
            group = &groups[QString::fromUtf8(line.sliced(1, line.size() - 2))];
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (!group || equals <= 0)
            continue;
        const QByteArrayView key = line.first(equals).trimmed();
        const auto* used = std::find(std::begin(keys), std::end(keys), key);
        if (used != std::end(keys)) {
            const auto index = used - std::begin(keys);
            group->values[index] = QString::fromUtf8(line.sliced(equals + 1).trimmed());
            group->present |= 1u << index;
        }
    }
    return groups;
}

QStringList listValue(const QString& value)
{
    QStringList items;
    for (const QString& item : value.split(u',', Qt::SkipEmptyParts))
        if (!item.trimmed().isEmpty())
            items << item.trimmed();
    return items;
}

// The caches below hand out references that callers keep while they look up more (a theme's
// parents, the caches of its other roots): a std::map keeps them valid as it grows, which a
// QHash does not.
const Theme& loadTheme(const QString& name)
{
    static std::map<QString, Theme> cache;
    const auto found = cache.find(name);
    if (found != cache.end())
        return found->second;

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
        const QHash<QString, TIndexGroup> groups = readIndex(index);
        const TIndexGroup head = groups.value(QStringLiteral("Icon Theme"));
        theme.inherits = listValue(head.value(InheritsKey));
        for (const QString& dir : listValue(head.value(DirectoriesKey))) {
            const TIndexGroup group = groups.value(dir);
            auto number = [&group](TIndexKey key, int def) {
                bool ok = false;
                const int value = group.value(key).toInt(&ok);
                return ok ? value : def;
            };
            ThemeDirectory d;
            d.path = dir;
            d.size = number(SizeKey, 0);
            d.minSize = number(MinSizeKey, d.size);
            d.maxSize = number(MaxSizeKey, d.size);
            d.threshold = number(ThresholdKey, 2);
            d.type = group.value(TypeKey, QStringLiteral("Threshold"));
            if (d.size > 0 && number(ScaleKey, 1) <= 1)
                theme.directories.append(d);
        }
    }
    return cache.emplace(name, theme).first->second;
}

// The names in a folder, read once: a name missing from a theme would otherwise cost a look
// at the disk for every folder and extension of the theme, and a page asks for many names.
const QSet<QString>& folderNames(const QString& folder)
{
    static std::map<QString, QSet<QString>> cache;
    const auto found = cache.find(folder);
    if (found != cache.end())
        return found->second;
    QSet<QString> names;
    if (DIR* dir = ::opendir(QFile::encodeName(folder).constData())) {
        while (const dirent* entry = ::readdir(dir))
            names.insert(QFile::decodeName(entry->d_name));
        ::closedir(dir);
    }
    return cache.emplace(folder, names).first->second;
}

// The cache of a theme folder, read once.
const TIconCache& themeCache(const QString& root)
{
    static std::map<QString, TIconCache> caches;
    const auto found = caches.find(root);
    if (found != caches.end())
        return found->second;
    return caches.emplace(root, TIconCache::read(root)).first->second;
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
    // Where each root's cache says the icon is; folders a cache does not cover are looked into.
    QList<std::optional<QHash<QString, int>>> cached;
    QList<const TIconCache*> caches;
    for (const QString& root : theme.roots) {
        const TIconCache& cache = themeCache(root);
        caches.append(&cache);
        cached.append(cache.isValid() ? std::optional(cache.lookup(icon)) : std::nullopt);
    }
    static const std::pair<const char*, int> suffixes[] = {
        {".png", TIconCache::Png}, {".svg", TIconCache::Svg}, {".xpm", TIconCache::Xpm}};
    for (const ThemeDirectory& dir : ordered) {
        for (qsizetype r = 0; r < theme.roots.size(); ++r) {
            const QString folder = theme.roots[r] + u'/' + dir.path;
            const bool covered = cached[r] && caches[r]->covers(dir.path);
            const int listed = covered ? cached[r]->value(dir.path) : 0;
            if (covered && listed == 0)
                continue;
            for (const auto& [ext, flag] : suffixes) {
                const QString name = icon + QLatin1String(ext);
                if (covered ? !(listed & flag) : !folderNames(folder).contains(name))
                    continue;
                const QString file = folder + u'/' + name;
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

namespace {

// The cache is big-endian throughout; every offset is checked against its size.
quint32 cacheWord(const QByteArray& data, quint32 offset, bool* ok)
{
    if (offset > quint32(data.size()) || data.size() - offset < 4) {
        *ok = false;
        return 0;
    }
    const auto* p = reinterpret_cast<const uchar*>(data.constData()) + offset;
    return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | p[3];
}

quint16 cacheHalf(const QByteArray& data, quint32 offset, bool* ok)
{
    if (offset > quint32(data.size()) || data.size() - offset < 2) {
        *ok = false;
        return 0;
    }
    const auto* p = reinterpret_cast<const uchar*>(data.constData()) + offset;
    return quint16(quint16(p[0]) << 8 | p[1]);
}

// The zero-ended string at offset, or a null view when it runs off the end.
QByteArrayView cacheString(const QByteArray& data, quint32 offset)
{
    if (offset >= quint32(data.size()))
        return {};
    const char* start = data.constData() + offset;
    const auto* end = static_cast<const char*>(std::memchr(start, 0, data.size() - offset));
    return end ? QByteArrayView(start, end - start) : QByteArrayView();
}

// The hash the desktop's tools file names under.
quint32 iconNameHash(const QByteArray& name)
{
    if (name.isEmpty())
        return 0;
    quint32 h = quint32(qint32(static_cast<signed char>(name[0])));
    for (qsizetype i = 1; i < name.size(); ++i)
        h = (h << 5) - h + quint32(qint32(static_cast<signed char>(name[i])));
    return h;
}

constexpr qint64 MaxCacheSize = 64 * 1024 * 1024;
constexpr quint32 NoOffset = 0xFFFFFFFF;

} // namespace

TIconCache TIconCache::read(const QString& themeFolder)
{
    QFile file(themeFolder + QStringLiteral("/icon-theme.cache"));
    const QFileInfo info(file);
    const QFileInfo folder(themeFolder);
    // Folders made after the cache was written are unknown to it: such a cache is not used.
    if (!info.isFile() || info.size() > MaxCacheSize ||
        info.lastModified() < folder.lastModified() || !file.open(QIODevice::ReadOnly))
        return {};
    TIconCache cache = fromData(file.readAll());
    // Pictures put into a folder after the cache was written would be missed: that folder is
    // looked into, the rest of the theme still comes from the cache.
    const QDateTime written = info.lastModified();
    for (const QString& sub : cache.folders()) {
        if (QFileInfo(themeFolder + u'/' + sub).lastModified() > written)
            cache.m_changed.insert(sub);
    }
    return cache;
}

QStringList TIconCache::folders() const
{
    QStringList names;
    if (!m_valid)
        return names;
    bool ok = true;
    const quint32 listOffset = cacheWord(m_data, 8, &ok);
    const quint32 count = cacheWord(m_data, listOffset, &ok);
    for (quint32 i = 0; ok && i < count && i < quint32(m_data.size() / 4); ++i) {
        const QByteArrayView name =
            cacheString(m_data, cacheWord(m_data, listOffset + 4 + 4 * i, &ok));
        if (ok && !name.isNull())
            names << QString::fromUtf8(name);
    }
    return names;
}

TIconCache TIconCache::fromData(const QByteArray& data)
{
    TIconCache cache;
    bool ok = true;
    const quint16 major = cacheHalf(data, 0, &ok);
    cacheWord(data, 4, &ok);
    cacheWord(data, 8, &ok);
    cache.m_valid = ok && major == 1;
    if (cache.m_valid)
        cache.m_data = data;
    return cache;
}

QHash<QString, int> TIconCache::lookup(const QString& icon) const
{
    QHash<QString, int> folders;
    if (!m_valid)
        return folders;
    bool ok = true;
    const QByteArray name = icon.toUtf8();
    const quint32 hashOffset = cacheWord(m_data, 4, &ok);
    const quint32 listOffset = cacheWord(m_data, 8, &ok);
    const quint32 buckets = cacheWord(m_data, hashOffset, &ok);
    const quint32 directories = cacheWord(m_data, listOffset, &ok);
    if (!ok || buckets == 0)
        return folders;
    quint32 entry = cacheWord(m_data, hashOffset + 4 + 4 * (iconNameHash(name) % buckets), &ok);
    // A damaged chain could loop: no chain is longer than the file has entries.
    for (qsizetype steps = 0; ok && entry != NoOffset && steps < m_data.size() / 12; ++steps) {
        const quint32 next = cacheWord(m_data, entry, &ok);
        const quint32 nameOffset = cacheWord(m_data, entry + 4, &ok);
        const quint32 images = cacheWord(m_data, entry + 8, &ok);
        if (!ok)
            break;
        if (cacheString(m_data, nameOffset) == QByteArrayView(name)) {
            const quint32 count = cacheWord(m_data, images, &ok);
            for (quint32 i = 0; ok && i < count && i < quint32(m_data.size() / 8); ++i) {
                const quint32 image = images + 4 + 8 * i;
                const quint16 index = cacheHalf(m_data, image, &ok);
                const quint16 flags = cacheHalf(m_data, image + 2, &ok);
                if (!ok || index >= directories)
                    break;
                const QByteArrayView folder =
                    cacheString(m_data, cacheWord(m_data, listOffset + 4 + 4 * index, &ok));
                if (ok && !folder.isNull())
                    folders[QString::fromUtf8(folder)] |= flags & (Xpm | Svg | Png);
            }
            break;
        }
        entry = next;
    }
    return folders;
}

QString ResolveThemeIcon(const QString& name, int size)
{
    return ResolveThemeIcon(name, size, QIcon::themeName());
}

QString ResolveThemeIcon(const QString& name, int size, const QString& current)
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

    // The theme's caches are shared with the thread that looks up a page's pictures ahead.
    static QMutex lock;
    const QMutexLocker locked(&lock);
    // Remembered per theme: the desktop's theme may change while the program runs.
    static QHash<QString, QString> resolved;
    const QString key = current + u'/' + icon + u'@' + QString::number(size);
    const auto found = resolved.constFind(key);
    if (found != resolved.constEnd())
        return *found;

    QStringList themes;
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
