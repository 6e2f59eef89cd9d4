#pragma once

#include "platform/Seam.h"

#include <QDateTime>
#include <QPixmap>
#include <QString>

// The thin layer over the desktop shell: starting programs, sounds, shortcuts, icons, links.
// One implementation per platform behind IShell; the free functions below are what the rest
// of the program calls. What the user sees of a launch (the failure box, the event sounds and
// their switches) is the program's business above this layer (actions/ShellActions.h).

// Fields of a shell shortcut (on this desktop: a freedesktop desktop entry).
struct TShortcutInfo
{
    QString targetPath;
    QString arguments;
    QString workingFolder;
    QString description;
    QString iconPath;
    int iconIndex = 0;
};

// A picture with its hint text, as drawn for a command (32 x 32 on a button, 16 x 16 in the
// quick-launch button).
struct TCommandPicture
{
    QPixmap pixmap;
    QString hint;
    int size = 32;
};

enum TSoundKind
{
    SoundDropShortCut = 0,
    SoundScrollPage = 1,
    SoundRunCommand = 2,
    SoundDropCommand = 3,
    SoundDropPage = 4
};
enum TMailKind
{
    MailErrorReport = 0,
    MailWish = 1
};

struct TVersionNumbers
{
    int major = 0;
    int minor = 0;
    int release = 0;
    int build = 0;
};

class IShell
{
public:
    virtual ~IShell() = default;

    // Starts a file; false when it could not be started (the caller reports it).
    virtual bool Execute(const QString& path, const QString& parameters,
                         const QString& workingFolder) = 0;
    // Why the last Execute that returned false failed, in the user's words; empty when there is
    // nothing to add to the failure message.
    virtual QString ExecuteFailure() const { return {}; }
    // Plays one of the program's sounds without waiting; silent on any failure.
    virtual void PlaySound(int kind) = 0;
    // Empty fields for anything that cannot be read.
    virtual TShortcutInfo ReadShortcut(const QString& shortcutFile) = 0;
    // False, with the reason in the user's words, for a shortcut file that is damaged or can't
    // start anything, so it never becomes a command that fails when run.
    virtual bool CheckShortcut(const QString& shortcutFile, QString* reason)
    {
        Q_UNUSED(shortcutFile);
        Q_UNUSED(reason);
        return true;
    }
    virtual bool WriteShortcut(const TShortcutInfo& info, const QString& shortcutFile,
                               int showMode) = 0;
    // The icon at index in a file (its type's icon for files that hold no icons); null if none.
    virtual QPixmap ExtractIcon(const QString& file, int index, int size) = 0;
    // Opens a URL (web site, mail link) with the desktop's handler.
    virtual void OpenUrl(const QString& url) = 0;
    // The user's autostart and desktop folders, without a trailing separator; empty if unknown.
    virtual QString StartupFolder() = 0;
    virtual QString DesktopFolder() = 0;
    virtual QString ExecutablePath() = 0;
    // The file whose first icon (index 0) shows the program in shortcuts to it: the executable
    // itself where it carries its icon.
    virtual QString ProgramIconPath() { return ExecutablePath(); }
    // The four parts of the running program's version (all 0 when it has none).
    virtual TVersionNumbers ExecutableVersion() { return {}; }
    // The executable's last-write time in local time; invalid when it cannot be read.
    virtual QDateTime ExecutableLastChange() { return {}; }
    // The Windows folder, without a trailing separator; empty where there is none.
    virtual QString WindowsFolder() { return {}; }
    // Which picture of the icon library (Folders::shell32Path) shows a link command: the
    // program's own library has a globe there.
    virtual int LinkIconIndex() { return 6; }

    // What the program does through the shell. The defaults are the rules built on the calls
    // above; a platform whose shell layer carries its own, separately tested rules (Windows:
    // WinShellCore) answers with those, so the program runs the code its tests check.

    // A path whose file-name part is empty names a folder, any other path a file.
    virtual bool TargetExists(const QString& path);
    // True for an existing file that is not a folder.
    virtual bool FileExists(const QString& path);
    // Starts a command in its own folder. False when it did not start; ExecuteFailure then says
    // why, where there is more to say. Nothing is shown to the user here.
    virtual bool Launch(const QString& path, const QString& parameters);
    // A command's shortcut in desktopFolder, named after its description; nothing for a
    // description that cannot be a file name.
    virtual void CreateDesktopShortcut(const QString& desktopFolder, const QString& workingFolder,
                                       const QString& path, const QString& iconPath,
                                       const QString& description, const QString& parameters,
                                       int iconIndex);
    // The program's autorun shortcut in the given startup folder.
    virtual QString AutorunShortcutPath(const QString& startupFolder);
    // Replaces any autorun shortcut with one to the executable.
    virtual void CreateAutorunShortcut(const QString& shortcutFile, const QString& description);
    virtual void RemoveAutorunShortcut(const QString& shortcutFile);
    // True when the shortcut exists and leads to the executable, ignoring the case of A to Z.
    virtual bool AutorunShortcutIsOurs(const QString& shortcutFile);
    // "%systemroot%" replaced by windowsFolder in the path with A to Z lowered; paths without
    // it, and every path while windowsFolder is empty, unchanged.
    virtual QString ExpandSystemRoot(const QString& path, const QString& windowsFolder);
    // "a.b.c сборка d" of ExecutableVersion.
    virtual QString VersionText();
    // ExecutableLastChange as FormatLastChangeText writes it.
    virtual QString LastChangeText();
};

// The shell in use: the platform's own unless a test has set its own.
IShell& Shell();
// Replaces the shell (null restores the platform's); returns the previous replacement.
// Tests put theirs in place with TScopedSeam, which restores the previous one.
IShell* SetShell(IShell* shell);

// Process-wide texts, computed by InitializeShellTexts at start in this order and cleared at exit.
QString StartupFolder();
QString DesktopFolder();
QString AutorunShortcutPath();
QString VersionText();
QString LastChangeText();
void InitializeShellTexts();
void ClearShellTexts();

int LinkIconIndex();
TShortcutInfo ReadShortcut(const QString& shortcutFile);
bool CheckShortcut(const QString& shortcutFile, QString* reason);
bool WriteShortcut(const QString& targetPath, const QString& arguments,
                   const QString& workingFolder, const QString& shortcutFile,
                   const QString& description, const QString& iconPath, int iconIndex,
                   int showMode);
void CreateDesktopShortcut(const QString& path, const QString& iconPath, const QString& description,
                           const QString& parameters, int iconIndex);
void CreateAutorunShortcut();
void RemoveAutorunShortcut();
bool AutorunShortcutIsOurs();
void DrawCommandIcon(const QString& iconPath, const QString& targetPath, int iconIndex,
                     TCommandPicture& picture);
// The missing-file line DrawCommandIcon adds to the hint of a picture of that size (empty when
// it adds none), worked out without drawing anything.
QString CommandIconHint(const QString& iconPath, const QString& targetPath, int size);
QString ExpandSystemRoot(const QString& path);
void OpenWebSite();
void SendMailLink(int kind);

// Where the program's web site and mail links lead.
extern const QString WebSiteUrl;
extern const QString MailRecipient;

// The pieces of the texts above, separated so they can be checked on their own.
QString FormatVersionText(const TVersionNumbers& version);
// Short date, a space and long time in the default locale; the date alone at exactly midnight.
QString FormatLastChangeText(const QDateTime& time);
QString MailLinkText(int kind, const QString& versionText, const QString& lastChangeText);
// "DROP_SHORT_CUT", "SCROLL_PAGE", "RUN_COMMAND" or "DROP_COMMAND"; empty for an unknown kind.
QString SoundResourceName(int kind);
// The program's own pictures: "MY_WARNING_ICO", "MY_ERROR_ICO", "MAINICON"; null if unknown.
QPixmap ProgramIcon(const QString& name, int size);

// What the shell finds on the disk (IShell::TargetExists and FileExists). A web or mail address
// always counts as there: the desktop's opener finds out at the run.
bool TargetExists(const QString& path);
bool IconFileExists(const QString& path);
// True where a program's own folder holds its settings without a portable marker (Windows, as the
// program always did there); elsewhere only a portable folder does (settings/Folders.h).
bool ProgramFolderHoldsSettings();
