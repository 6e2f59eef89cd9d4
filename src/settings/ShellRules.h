#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

// The rules the program applies to what the shell reports, the same on every system: pure text
// and path work, no look at the disk. The shell layer (platform/Shell.h) builds its operations on
// these and on its system's calls.

// The four parts of a program's version.
struct TVersionNumbers
{
    int major = 0;
    int minor = 0;
    int release = 0;
    int build = 0;
};

// A path whose file-name part is empty names a folder (it ends in a separator), any other path a
// file.
bool NamesFolder(const QString& path);

// "%systemroot%", in any case of A to Z, replaced by windowsFolder in the path with A to Z
// lowered; paths without it, and every path while windowsFolder is empty, unchanged.
QString ExpandSystemRoot(const QString& path, const QString& windowsFolder);

// "a.b.c сборка d".
QString FormatVersionText(const TVersionNumbers& version);
// The date's text, a space and the time's text; the date alone at exactly midnight. Empty for an
// invalid time, and when a text it needs could not be made (empty).
QString FormatLastChangeText(const QDateTime& time, const QString& dateText,
                             const QString& timeText);
// A date and a time as the desktop's default locale writes them (short date, long time without a
// time zone name): what a system without formats of its own shows.
QString LocaleShortDate(const QDate& date);
QString LocaleLongTime(const QTime& time);
// The autorun shortcut's description: "Kestrolin v.<version> от <last change>".
QString AutorunDescription(const QString& versionText, const QString& lastChangeText);

// The program's autorun shortcut in the given startup folder.
QString AutorunShortcutIn(const QString& startupFolder);
// The file of a command's shortcut in desktopFolder, named after its description as it is; empty
// for a description that cannot be a file name (or would lead into another folder).
QString DesktopShortcutFile(const QString& desktopFolder, const QString& description);
// True when a shortcut's target names the executable: only the case of A to Z is ignored, and an
// empty target names nothing.
bool IsSameTarget(const QString& target, const QString& executable);
