#pragma once

#include "platform/Shell.h"

// The Windows shell: ShellExecuteW, shell links, the registry's Shell Folders, WAVE resources,
// the version resource, the executable's file time and the locale's date and time formats. A thin
// Qt adapter over WinShellCore: every call is WinShellCore's, which tst_winshell checks under Wine.
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
    TVersionNumbers ExecutableVersion() override;
    QDateTime ExecutableLastChange() override;
    QString ShortDateText(const QDate& date) override;
    QString LongTimeText(const QTime& time) override;
    QString WindowsFolder() override;
    // The globe of shell32.dll.
    int LinkIconIndex() override { return 13; }
    bool AutorunStartsInProgramFolder() override { return true; }

    bool FileExists(const QString& path) override;
    bool FolderExists(const QString& path) override;
    bool RemoveFile(const QString& path) override;
    bool MakeFolder(const QString& path) override;
};
