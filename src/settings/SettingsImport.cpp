#include "settings/SettingsImport.h"

#include "settings/IniFile.h"
#include "settings/Zip.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <new>
#include <optional>
#include <system_error>
#include <vector>

namespace {

const QString BackupsFolderName = QStringLiteral("backups");
const QString BackupTimeFormat = QStringLiteral("yyyy-MM-dd HH-mm-ss");

QString CanonicalFolder(const QString& folder)
{
    const QFileInfo info(folder);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

// The file a write to path would land in: symbolic links are followed, also to a file that does
// not exist yet.
QFileInfo WriteTarget(const QString& path)
{
    QFileInfo info(QFileInfo(path).absoluteFilePath());
    for (int hops = 0; hops < 40 && info.isSymLink(); ++hops)
        info = QFileInfo(info.symLinkTarget());
    return info;
}

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// What the archive writer made of the folder's settings files.
struct Packed
{
    bool done = false;
    int count = 0;
    QStringList skipped;
    QString error;
};

Packed packFiles(const QString& settingsFolder, const QString& archivePath)
{
    Packed result;
    try {
        TZip zip;
        zip.SetOverwrite(true);
        for (const QString& name : SettingsFileNames())
            zip.Files().append(QDir(settingsFolder).filePath(name));
        zip.SetArcName(archivePath);
        // The outcome names what went wrong; the writer's reports on the way would only repeat it.
        zip.OnError = [](TZip*, const QString&) {};
        result.done = zip.Compress(&result.error);
        result.count = zip.PackedCount();
        result.skipped = zip.SkippedFiles();
    } catch (const std::bad_alloc&) {
        result.done = false;
        result.error = QStringLiteral("Недостаточно памяти.");
    }
    return result;
}

// A backup's name: its time, and a number after it when two were made in one second. Sorted as
// the names are, with the number counted as a number.
struct BackupName
{
    QString time;
    int number = 1;
    bool operator<(const BackupName& other) const
    {
        return time != other.time ? time < other.time : number < other.number;
    }
};

std::optional<BackupName> parseBackupName(const QString& fileName, QDateTime* date)
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^(\d{4}-\d{2}-\d{2} \d{2}-\d{2}-\d{2})(?:_(\d{1,6}))?\.zip$)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(fileName);
    if (!match.hasMatch())
        return std::nullopt;
    // Date and time apart: a local time that a change of clock skipped is still a backup's name.
    const QString text = match.captured(1);
    const QDate day = QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd"));
    const QTime time = QTime::fromString(text.mid(11), QStringLiteral("HH-mm-ss"));
    if (!day.isValid() || !time.isValid())
        return std::nullopt;
    if (date)
        *date = QDateTime(day, time);
    BackupName name{match.captured(1), 1};
    if (match.hasCaptured(2))
        name.number = match.captured(2).toInt();
    return name;
}

QString backupFileName(const BackupName& name)
{
    return name.number <= 1 ? name.time + QStringLiteral(".zip")
                            : QStringLiteral("%1_%2.zip").arg(name.time).arg(name.number);
}

// The settings files of the folder as they are now, by name; a file that cannot be read has no
// value, one that is missing is not in the map.
std::map<QString, std::optional<SettingsArchive::TFingerprint>>
currentFingerprints(const QString& settingsFolder)
{
    std::map<QString, std::optional<SettingsArchive::TFingerprint>> current;
    for (const QString& name : SettingsFileNames()) {
        const QString path = QDir(settingsFolder).filePath(name);
        if (!QFileInfo(path).isFile())
            continue;
        QFile file(path);
        if (file.open(QIODevice::ReadOnly) && file.size() <= SettingsArchive::MaxArchiveSize)
            current[name] = SettingsArchive::FingerprintOf(file.readAll());
        else
            current[name] = std::nullopt;
    }
    return current;
}

bool sameFiles(const std::map<QString, std::optional<SettingsArchive::TFingerprint>>& current,
               const std::map<QString, SettingsArchive::TFingerprint>& backup)
{
    if (current.size() != backup.size())
        return false;
    for (const auto& [name, fingerprint] : current) {
        const auto it = backup.find(name);
        if (!fingerprint || it == backup.end() || !(it->second == *fingerprint))
            return false;
    }
    return true;
}

TBackupOutcome backupFailed(const QString& reason)
{
    TBackupOutcome outcome;
    outcome.Result = TBackupOutcome::Failed;
    outcome.Message =
        QStringLiteral("Не удалось сохранить резервную копию настроек: %1").arg(reason);
    return outcome;
}

// Keeps the newest KeptBackups. Also done when no backup is written: one that was written just
// before the program was killed has not had the oldest removed yet.
void rotateBackups(const QString& settingsFolder)
{
    const QList<TBackupInfo> all = ListBackups(settingsFolder);
    for (qsizetype i = KeptBackups; i < all.size(); ++i)
        QFile::remove(all[i].Path);
}

TBackupOutcome backup(const QString& settingsFolder, const QDateTime& now)
{
    const auto current = currentFingerprints(settingsFolder);
    if (current.empty())
        return TBackupOutcome{};
    const QList<TBackupInfo> existing = ListBackups(settingsFolder);
    std::map<QString, SettingsArchive::TFingerprint> newest;
    if (!existing.isEmpty() && SettingsArchive::Fingerprints(existing.front().Path, &newest) &&
        sameFiles(current, newest)) {
        rotateBackups(settingsFolder);
        TBackupOutcome outcome;
        outcome.Result = TBackupOutcome::Unchanged;
        outcome.FileName = existing.front().FileName;
        return outcome;
    }

    const QString folder = BackupsFolder(settingsFolder);
    if (!QDir().mkpath(folder))
        return backupFailed(QStringLiteral("папка %1 не создаётся.").arg(shown(folder)));
    BackupName name{now.toString(BackupTimeFormat), 1};
    while (QFileInfo::exists(QDir(folder).filePath(backupFileName(name))))
        ++name.number;
    const QString path = QDir(folder).filePath(backupFileName(name));
    const Packed packed = packFiles(settingsFolder, path);
    if (!packed.done)
        return backupFailed(packed.error);
    if (!packed.skipped.isEmpty() || packed.count == 0) {
        // A backup without one of the files would remove it when restored.
        QFile::remove(path);
        QStringList names;
        for (const QString& skipped : packed.skipped)
            names.append(QFileInfo(skipped).fileName());
        return backupFailed(
            QStringLiteral("не читается %1.").arg(names.join(QStringLiteral(", "))));
    }

    rotateBackups(settingsFolder);
    TBackupOutcome outcome;
    outcome.Result = TBackupOutcome::Written;
    outcome.FileName = backupFileName(name);
    outcome.Message =
        QStringLiteral("Сохранена резервная копия настроек: %1").arg(outcome.FileName);
    return outcome;
}

QString forCommandLine(QString message)
{
    return message.replace(u'\r', u'\n');
}

} // namespace

bool NamesSettingsFile(const QString& path, const QString& settingsFolder)
{
    const QFileInfo target = WriteTarget(path);
    const bool inAppFolder =
        CanonicalFolder(target.absolutePath()) == CanonicalFolder(settingsFolder);
    for (const QString& name : SettingsFileNames()) {
        // Letter case is ignored: on some file systems "options.ini" is Options.ini.
        if (inAppFolder && target.fileName().compare(name, Qt::CaseInsensitive) == 0)
            return true;
        std::error_code error;
        const bool same = std::filesystem::equivalent(
            std::filesystem::path(path.toStdU16String()),
            std::filesystem::path(QDir(settingsFolder).filePath(name).toStdU16String()), error);
        if (!error && same)
            return true;
    }
    return false;
}

TExportOutcome PackSettings(const QString& settingsFolder, const QString& archivePath)
{
    Packed packed = packFiles(settingsFolder, archivePath);
    QString notPacked;
    for (const QString& file : std::as_const(packed.skipped))
        notPacked += u'\r' + shown(file);
    // Without a single file packed there is no archive to speak of.
    if (packed.done && packed.count == 0) {
        packed.done = false;
        packed.error =
            packed.skipped.isEmpty()
                ? QStringLiteral("В папке программы нет ни одного файла настроек:\r%1")
                      .arg(shown(settingsFolder))
                : QStringLiteral("Не удалось упаковать ни один файл настроек:") + notPacked;
        notPacked.clear();
    }
    if (!notPacked.isEmpty())
        notPacked.prepend(QStringLiteral("\rНе удалось упаковать, в архив не вошли:"));
    TExportOutcome outcome;
    outcome.Done = packed.done;
    outcome.Incomplete = !notPacked.isEmpty();
    outcome.Message = packed.done
                          ? QStringLiteral("Экспорт произведён!\r") + shown(archivePath) + notPacked
                          : QStringLiteral("Ошибка при Экспорте!\r") + packed.error + notPacked;
    return outcome;
}

QString BackupsFolder(const QString& settingsFolder)
{
    return QDir(settingsFolder).filePath(BackupsFolderName);
}

TBackupOutcome BackupSettings(const QString& settingsFolder, const QDateTime& now)
{
    // Called on the way to the window: whatever happens here, the start goes on.
    try {
        return backup(settingsFolder, now);
    } catch (const std::bad_alloc&) {
        return backupFailed(QStringLiteral("недостаточно памяти."));
    } catch (const std::exception& e) {
        return backupFailed(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        return backupFailed(QStringLiteral("непредвиденная ошибка."));
    }
}

QList<TBackupInfo> ListBackups(const QString& settingsFolder)
{
    std::vector<std::pair<BackupName, TBackupInfo>> found;
    const QFileInfoList files =
        QDir(BackupsFolder(settingsFolder)).entryInfoList(QDir::Files | QDir::Hidden);
    for (const QFileInfo& file : files) {
        TBackupInfo info;
        const auto name = parseBackupName(file.fileName(), &info.Date);
        if (!name)
            continue;
        info.Path = file.filePath();
        info.FileName = file.fileName();
        info.Size = file.size();
        found.emplace_back(*name, info);
    }
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return b.first < a.first; });
    QList<TBackupInfo> backups;
    for (const auto& [name, info] : found)
        backups.append(info);
    return backups;
}

bool ApplySettingsImport(const TSettingsArchive& archive, const QString& settingsFolder,
                         QString* message, QString* backupName)
{
    const auto say = [message](const QString& text) {
        if (message)
            *message = text;
    };
    if (backupName)
        backupName->clear();
    if (archive.Files.empty()) {
        say(QStringLiteral("В архиве нет ни одного файла настроек."));
        return false;
    }
    if (!QDir().mkpath(settingsFolder)) {
        say(QStringLiteral("Папка настроек %1 не создаётся.").arg(shown(settingsFolder)));
        return false;
    }
    // The backup must hold the files as the program left them, not half of a write.
    if (IniFile::recoverInterrupted(settingsFolder) == IniFile::Recovery::Busy) {
        say(QStringLiteral("Файлы настроек сейчас записывает другая копия программы.\r"
                           "Настройки не изменены, попробуйте ещё раз."));
        return false;
    }
    const TBackupOutcome saved = BackupSettings(settingsFolder);
    if (saved.Result == TBackupOutcome::Failed) {
        say(saved.Message + QStringLiteral("\rИмпорт отменён, настройки не изменены."));
        return false;
    }

    std::vector<IniFile::FileContent> files;
    for (const QString& name : SettingsFileNames()) {
        IniFile::FileContent file{QDir(settingsFolder).filePath(name), std::nullopt};
        if (const auto it = archive.Files.find(name); it != archive.Files.end())
            file.bytes = it->second;
        files.push_back(std::move(file));
    }
    if (!IniFile::replaceFiles(files)) {
        say(QStringLiteral("Не удалось записать файлы настроек в папку %1.\r"
                           "Настройки остались прежними.")
                .arg(shown(settingsFolder)));
        return false;
    }
    QString text = QStringLiteral("Настройки загружены из архива.");
    if (saved.Result == TBackupOutcome::Written) {
        text += QStringLiteral("\rПрежние настройки сохранены в резервной копии %1.")
                    .arg(saved.FileName);
        if (backupName)
            *backupName = saved.FileName;
    }
    say(text);
    return true;
}

bool RestoreBackup(const QString& backupPath, const QString& settingsFolder, QString* message)
{
    TSettingsArchive archive;
    QString reason;
    if (!SettingsArchive::Read(backupPath, &archive, &reason)) {
        if (message)
            *message = QStringLiteral("Резервная копия %1 не читается:\r%2\rНастройки не изменены.")
                           .arg(QFileInfo(backupPath).fileName(), reason);
        return false;
    }
    return ApplySettingsImport(archive, settingsFolder, message);
}

int ImportSettingsFile(const QString& archive, const QString& settingsFolder, QString* message)
{
    TSettingsArchive read;
    QString reason;
    bool ok = SettingsArchive::Read(archive, &read, &reason);
    if (!ok)
        reason = QStringLiteral("Импорт из %1 невозможен:\r%2\rНастройки не изменены.")
                     .arg(shown(archive), reason);
    else
        ok = ApplySettingsImport(read, settingsFolder, &reason);
    if (message)
        *message = forCommandLine(reason);
    return ok ? 0 : 1;
}

int ExportSettingsFile(const QString& archive, const QString& settingsFolder, QString* message)
{
    if (NamesSettingsFile(archive, settingsFolder)) {
        if (message)
            *message = QStringLiteral("Архив нельзя записать на место файла настроек:\n%1")
                           .arg(shown(archive));
        return 1;
    }
    const TExportOutcome outcome = PackSettings(settingsFolder, archive);
    if (message)
        *message = forCommandLine(outcome.Message);
    return outcome.Done ? 0 : 1;
}
