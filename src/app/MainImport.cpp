// Import of settings archives, the list of backups, and the backup made at every start.
#include "app/Main.h"
#include "app/SkinsMenu.h"
#include "dialogs/Backups.h"
#include "dialogs/Custom.h"
#include "platform/FileDialogs.h"
#include "platform/MessageBoxes.h"
#include "settings/Constants.h"
#include "settings/Folders.h"
#include "settings/ProfileUndo.h"
#include "settings/SettingsArchive.h"
#include "settings/SettingsImport.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QSystemTrayIcon>

namespace {

QString DateText(const QDateTime& date)
{
    return date.isValid() ? QLocale().toString(date, QStringLiteral("dd.MM.yyyy HH:mm"))
                          : QStringLiteral("неизвестна");
}

} // namespace

void TfmMain::ImportParamsActionExecute()
{
    const QString file =
        FileDialogs().GetOpenFileName(this, QStringLiteral("Выберите архив настроек"), QString(),
                                      QStringLiteral("ZIP-архивы (*.zip);;Все файлы (*)"));
    if (!file.isEmpty())
        ImportArchive(file, false);
}

void TfmMain::BackupsActionExecute()
{
    auto* dialog = new TfmBackups(this, Folders::appFolder());
    PlaceBesideMainWindow(this, dialog);
    connect(dialog, &TfmBackups::restoreRequested, this, [this, dialog](const QString& path) {
        if (ImportArchive(path, true))
            dialog->accept();
    });
    dialog->exec();
    delete dialog;
}

bool TfmMain::ImportArchive(const QString& path, bool backup)
{
    const QString caption =
        backup ? QStringLiteral("Восстановление настроек") : QStringLiteral("Импорт настроек");
    TSettingsArchive archive;
    QString error;
    if (!SettingsArchive::Read(path, &archive, &error)) {
        ShowError(QStringLiteral("Архив не может быть загружен:\r\"%1\"\r%2")
                      .arg(QDir::toNativeSeparators(path), error),
                  caption);
        return false;
    }
    const TSettingsSummary summary = SettingsArchive::Summarize(archive);
    QString text = QStringLiteral("Архив \"%1\" от %2:\rстраниц: %3, команд: %4, рисунков: %5.")
                       .arg(QFileInfo(path).fileName(), DateText(summary.Date))
                       .arg(summary.PageCount)
                       .arg(summary.CommandCount)
                       .arg(summary.PictureCount);
    if (!summary.PageCaptions.isEmpty()) {
        QStringList shown = summary.PageCaptions.mid(0, 8);
        if (summary.PageCaptions.size() > shown.size())
            shown.append(QStringLiteral("…"));
        text += QStringLiteral("\rСтраницы: ") + shown.join(QStringLiteral(", "));
    }
    if (!summary.MissingFiles.isEmpty())
        text += QStringLiteral("\rВ архиве нет файлов %1: после загрузки их не будет.")
                    .arg(summary.MissingFiles.join(QStringLiteral(", ")));
    text += QStringLiteral("\r\rТекущие страницы, команды и настройки будут заменены. Перед этим "
                           "программа сохранит их резервную копию.\rПродолжить?");
    if (!Confirm(text, caption))
        return false;
    QString message;
    const bool done = ReplaceSettings(
        backup ? QStringLiteral("восстановление настроек") : QStringLiteral("импорт настроек"),
        [&] { return ApplySettingsImport(archive, Folders::appFolder(), &message); });
    if (!done)
        ShowError(message, caption);
    return done;
}

bool TfmMain::ReplaceSettings(const QString& label, const std::function<bool()>& replace)
{
    bool done = false;
    {
        TUndoStep step(label);
        done = replace();
    }
    if (done)
        ReloadProfile();
    return done;
}

void TfmMain::BackUpSettings()
{
    const TBackupOutcome outcome = BackupSettings(Folders::appFolder());
    if (outcome.Result != TBackupOutcome::Failed)
        return;
    // A backup is a safety net, not the user's work: it is told without stopping anyone.
    if (TrayIcon && TrayIcon->isVisible() && QSystemTrayIcon::supportsMessages())
        TrayIcon->showMessage(Constants::ProductName,
                              QString(outcome.Message).replace(u'\r', u'\n'),
                              QSystemTrayIcon::Warning);
    else
        qWarning("%s", qPrintable(QString(outcome.Message).replace(u'\r', u' ')));
}
