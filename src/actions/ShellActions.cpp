#include "actions/ShellActions.h"

#include "platform/MessageBoxes.h"
#include "platform/Shell.h"
#include "settings/SystemSettings.h"

#include <QDir>

bool LaunchCommand(const QString& path, const QString& parameters)
{
    if (StartCommand(path, parameters))
        return true;
    QString text = QStringLiteral("Не удаётся запустить команду\r\"") +
                   QDir::toNativeSeparators(path) + QStringLiteral("\" ") + parameters;
    const QString reason = Shell().ExecuteFailure();
    if (!reason.isEmpty())
        text += u'\r' + reason;
    ShowMessage(text, QStringLiteral("Ошибка запуска команды"), MB::OK | MB::ICONERROR);
    return false;
}

void PlayEventSound(int kind)
{
    if (SoundResourceName(kind).isEmpty())
        return;
    const TSys_Sounds* sounds = SystemSettings ? SystemSettings->Sounds() : nullptr;
    if (!sounds || sounds->Contains(TSys_Sounds::MuteAll) || !sounds->Contains(kind))
        return;
    Shell().PlaySound(kind);
}
