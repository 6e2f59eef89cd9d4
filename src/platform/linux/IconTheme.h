#pragma once

#include <QString>

// Finds the file of a named icon in the desktop's icon themes (the current theme, the themes it
// inherits, then hicolor, then the pixmaps folders), the one closest to size pixels.
// An absolute path is returned as it is when the file exists. Empty when nothing is found.
QString ResolveThemeIcon(const QString& name, int size = 32);
