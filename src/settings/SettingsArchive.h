#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <map>

// Reading a settings archive: an export, a backup, or any ZIP that holds the settings files at its
// top level. The archive is read and checked whole before anyone acts on it; a refused archive
// comes back with the reason as a Russian sentence, ready to be shown.
//
// Refused: a file that is no ZIP or is cut short; an encrypted entry; an entry name with "..", an
// absolute path or a folder in it; two entries of one name (letter case does not count); a
// settings file that inflates past MaxEntrySize or at a ratio past MaxRatio; a damaged INI file
// (IniFile::contentProblem) or a PagesImages.dat that does not load; an archive without any of
// the settings files. Other files at the top level are passed over.

// The settings files, in the order the export gives them to the archive writer.
QStringList SettingsFileNames();

// The settings files of an archive that passed every check.
struct TSettingsArchive
{
    // Content by the file's name as the program spells it ("Options.ini"); a file the archive
    // does not hold is not in the map.
    std::map<QString, QByteArray> Files;
    // The time of its newest settings file; invalid when no entry has one.
    QDateTime Date;
};

// What an archive holds, for the question asked before it replaces the settings.
struct TSettingsSummary
{
    // The pages the program would show (counted as it loads them), with their captions.
    int PageCount = 0;
    QStringList PageCaptions;
    // Commands on those pages, within the grid the archive's options give.
    int CommandCount = 0;
    int PictureCount = 0;
    QDateTime Date;
    // Settings files the archive lacks: the import leaves the folder without them, so they read
    // as the program's defaults (no run statistics, no pictures, and so on).
    QStringList MissingFiles;
};

namespace SettingsArchive {

// No settings file grows this large; a larger entry is refused unread.
constexpr qint64 MaxEntrySize = 64 * 1024 * 1024;
// Settings text compresses maybe tenfold; far more than this is what a decompression bomb does.
// Checked once an entry has inflated past RatioCheckFrom, as small entries cannot hurt.
constexpr qint64 MaxRatio = 200;
constexpr qint64 RatioCheckFrom = 1024 * 1024;
// The largest archive read at all: the five files at their largest, with room for the rest.
constexpr qint64 MaxArchiveSize = 6 * MaxEntrySize;

// Reads and checks the archive file; false with the reason in error when it is refused.
bool Read(const QString& path, TSettingsArchive* archive, QString* error);
// The same for an archive in memory.
bool ReadData(const QByteArray& data, TSettingsArchive* archive, QString* error);

TSettingsSummary Summarize(const TSettingsArchive& archive);

// The size and CRC-32 of each settings file an archive holds, from its directory alone: enough
// to tell whether a folder's files are those of a backup without inflating anything. False when
// the file is no readable ZIP.
struct TFingerprint
{
    qint64 Size = 0;
    quint32 Crc = 0;
    bool operator==(const TFingerprint&) const = default;
};
bool Fingerprints(const QString& path, std::map<QString, TFingerprint>* fingerprints);
TFingerprint FingerprintOf(const QByteArray& content);

} // namespace SettingsArchive
