#pragma once

// The Windows shell calls behind the program's shell layer, kept free of Qt so they can be built
// and tested on their own. Texts are UTF-16 (std::wstring); nothing here throws.

#include <string>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace winshell {

struct ShortcutFields
{
    std::wstring target;
    std::wstring arguments;
    std::wstring workingFolder;
    std::wstring description;
    std::wstring iconPath;
    int iconIndex = 0;
};

struct VersionNumbers
{
    int major = 0;
    int minor = 0;
    int release = 0;
    int build = 0;
};

struct LocalTime
{
    bool valid = false;
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Only A to Z change; every other character stays as it is.
std::wstring AsciiLower(std::wstring text);
// True for a path whose extension, lowercased, is ".lnk" (run with the default verb).
bool IsShortcutFile(const std::wstring& path);

// ShellExecuteW with the file in double quotes and the parameters as they are; true when the
// shell reports success (a result above 32).
bool Execute(HWND owner, const std::wstring& path, const std::wstring& parameters,
             const std::wstring& folder, int showMode);
// Opens a URL (web site, mailto:) with the verb "open".
bool OpenUrl(const std::wstring& url, int showMode);

// Shell links (.lnk) through IShellLinkW and IPersistFile, COM set up around each call.
// ReadShortcut leaves fields empty when the file cannot be read; it never resolves the link.
bool ReadShortcut(const std::wstring& file, ShortcutFields& fields);
bool WriteShortcut(const ShortcutFields& fields, const std::wstring& file, int showMode);

// A string value of HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders
// ("Startup", "Desktop"); empty when missing.
std::wstring ShellFolder(const wchar_t* valueName);

// The running executable's full path.
std::wstring ModulePath();
// The fixed file version of a file's version resource; all 0 without one.
VersionNumbers FileVersion(const std::wstring& file);
// The file's last-write time as local calendar time; invalid on any failure.
LocalTime LastWriteTime(const std::wstring& file);

// The whole run of a command: shortcuts with their default verb, everything else with "open",
// the folder part of the path as working folder, shown normally. On failure the caller's report
// gets the caption and text of the error box (MessageBoxW when report is null; the Qt program
// passes one that leaves the report to its own message box).
using LaunchReport = void (*)(HWND owner, const std::wstring& text, const std::wstring& caption);
bool LaunchCommand(HWND owner, const std::wstring& path, const std::wstring& parameters,
                   LaunchReport report = nullptr);
// "Не удаётся запустить команду", a line break, the path in double quotes, a space, the parameters.
std::wstring LaunchFailureText(const std::wstring& path, const std::wstring& parameters);
extern const wchar_t* const LaunchFailureCaption;

// The folder part of a path with its trailing separator; empty without one.
std::wstring FolderPart(const std::wstring& path);
// A path whose file-name part is empty names a folder (with its trailing backslash), any other
// path a file; an empty path never exists.
bool TargetExists(const std::wstring& path);
bool FileExists(const std::wstring& path);

// The autorun shortcut: "Kestrolin.lnk" in the Startup folder, pointing at the executable.
std::wstring AutorunShortcutPath(const std::wstring& startupFolder);
// Replaces any autorun shortcut with one to the executable, started in its folder.
bool CreateAutorunShortcut(const std::wstring& shortcutFile, const std::wstring& executable,
                           const std::wstring& description);
void RemoveAutorunShortcut(const std::wstring& shortcutFile);
// True when the shortcut exists and its target is the executable, ignoring the case of A to Z.
bool AutorunShortcutIsOurs(const std::wstring& shortcutFile, const std::wstring& executable);
// A command's shortcut on the desktop, named after its description; false when not written.
bool CreateDesktopShortcut(const std::wstring& desktopFolder, const std::wstring& appFolder,
                           const std::wstring& path, const std::wstring& iconPath,
                           const std::wstring& description, const std::wstring& parameters,
                           int iconIndex);

// The Windows folder, without a trailing backslash.
std::wstring WindowsFolder();
// "%systemroot%" (in any case of A to Z) replaced by the Windows folder in the lowercased path;
// other paths unchanged.
std::wstring ExpandSystemRoot(const std::wstring& path, const std::wstring& windowsFolder);

// "a.b.c сборка d".
std::wstring VersionText(const VersionNumbers& version);
// Short date, a space and long time in the locale's formats; the date alone at exactly midnight;
// empty for an invalid time.
std::wstring LastChangeText(const LocalTime& time, LCID locale = LOCALE_USER_DEFAULT);

// Plays a "WAVE" resource of the executable asynchronously from memory; a newer sound replaces
// one still playing. False when the resource is missing.
bool PlayWaveResource(const wchar_t* name);

// The icon at index in a file (ExtractIconW); null when the file has no such icon.
// The caller destroys it with DestroyIcon.
HICON ExtractIconAt(const std::wstring& file, int index);

// ---- Global hot key ------------------------------------------------------------------------

// Registers a key combination for the whole desktop (RegisterHotKey): WM_HOTKEY with id then
// comes to the calling thread's queue. modifiers are MOD_ALT, MOD_CONTROL, MOD_SHIFT and MOD_WIN;
// a held key counts once (MOD_NOREPEAT). On failure error receives the system's code.
bool RegisterThreadHotkey(int id, UINT modifiers, UINT virtualKey, DWORD* error = nullptr);
void UnregisterThreadHotkey(int id);
// True when the code says another program (or this one) holds the combination already.
bool HotkeyHeldElsewhere(DWORD error);
// True when msg is the press of the hot key registered under id.
bool IsHotkeyMessage(const MSG& msg, int id);

} // namespace winshell
