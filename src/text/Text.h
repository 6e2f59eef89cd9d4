#pragma once

#include <QString>

// Text rules the whole program shares, each written once.

// Only A to Z are lowered; every other character stays as it is, whatever the locale.
QString AsciiLowerCase(const QString& text);

// Every line break character becomes a space, one for one ("\r\n" gives two), so a value keeps
// its length and stays on its line of an INI file.
QString OneLine(const QString& text);

// A hint as a tool tip shows it: the program's line breaks ("\r", "\r\n") made "\n", and a text
// that looks like markup escaped so it shows as the text it is.
QString ToolTipText(const QString& hint);

// Replaces every occurrence, also those that a replacement forms with the text around it. A
// replacement that holds the pattern itself is made in one pass (it would never end otherwise).
QString ReplaceAll(const QString& text, const QString& pattern, const QString& replacement);
