#pragma once

#include "platform/Shell.h"

// The Windows shell: ShellExecuteW, shell links, the registry's Shell Folders, WAVE resources,
// the version resource and the executable's file time. A thin Qt adapter over WinShellCore.
class TWinShell : public IShell
{
public:
    bool Execute(const QString& path, const QString& parameters,
                 const QString& workingFolder) override;
    void PlaySound(int kind) override;
    TShortcutInfo ReadShortcut(const QString& shortcutFile) override;
    bool WriteShortcut(const TShortcutInfo& info, const QString& shortcutFile,
                       int showMode) override;
    QPixmap ExtractIcon(const QString& file, int index, int size) override;
    void OpenUrl(const QString& url) override;
    QString StartupFolder() override;
    QString DesktopFolder() override;
    QString ExecutablePath() override;
    QString ProgramIconPath() override;
    TVersionNumbers ExecutableVersion() override;
    QDateTime ExecutableLastChange() override;
};
