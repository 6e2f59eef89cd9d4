#pragma once

#include "platform/Shell.h"

// The Windows shell: ShellExecuteW, shell links, the registry's Shell Folders, WAVE resources,
// the version resource and the executable's file time. A thin Qt adapter over WinShellCore: every
// operation, rules included, is WinShellCore's, which tst_winshell checks under Wine.
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
    QString WindowsFolder() override;
    // The globe of shell32.dll.
    int LinkIconIndex() override { return 13; }

    bool TargetExists(const QString& path) override;
    bool FileExists(const QString& path) override;
    bool Launch(const QString& path, const QString& parameters) override;
    void CreateDesktopShortcut(const QString& desktopFolder, const QString& workingFolder,
                               const QString& path, const QString& iconPath,
                               const QString& description, const QString& parameters,
                               int iconIndex) override;
    QString AutorunShortcutPath(const QString& startupFolder) override;
    void CreateAutorunShortcut(const QString& shortcutFile, const QString& description) override;
    void RemoveAutorunShortcut(const QString& shortcutFile) override;
    bool AutorunShortcutIsOurs(const QString& shortcutFile) override;
    QString ExpandSystemRoot(const QString& path, const QString& windowsFolder) override;
    QString VersionText() override;
    QString LastChangeText() override;
};
