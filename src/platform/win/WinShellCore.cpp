#include "platform/win/WinShellCore.h"

#include <mmsystem.h>
#include <objbase.h>
#include <objidl.h>
#include <shellapi.h>
#include <shlguid.h>
#include <shlobj.h>

#include <cwchar>
#include <vector>

namespace winshell {

namespace {

// COM for the calling thread, released in every case.
class ComScope
{
public:
    ComScope() : m_result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope()
    {
        // S_FALSE (already initialised) must be balanced too; RPC_E_CHANGED_MODE must not.
        if (SUCCEEDED(m_result))
            CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT m_result;
};

template <typename T> class ComPtr
{
public:
    ComPtr() = default;
    ~ComPtr()
    {
        if (m_p)
            m_p->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T** out() { return &m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

private:
    T* m_p = nullptr;
};

// A fetched text ends at its first NUL, whatever the buffer holds after it.
std::wstring cutAtNul(const wchar_t* buffer, size_t size)
{
    size_t length = 0;
    while (length < size && buffer[length] != L'\0')
        ++length;
    return std::wstring(buffer, length);
}

const wchar_t* nullIfEmpty(const std::wstring& text)
{
    return text.empty() ? nullptr : text.c_str();
}

// The text after the last backslash or colon.
size_t fileNameStart(const std::wstring& path)
{
    const size_t separator = path.find_last_of(L"\\:");
    return separator == std::wstring::npos ? 0 : separator + 1;
}

void showLaunchFailure(HWND owner, const std::wstring& text, const std::wstring& caption)
{
    MessageBoxW(owner, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}

std::wstring replaceAll(std::wstring text, const std::wstring& pattern,
                        const std::wstring& replacement)
{
    if (pattern.empty())
        return text;
    // Replaced text is not searched again: a replacement holding the pattern would never end.
    size_t at = text.find(pattern);
    while (at != std::wstring::npos) {
        text.replace(at, pattern.size(), replacement);
        at = text.find(pattern, at + replacement.size());
    }
    return text;
}

} // namespace

const wchar_t* const LaunchFailureCaption = L"Ошибка запуска команды";

std::wstring AsciiLower(std::wstring text)
{
    for (wchar_t& c : text) {
        if (c >= L'A' && c <= L'Z')
            c = wchar_t(c - L'A' + L'a');
    }
    return text;
}

bool IsShortcutFile(const std::wstring& path)
{
    const size_t separator = path.find_last_of(L"\\:/");
    const size_t dot = path.rfind(L'.');
    if (dot == std::wstring::npos || (separator != std::wstring::npos && dot < separator))
        return false;
    return AsciiLower(path.substr(dot)) == L".lnk";
}

bool Execute(HWND owner, const std::wstring& path, const std::wstring& parameters,
             const std::wstring& folder, int showMode)
{
    // Shortcuts run with their default verb, everything else with "open".
    const wchar_t* verb = IsShortcutFile(path) ? nullptr : L"open";
    const std::wstring quoted = L"\"" + path + L"\"";
    const HINSTANCE result = ShellExecuteW(owner, verb, quoted.c_str(), nullIfEmpty(parameters),
                                           nullIfEmpty(folder), showMode);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

std::wstring FolderPart(const std::wstring& path)
{
    return path.substr(0, fileNameStart(path));
}

bool FileExists(const std::wstring& path)
{
    if (path.empty())
        return false;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool TargetExists(const std::wstring& path)
{
    if (path.empty())
        return false;
    if (fileNameStart(path) < path.size())
        return FileExists(path);
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring LaunchFailureText(const std::wstring& path, const std::wstring& parameters)
{
    return L"Не удаётся запустить команду\r\"" + path + L"\" " + parameters;
}

bool LaunchCommand(HWND owner, const std::wstring& path, const std::wstring& parameters,
                   LaunchReport report)
{
    if (Execute(owner, path, parameters, FolderPart(path), SW_SHOWNORMAL))
        return true;
    (report ? report : showLaunchFailure)(owner, LaunchFailureText(path, parameters),
                                          LaunchFailureCaption);
    return false;
}

bool OpenUrl(const std::wstring& url, int showMode)
{
    const HINSTANCE result =
        ShellExecuteW(nullptr, L"open", url.c_str(), nullptr, nullptr, showMode);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

bool ReadShortcut(const std::wstring& file, ShortcutFields& fields)
{
    ComScope com;
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr,
                                CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(link.out()))))
        return false;
    ComPtr<IPersistFile> persist;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(persist.out()))))
        return false;
    // An unreadable file leaves an empty link: its fields come back empty.
    const bool loaded = SUCCEEDED(persist->Load(file.c_str(), STGM_READ));

    // Paths fit MAX_PATH; arguments and descriptions may be longer and are not cut short.
    std::vector<wchar_t> path(MAX_PATH + 1, L'\0');
    WIN32_FIND_DATAW found{};
    if (FAILED(link->GetPath(path.data(), MAX_PATH, &found, SLGP_UNCPRIORITY)))
        path[0] = L'\0';
    std::vector<wchar_t> icon(MAX_PATH + 1, L'\0');
    int iconIndex = 0;
    if (FAILED(link->GetIconLocation(icon.data(), MAX_PATH, &iconIndex))) {
        icon[0] = L'\0';
        iconIndex = 0;
    }
    std::vector<wchar_t> arguments(INFOTIPSIZE + 1, L'\0');
    if (FAILED(link->GetArguments(arguments.data(), INFOTIPSIZE)))
        arguments[0] = L'\0';
    std::vector<wchar_t> folder(MAX_PATH + 1, L'\0');
    if (FAILED(link->GetWorkingDirectory(folder.data(), MAX_PATH)))
        folder[0] = L'\0';
    std::vector<wchar_t> description(INFOTIPSIZE + 1, L'\0');
    if (FAILED(link->GetDescription(description.data(), INFOTIPSIZE)))
        description[0] = L'\0';

    fields.target = cutAtNul(path.data(), path.size());
    fields.iconPath = cutAtNul(icon.data(), icon.size());
    fields.iconIndex = fields.iconPath.empty() ? 0 : iconIndex;
    fields.arguments = cutAtNul(arguments.data(), arguments.size());
    fields.workingFolder = cutAtNul(folder.data(), folder.size());
    fields.description = cutAtNul(description.data(), description.size());
    return loaded;
}

bool WriteShortcut(const ShortcutFields& fields, const std::wstring& file, int showMode)
{
    ComScope com;
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr,
                                CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(link.out()))))
        return false;
    link->SetPath(fields.target.c_str());
    link->SetArguments(fields.arguments.c_str());
    link->SetWorkingDirectory(fields.workingFolder.c_str());
    link->SetDescription(fields.description.c_str());
    link->SetIconLocation(fields.iconPath.c_str(), fields.iconIndex);
    link->SetShowCmd(showMode);
    ComPtr<IPersistFile> persist;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(persist.out()))))
        return false;
    return SUCCEEDED(persist->Save(file.c_str(), FALSE));
}

std::wstring ShellFolder(const wchar_t* valueName)
{
    const wchar_t* key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key, valueName, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) !=
            ERROR_SUCCESS ||
        bytes == 0)
        return {};
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
    if (RegGetValueW(HKEY_CURRENT_USER, key, valueName, RRF_RT_REG_SZ, nullptr, buffer.data(),
                     &bytes) != ERROR_SUCCESS)
        return {};
    return cutAtNul(buffer.data(), buffer.size());
}

std::wstring AutorunShortcutPath(const std::wstring& startupFolder)
{
    return startupFolder + L"\\Kestrolin.lnk";
}

bool CreateAutorunShortcut(const std::wstring& shortcutFile, const std::wstring& executable,
                           const std::wstring& description)
{
    RemoveAutorunShortcut(shortcutFile);
    ShortcutFields fields;
    fields.target = executable;
    fields.workingFolder = FolderPart(executable);
    fields.description = description;
    fields.iconPath = executable;
    fields.iconIndex = 0;
    return WriteShortcut(fields, shortcutFile, SW_SHOWNORMAL);
}

void RemoveAutorunShortcut(const std::wstring& shortcutFile)
{
    if (FileExists(shortcutFile))
        DeleteFileW(shortcutFile.c_str());
}

bool AutorunShortcutIsOurs(const std::wstring& shortcutFile, const std::wstring& executable)
{
    if (!FileExists(shortcutFile))
        return false;
    ShortcutFields fields;
    ReadShortcut(shortcutFile, fields);
    return !fields.target.empty() && AsciiLower(fields.target) == AsciiLower(executable);
}

bool CreateDesktopShortcut(const std::wstring& desktopFolder, const std::wstring& appFolder,
                           const std::wstring& path, const std::wstring& iconPath,
                           const std::wstring& description, const std::wstring& parameters,
                           int iconIndex)
{
    // The description is the file name as it is; one a file name cannot hold writes nothing.
    if (description.empty() || description.find_first_of(L"\\/:*?\"<>|") != std::wstring::npos)
        return false;
    ShortcutFields fields;
    fields.target = path;
    fields.arguments = parameters;
    fields.workingFolder = appFolder;
    fields.description = description;
    fields.iconPath = iconPath;
    fields.iconIndex = iconIndex;
    return WriteShortcut(fields, desktopFolder + L"\\" + description + L".lnk", SW_SHOWNORMAL);
}

std::wstring WindowsFolder()
{
    std::vector<wchar_t> buffer(MAX_PATH + 1, L'\0');
    const UINT length = GetWindowsDirectoryW(buffer.data(), UINT(buffer.size()));
    if (length == 0 || length >= buffer.size())
        return {};
    std::wstring folder(buffer.data(), length);
    if (!folder.empty() && folder.back() == L'\\')
        folder.pop_back();
    return folder;
}

std::wstring ExpandSystemRoot(const std::wstring& path, const std::wstring& windowsFolder)
{
    static const std::wstring pattern = L"%systemroot%";
    const std::wstring lowered = AsciiLower(path);
    // Without a Windows folder there is nothing to expand to; the path stays as it was.
    if (lowered.find(pattern) == std::wstring::npos || windowsFolder.empty())
        return path;
    return replaceAll(lowered, pattern, windowsFolder);
}

std::wstring VersionText(const VersionNumbers& version)
{
    wchar_t buffer[96];
    std::swprintf(buffer, std::size(buffer), L"%d.%d.%d сборка %d", version.major, version.minor,
                  version.release, version.build);
    return buffer;
}

std::wstring LastChangeText(const LocalTime& time, LCID locale)
{
    if (!time.valid)
        return {};
    SYSTEMTIME calendar{};
    calendar.wYear = WORD(time.year);
    calendar.wMonth = WORD(time.month);
    calendar.wDay = WORD(time.day);
    calendar.wHour = WORD(time.hour);
    calendar.wMinute = WORD(time.minute);
    calendar.wSecond = WORD(time.second);
    wchar_t date[128] = {};
    if (GetDateFormatW(locale, DATE_SHORTDATE, &calendar, nullptr, date, int(std::size(date))) == 0)
        return {};
    std::wstring text = date;
    if (time.hour == 0 && time.minute == 0 && time.second == 0)
        return text;
    wchar_t clock[128] = {};
    if (GetTimeFormatW(locale, 0, &calendar, nullptr, clock, int(std::size(clock))) == 0)
        return {};
    return text + L" " + clock;
}

std::wstring ModulePath()
{
    std::vector<wchar_t> buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size())
            return std::wstring(buffer.data(), length);
        if (buffer.size() >= 32768)
            return {};
        buffer.resize(buffer.size() * 2);
    }
}

VersionNumbers FileVersion(const std::wstring& file)
{
    VersionNumbers version;
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &handle);
    if (size == 0)
        return version;
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data()))
        return version;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info ||
        length < sizeof(VS_FIXEDFILEINFO))
        return version;
    version.major = HIWORD(info->dwFileVersionMS);
    version.minor = LOWORD(info->dwFileVersionMS);
    version.release = HIWORD(info->dwFileVersionLS);
    version.build = LOWORD(info->dwFileVersionLS);
    return version;
}

LocalTime LastWriteTime(const std::wstring& file)
{
    LocalTime result;
    const HANDLE handle =
        CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return result;
    FILETIME written{};
    FILETIME local{};
    SYSTEMTIME calendar{};
    if (GetFileTime(handle, nullptr, nullptr, &written) &&
        FileTimeToLocalFileTime(&written, &local) && FileTimeToSystemTime(&local, &calendar)) {
        result.valid = true;
        result.year = calendar.wYear;
        result.month = calendar.wMonth;
        result.day = calendar.wDay;
        result.hour = calendar.wHour;
        result.minute = calendar.wMinute;
        result.second = calendar.wSecond;
    }
    CloseHandle(handle);
    return result;
}

bool PlayWaveResource(const wchar_t* name)
{
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC found = FindResourceW(module, name, L"WAVE");
    if (!found)
        return false;
    const HGLOBAL loaded = LoadResource(module, found);
    // The data belong to the executable's image and stay valid while the sound plays.
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data)
        return false;
    return PlaySoundW(static_cast<LPCWSTR>(data), nullptr,
                      SND_ASYNC | SND_MEMORY | SND_NODEFAULT) != FALSE;
}

HICON ExtractIconAt(const std::wstring& file, int index)
{
    if (index < 0)
        return nullptr;
    HICON icon = ExtractIconW(GetModuleHandleW(nullptr), file.c_str(), UINT(index));
    // 1 means "not an icon file"; it is no handle.
    if (reinterpret_cast<INT_PTR>(icon) == 1)
        return nullptr;
    return icon;
}

// ---- Global hot key ------------------------------------------------------------------------

bool RegisterThreadHotkey(int id, UINT modifiers, UINT virtualKey, DWORD* error)
{
    modifiers &= MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN;
    if (RegisterHotKey(nullptr, id, modifiers | MOD_NOREPEAT, virtualKey))
        return true;
    if (error)
        *error = GetLastError();
    return false;
}

void UnregisterThreadHotkey(int id)
{
    UnregisterHotKey(nullptr, id);
}

bool HotkeyHeldElsewhere(DWORD error)
{
    return error == ERROR_HOTKEY_ALREADY_REGISTERED;
}

bool IsHotkeyMessage(const MSG& msg, int id)
{
    return msg.hwnd == nullptr && msg.message == WM_HOTKEY && int(msg.wParam) == id;
}

} // namespace winshell
