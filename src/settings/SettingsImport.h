#pragma once

#include "settings/SettingsArchive.h"

#include <QDateTime>
#include <QList>
#include <QString>

// Export, import and backups of the settings files, without any window. All of it works on a
// settings folder given by the caller (the program passes Folders::appFolder()), in the core
// library, and reports in Russian texts whose lines break at "\r", as the program's boxes want.
//
// - Export: PackSettings writes the archive (the interactive ExportSettings asks for the name and
//   shows the outcome; ExportSettingsFile is the same without asking).
// - Import: SettingsArchive::Read checks an archive whole and SettingsArchive::Summarize says
//   what it holds, for the question to the user; ApplySettingsImport then backs up the current
//   files and replaces all five as one step (a crash leaves all old or, after the start-up's
//   IniFile::recoverInterrupted, all new). A file the archive lacks is removed, so it reads as
//   the program's defaults. The caller reloads what it shows from the folder afterwards, and
//   must have no IniFile batch or transaction open while it applies.
// - Backups: BackupSettings is called at start-up; it never throws and never asks anything, and
//   its outcome's Message is for the tray balloon or the status line. ListBackups and
//   RestoreBackup serve the list of backups.
// - ImportSettingsFile and ExportSettingsFile are the command line's: 0 on success, 1 otherwise,
//   with the outcome in message (lines broken by "\n").

// The archive the export writes. The outcome's Message is the text of the box that reports it:
// "Экспорт произведён!" and the path, or "Ошибка при Экспорте!" and the reason; Incomplete when
// some file could not be packed (the message names it).
struct TExportOutcome
{
    bool Done = false;
    bool Incomplete = false;
    QString Message;
};
TExportOutcome PackSettings(const QString& settingsFolder, const QString& archivePath);
// True when writing an archive to path would replace one of the settings files of the folder.
bool NamesSettingsFile(const QString& path, const QString& settingsFolder);

// Backs up the current files (BackupSettings), then puts the archive's files in their place.
// False with the reason, and the folder as it was, when anything fails before the replacement.
// backupName: the backup written first, empty when the newest one already held these files.
bool ApplySettingsImport(const TSettingsArchive& archive, const QString& settingsFolder,
                         QString* message, QString* backupName = nullptr);

// Backups: archives of the settings files in backups/ of the settings folder, named by the
// local time they were made ("2026-12-08 14-05-33.zip"), the newest KeptBackups of them kept.
constexpr int KeptBackups = 20;
QString BackupsFolder(const QString& settingsFolder);

struct TBackupOutcome
{
    enum Kind
    {
        Written,   // a new backup was made
        Unchanged, // the newest backup holds the files as they are
        Nothing,   // there are no settings files to back up
        Failed     // no backup could be written; Message says why
    };
    Kind Result = Nothing;
    QString FileName; // of the backup written
    QString Message;  // for the balloon or the status line
};
// Writes a backup unless the newest one holds the same files, then removes all but the newest
// KeptBackups. now: the time that names it.
TBackupOutcome BackupSettings(const QString& settingsFolder,
                              const QDateTime& now = QDateTime::currentDateTime());

struct TBackupInfo
{
    QString Path;
    QString FileName;
    QDateTime Date;
    qint64 Size = 0;
};
// The backups in the folder, newest first. Other files there are passed over.
QList<TBackupInfo> ListBackups(const QString& settingsFolder);
// Reads and checks the backup, then applies it as an import.
bool RestoreBackup(const QString& backupPath, const QString& settingsFolder, QString* message);

// The command line's import and export of an archive.
int ImportSettingsFile(const QString& archive, const QString& settingsFolder, QString* message);
int ExportSettingsFile(const QString& archive, const QString& settingsFolder, QString* message);
