#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

// Finds the file of a named icon in the desktop's icon themes (the current theme, the themes it
// inherits, then hicolor, then the pixmaps folders), the one closest to size pixels.
// An absolute path is returned as it is when the file exists. Empty when nothing is found.
QString ResolveThemeIcon(const QString& name, int size = 32);

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

    // The cache of the theme in themeFolder; invalid when it is missing, older than the
    // folder (pictures added since), or damaged.
    static TIconCache read(const QString& themeFolder);
    // A cache from its bytes, for tests.
    static TIconCache fromData(const QByteArray& data);

    bool isValid() const { return m_valid; }
    // The theme's folders the cache knows, relative to the theme's folder.
    QStringList folders() const;
    // The folders (relative to the theme's folder) holding the icon, each with its suffixes.
    QHash<QString, int> lookup(const QString& icon) const;

private:
    QByteArray m_data;
    bool m_valid = false;
};
