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

// Plays a "WAVE" resource of the executable asynchronously from memory; a newer sound replaces
// one still playing. False when the resource is missing.
bool PlayWaveResource(const wchar_t* name);

// The icon at index in a file (ExtractIconW); null when the file has no such icon.
// The caller destroys it with DestroyIcon.
HICON ExtractIconAt(const std::wstring& file, int index);

} // namespace winshell
