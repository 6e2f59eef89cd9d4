#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

// A freedesktop desktop entry: the shell shortcut of this desktop. Only the [Desktop Entry] group
// is read; anything damaged, binary or oversized reads as an empty entry.
class TDesktopEntry
{
public:
    // Larger files are not desktop entries; they are not read at all.
    static constexpr qint64 MaxFileSize = 1024 * 1024;

    static TDesktopEntry read(const QString& path);
    static TDesktopEntry parse(const QByteArray& data);

    bool isValid() const { return m_valid; }
    // The raw value with the string escapes (\s \n \t \r \\) resolved; empty if missing.
    QString value(const QString& key) const;
    // The value for the default locale's language (key[ll_CC], key[ll]) or else the plain one.
    QString localizedValue(const QString& key) const;

private:
    QHash<QString, QString> m_values;
    bool m_valid = false;
};

// Splits an Exec value (string escapes already resolved) into the program and its arguments,
// dropping the field codes (%f, %U, %i ...) and turning %% into %.
QStringList SplitExecLine(const QString& exec);
// The Exec value for a program and its arguments, quoted where the entry format needs it.
QString FormatExecLine(const QStringList& arguments);
// A text as a desktop entry value: backslashes, line breaks, tabs and a leading blank escaped.
QString EscapeEntryValue(const QString& text);
// The program of an Exec line as a full path: a path is taken as it is, a bare name is looked
// up on PATH. Empty when there is no such executable file.
QString ResolveProgram(const QString& program);
