#pragma once

#include "platform/Shell.h"
#include "platform/linux/SoundPlayer.h"

#include <memory>

class QFileInfo;
class QUrl;
class TIconPrefetch;

// The shell on a freedesktop desktop: desktop entries as shortcuts, XDG autostart and desktop
// folders, programs started directly (never through a shell), everything else opened with the
// desktop's default handler.
class TLinuxShell : public IShell
{
public:
    ~TLinuxShell() override;
    bool Execute(const QString& path, const QString& parameters,
                 const QString& workingFolder) override;
    QString ExecuteFailure() const override;
    void PlaySound(int kind) override;
    TShortcutInfo ReadShortcut(const QString& shortcutFile) override;
    bool CheckShortcut(const QString& shortcutFile, QString* reason) override;
    bool WriteShortcut(const TShortcutInfo& info, const QString& shortcutFile,
                       int showMode) override;
    QPixmap ExtractIcon(const QString& file, int index, int size) override;
    void PrepareIcons(const QList<std::pair<QString, int>>& files, int size) override;
    void EndPreparedIcons() override;
    void OpenUrl(const QString& url) override;
    QString StartupFolder() override;
    QString DesktopFolder() override;
    QString ExecutablePath() override;
    QString ProgramIconPath() override;
    TVersionNumbers ExecutableVersion() override;
    QDateTime ExecutableLastChange() override;

private:
    // Documents and folders go to the desktop's opener when their type has an application.
    bool OpenDocument(const QFileInfo& info);
    // Web and mail links likewise, when some application takes their scheme.
    bool OpenLink(const QUrl& url);

    TSoundPlayer m_sounds;
    QString m_failure;
    std::shared_ptr<TIconPrefetch> m_prefetch;
};

// The desktop folder as xdg-user-dirs defines it: $XDG_DESKTOP_DIR, else the XDG_DESKTOP_DIR line
// of user-dirs.dirs in configHome, else home/Desktop. Without a trailing separator.
QString XdgDesktopFolder(const QString& home, const QString& configHome,
                         const QString& desktopDirVariable);
// $XDG_CONFIG_HOME (when absolute) or home/.config.
QString XdgConfigHome();
// True for a file the system can run itself: an ELF binary or a script with a #! line.
bool IsRunnableProgram(const QString& path);
