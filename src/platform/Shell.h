#pragma once

#include "platform/Seam.h"
#include "settings/ShellRules.h"

#include <QDateTime>
#include <QPixmap>
#include <QString>

// The thin layer over the desktop shell: starting programs, sounds, shortcuts, icons, links.
// One implementation per platform behind IShell, which holds the system's calls only; the free
// functions below are what the rest of the program calls, the same on every platform, built on
// those calls and the rules of settings/ShellRules.h. What the user sees of a launch (the failure
// box, the event sounds and their switches) is the program's business above this layer
// (actions/ShellActions.h).

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
    // Whether the target exists, when the caller has just looked (-1: drawing looks itself).
    int targetSeen = -1;
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
    // The files (with their icon indexes) whose icons of that size are about to be asked for:
    // a shell may look them up ahead, in the background, until EndPreparedIcons.
    virtual void PrepareIcons(const QList<std::pair<QString, int>>& files, int size)
    {
        Q_UNUSED(files);
        Q_UNUSED(size);
    }
    virtual void EndPreparedIcons() {}
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
    // A date (short format) and a time of day (long format) as the user's desktop writes them;
    // empty when they cannot be written. By default the default locale's formats.
    virtual QString ShortDateText(const QDate& date) { return LocaleShortDate(date); }
    virtual QString LongTimeText(const QTime& time) { return LocaleLongTime(time); }
    // The Windows folder, without a trailing separator; empty where there is none.
    virtual QString WindowsFolder() { return {}; }
    // Which picture of the icon library (Folders::shell32Path) shows a link command: the
    // program's own library has a globe there.
    virtual int LinkIconIndex() { return 6; }
    // The system's custom for a program started at log-in: true where it starts in its own
    // folder (Windows), false where it starts in its settings folder.
    virtual bool AutorunStartsInProgramFolder() { return false; }

    // The file system as this system sees it. By default Qt's view of it.
    // True for an existing file that is not a folder; false for an empty path.
    virtual bool FileExists(const QString& path);
    // True for an existing folder; false for an empty path.
    virtual bool FolderExists(const QString& path);
    // Deletes a file; false when it is still there.
    virtual bool RemoveFile(const QString& path);
    // Makes a folder and any missing folders above it; true when it exists afterwards.
    virtual bool MakeFolder(const QString& path);
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
// Starts a command in its own folder (an address in none). False when it did not start;
// IShell::ExecuteFailure then says why, where there is more to say. Nothing is shown here.
bool StartCommand(const QString& path, const QString& parameters);
// Replaces any autorun shortcut with one to the executable, making the startup folder if needed.
void CreateAutorunShortcut();
void RemoveAutorunShortcut();
// True when the autorun shortcut exists and leads to the executable (IsSameTarget).
bool AutorunShortcutIsOurs();
// Lets the shell look up ahead, in the background, the icons (file and index) of commands about
// to be drawn at size, as DrawCommandIcon takes it; EndPreparedCommandIcons once they are drawn.
void PrepareCommandIcons(const QList<std::pair<QString, int>>& icons, int size);
void EndPreparedCommandIcons();
void DrawCommandIcon(const QString& iconPath, const QString& targetPath, int iconIndex,
                     TCommandPicture& picture);
// The missing-file line DrawCommandIcon adds to the hint of a picture of that size (empty when
// it adds none), worked out without drawing anything.
QString CommandIconHint(const QString& iconPath, const QString& targetPath, int size);
// ExpandSystemRoot with the Windows folder the program was started with (Folders::windowsFolder).
QString ExpandSystemRoot(const QString& path);
void OpenWebSite();
void SendMailLink(int kind);

// Where the program's web site and mail links lead.
extern const QString WebSiteUrl;
extern const QString MailRecipient;

QString MailLinkText(int kind, const QString& versionText, const QString& lastChangeText);
// "DROP_SHORT_CUT", "SCROLL_PAGE", "RUN_COMMAND" or "DROP_COMMAND"; empty for an unknown kind.
QString SoundResourceName(int kind);
// The program's own pictures: "MY_WARNING_ICO", "MY_ERROR_ICO", "MAINICON"; null if unknown.
QPixmap ProgramIcon(const QString& name, int size);

// What the shell finds on the disk. A path that names a folder (NamesFolder) must be an existing
// folder, any other path an existing file; a web or mail address always counts as there: the
// desktop's opener finds out at the run.
bool TargetExists(const QString& path);
// An existing file that is not a folder.
bool IconFileExists(const QString& path);
