#include "settings/SettingsExport.h"

#include "platform/FileDialogs.h"
#include "platform/MessageBoxes.h"
#include "settings/Constants.h"
#include "settings/Zip.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include <filesystem>
#include <new>
#include <system_error>

namespace {

const QString ArchiveExtension = QStringLiteral("zip");

// Given to the writer in this order; the archive itself lists them by name.
QStringList SettingsFileNames()
{
    return {Constants::OptionsFileName, Constants::RunStatFileName, Constants::PagesImagesFileName,
            Constants::CommandsFileName, Constants::PagesFileName};
}

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

// True when writing the archive to path would replace one of the settings files, whether or not
// that file exists now (a missing RunStat.ini replaced by an archive would be read back later).
bool NamesSettingsFile(const QString& path, const QString& appFolder)
{
    const QFileInfo target = WriteTarget(path);
    const bool inAppFolder = CanonicalFolder(target.absolutePath()) == CanonicalFolder(appFolder);
    for (const QString& name : SettingsFileNames()) {
        // Letter case is ignored: on some file systems "options.ini" is Options.ini.
        if (inAppFolder && target.fileName().compare(name, Qt::CaseInsensitive) == 0)
            return true;
        std::error_code error;
        const bool same = std::filesystem::equivalent(
            std::filesystem::path(path.toStdU16String()),
            std::filesystem::path(QDir(appFolder).filePath(name).toStdU16String()), error);
        if (!error && same)
            return true;
    }
    return false;
}

} // namespace

QString ProposedExportName(const QDate& today)
{
    QString date = QLocale().toString(today, QLocale::ShortFormat);
    // Some short formats ("M/d/yy") would turn the proposed name into a path.
    date.replace(u'/', u'-').replace(u'\\', u'-').replace(u':', u'-');
    return date + QStringLiteral(" settings.") + ArchiveExtension;
}

void ExportSettings(const QString& appFolder, const QDate& today, QWidget* parent)
{
    QString path = FileDialogs().GetSaveFileName(
        parent, QStringLiteral("Выберите файл для экспорта"), appFolder, ProposedExportName(today),
        ArchiveExtension + QStringLiteral(" (*.") + ArchiveExtension + QStringLiteral(")"),
        ArchiveExtension, false);
    if (path.isEmpty())
        return;
    // Not every platform's chooser appends the default extension itself, and a name with a point
    // in it ("06.12.2026 settings") has no extension of an archive either.
    const QString fileName = QFileInfo(path).fileName();
    if (fileName.endsWith(u'.'))
        path += ArchiveExtension;
    else if (!fileName.endsWith(u'.' + ArchiveExtension, Qt::CaseInsensitive))
        path += u'.' + ArchiveExtension;

    if (NamesSettingsFile(path, appFolder)) {
        ShowMessage(QStringLiteral("Архив нельзя записать на место файла настроек:\r%1\r"
                                   "Выберите для архива другое имя.")
                        .arg(QDir::toNativeSeparators(path)),
                    QStringLiteral("Экспорт"), MB::OK | MB::ICONERROR);
        return;
    }

    QString error;
    bool done = false;
    int packed = 0;
    QStringList skipped;
    try {
        TZip zip;
        zip.SetOverwrite(true);
        for (const QString& name : SettingsFileNames())
            zip.Files().append(QDir(appFolder).filePath(name));
        zip.SetArcName(path);
        // The export says at the end what went wrong, naming the files; the writer's reports
        // would only be a bare box on the way.
        zip.OnError = [](TZip*, const QString&) {};
        done = zip.Compress(&error);
        packed = zip.PackedCount();
        skipped = zip.SkippedFiles();
    } catch (const std::bad_alloc&) {
        error = QStringLiteral("Недостаточно памяти.");
    }
    QString notPacked;
    for (const QString& file : std::as_const(skipped))
        notPacked += u'\r' + QDir::toNativeSeparators(file);
    // Without a single file packed there is no archive to speak of.
    if (done && packed == 0) {
        done = false;
        error = skipped.isEmpty()
                    ? QStringLiteral("В папке программы нет ни одного файла настроек:\r%1")
                          .arg(QDir::toNativeSeparators(appFolder))
                    : QStringLiteral("Не удалось упаковать ни один файл настроек:") + notPacked;
        notPacked.clear();
    }
    if (!notPacked.isEmpty())
        notPacked.prepend(QStringLiteral("\rНе удалось упаковать, в архив не вошли:"));
    if (done)
        ShowMessage(
            QStringLiteral("Экспорт произведён!\r") + QDir::toNativeSeparators(path) + notPacked,
            QStringLiteral("Экспорт"), notPacked.isEmpty() ? MB::OK : MB::OK | MB::ICONWARNING);
    else
        ShowMessage(QStringLiteral("Ошибка при Экспорте!\r") + error + notPacked,
                    QStringLiteral("Ошибка!"), MB::OK);
}
