#pragma once

// The Windows calls behind the program's shell layer, kept free of Qt so they can be built and
// tested on their own. Only calls to the system live here: the rules built on them are the
// program's own, the same on every platform (platform/Shell.h). Texts are UTF-16 (std::wstring);
// nothing here throws.

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

// True for an existing file that is not a folder, and for an existing folder; an empty path
// never exists.
bool FileExists(const std::wstring& path);
bool FolderExists(const std::wstring& path);
// Deletes a file; true when it is gone (or was never there).
bool RemoveFile(const std::wstring& path);
// Makes a folder with any missing folders above it; true when it exists afterwards.
bool MakeFolder(const std::wstring& path);

// The Windows folder, without a trailing backslash.
std::wstring WindowsFolder();
// A date in the locale's short date format and a time of day in its time format; empty when the
// time is invalid or the system cannot write it.
std::wstring ShortDateText(const LocalTime& time, LCID locale = LOCALE_USER_DEFAULT);
std::wstring LongTimeText(const LocalTime& time, LCID locale = LOCALE_USER_DEFAULT);

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
