#include "platform/win/WinShellCore.h"

#include <mmsystem.h>
#include <objbase.h>
#include <objidl.h>
#include <shellapi.h>
#include <shlguid.h>
#include <shlobj.h>

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

} // namespace

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

bool FileExists(const std::wstring& path)
{
    if (path.empty())
        return false;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::wstring& path)
{
    if (path.empty())
        return false;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool RemoveFile(const std::wstring& path)
{
    return DeleteFileW(path.c_str()) || GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

bool MakeFolder(const std::wstring& path)
{
    if (path.empty())
        return false;
    const int result = SHCreateDirectoryExW(nullptr, path.c_str(), nullptr);
    return (result == ERROR_SUCCESS || result == ERROR_ALREADY_EXISTS ||
            result == ERROR_FILE_EXISTS) &&
           FolderExists(path);
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

namespace {

bool toSystemTime(const LocalTime& time, SYSTEMTIME& calendar)
{
    if (!time.valid)
        return false;
    calendar = SYSTEMTIME{};
    calendar.wYear = WORD(time.year);
    calendar.wMonth = WORD(time.month);
    calendar.wDay = WORD(time.day);
    calendar.wHour = WORD(time.hour);
    calendar.wMinute = WORD(time.minute);
    calendar.wSecond = WORD(time.second);
    return true;
}

} // namespace

std::wstring ShortDateText(const LocalTime& time, LCID locale)
{
    SYSTEMTIME calendar{};
    wchar_t text[128] = {};
    if (!toSystemTime(time, calendar) ||
        GetDateFormatW(locale, DATE_SHORTDATE, &calendar, nullptr, text, int(std::size(text))) == 0)
        return {};
    return text;
}

std::wstring LongTimeText(const LocalTime& time, LCID locale)
{
    SYSTEMTIME calendar{};
    wchar_t text[128] = {};
    if (!toSystemTime(time, calendar) ||
        GetTimeFormatW(locale, 0, &calendar, nullptr, text, int(std::size(text))) == 0)
        return {};
    return text;
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
