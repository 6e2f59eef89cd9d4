#pragma once

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

// Finds the file of a named icon in the desktop's icon themes (the current theme, the themes it
// inherits, then hicolor, then the pixmaps folders), the one closest to size pixels.
// An absolute path is returned as it is when the file exists. Empty when nothing is found.
QString ResolveThemeIcon(const QString& name, int size = 32);
// The same in the named desktop theme: safe on any thread, as the current theme is asked of the
// GUI's own thread only.
QString ResolveThemeIcon(const QString& name, int size, const QString& currentTheme);

// The index of a theme's pictures that desktop tools keep in the theme's folder
// (icon-theme.cache): which of the theme's folders hold a picture of a given name, and with
// which suffixes. It spares looking into hundreds of folders for a name the theme lacks.
class TIconCache
{
public:
    enum TSuffix
    {
        Xpm = 1,
        Svg = 2,
        Png = 4
    };

    // The cache of the theme in themeFolder; invalid when it is missing, older than the theme's
    // folder (folders added since), or damaged. A folder of the theme changed after the cache
    // was written is not covered by it.
    static TIconCache read(const QString& themeFolder);
    // A cache from its bytes, for tests.
    static TIconCache fromData(const QByteArray& data);

    bool isValid() const { return m_valid; }
    // The theme's folders the cache knows, relative to the theme's folder.
    QStringList folders() const;
    // Whether the cache tells all that a folder (relative to the theme's folder) holds. Folders
    // it does not list held no pictures when it was written, and so none since, unless changed.
    bool covers(const QString& folder) const { return m_valid && !m_changed.contains(folder); }
    // The folders (relative to the theme's folder) holding the icon, each with its suffixes.
    QHash<QString, int> lookup(const QString& icon) const;

private:
    QByteArray m_data;
    QSet<QString> m_changed;
    bool m_valid = false;
};
