#include "app/SettingsExport.h"

#include "platform/FileDialogs.h"
#include "platform/MessageBoxes.h"
#include "settings/SettingsImport.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

namespace {

const QString ArchiveExtension = QStringLiteral("zip");

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

    const TExportOutcome outcome = PackSettings(appFolder, path);
    if (outcome.Done)
        ShowMessage(outcome.Message, QStringLiteral("Экспорт"),
                    outcome.Incomplete ? MB::OK | MB::ICONWARNING : MB::OK);
    else
        ShowMessage(outcome.Message, QStringLiteral("Ошибка!"), MB::OK);
}
