// The Windows shell layer against the real Win32 calls (run under Wine on Linux): shell links,
// the registry's Shell Folders, running files, resources, file times and the single-instance rule.
// Each test is one argument: tst_winshell <name>.

#include "WinCheck.h"

#include "platform/win/WinShellCore.h"
#include "platform/win/WinSingleInstance.h"

#include <mmsystem.h>
#include <shlobj.h>

#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

using namespace winshell;

namespace {

// A fresh folder under the temporary folder, removed with its files at the end of the test.
class TempFolder
{
public:
    explicit TempFolder(const std::wstring& name)
    {
        wchar_t base[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH, base);
        m_path = std::wstring(base) + L"kestrolin-" + name + L"-" +
                 std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(m_path.c_str(), nullptr);
    }
    ~TempFolder() { removeTree(m_path); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& path() const { return m_path; }
    std::wstring file(const std::wstring& name) const { return m_path + L"\\" + name; }

private:
    static void removeTree(const std::wstring& folder)
    {
        WIN32_FIND_DATAW found{};
        const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..")
                    continue;
                const std::wstring path = folder + L"\\" + name;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    removeTree(path);
                else
                    DeleteFileW(path.c_str());
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(folder.c_str());
    }

    std::wstring m_path;
};

bool writeFile(const std::wstring& path, const std::string& bytes)
{
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    CloseHandle(file);
    return ok;
}

std::string readFile(const std::wstring& path)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string bytes(64 * 1024, '\0');
    DWORD read = 0;
    if (!ReadFile(file, bytes.data(), DWORD(bytes.size()), &read, nullptr))
        read = 0;
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

// Waits for the line that a started program writes; the program runs on its own, so poll until
// the file holds a whole line (it may exist, empty or locked, for a moment before that).
std::string waitForLine(const std::wstring& path)
{
    for (int i = 0; i < 300; ++i) {
        const std::string text = readFile(path);
        if (!text.empty() && text.back() == '\n')
            return text;
        Sleep(100);
    }
    return {};
}

std::string trimmed(std::string text)
{
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

// ---- Shell links ---------------------------------------------------------------------------

void testShortcuts()
{
    TempFolder folder(L"links");
    const std::wstring target = folder.file(L"Программа.cmd");
    CHECK(writeFile(target, "@exit 0\r\n"));

    ShortcutFields written;
    written.target = target;
    written.arguments = L"-a \"два слова\"";
    written.workingFolder = folder.path();
    written.description = L"Запуск программы";
    written.iconPath = folder.file(L"значки.ico");
    written.iconIndex = 3;
    const std::wstring link = folder.file(L"Ярлык программы.lnk");
    CHECK(WriteShortcut(written, link, SW_SHOWMAXIMIZED));
    CHECK(FileExists(link));

    ShortcutFields read;
    CHECK(ReadShortcut(link, read));
    CHECK_EQ(read.target, written.target);
    CHECK_EQ(read.arguments, written.arguments);
    CHECK_EQ(read.workingFolder, written.workingFolder);
    CHECK_EQ(read.description, written.description);
    CHECK_EQ(read.iconPath, written.iconPath);
    CHECK_EQ(read.iconIndex, 3);
    // The show mode is the 32-bit field at 0x3C of the link header (Wine does not report it
    // back through GetShowCmd, so the file itself is read).
    const std::string bytes = readFile(link);
    CHECK(bytes.size() > 0x40 && bytes[0] == 'L');
    if (bytes.size() > 0x40)
        CHECK_EQ(int(static_cast<unsigned char>(bytes[0x3C])), SW_SHOWMAXIMIZED);

    // An existing shortcut is overwritten; an empty icon location reads as no icon, index 0.
    ShortcutFields plain;
    plain.target = target;
    CHECK(WriteShortcut(plain, link, SW_SHOWNORMAL));
    ShortcutFields reread;
    CHECK(ReadShortcut(link, reread));
    CHECK_EQ(reread.target, target);
    CHECK_EQ(reread.arguments, std::wstring());
    CHECK_EQ(reread.description, std::wstring());
    CHECK_EQ(reread.iconPath, std::wstring());
    CHECK_EQ(reread.iconIndex, 0);
    CHECK_EQ(int(static_cast<unsigned char>(readFile(link).at(0x3C))), SW_SHOWNORMAL);

    // The link is not resolved: a target that went away comes back as stored.
    CHECK(DeleteFileW(target.c_str()));
    ShortcutFields moved;
    CHECK(ReadShortcut(link, moved));
    CHECK_EQ(moved.target, target);

    // Damaged and missing files give empty fields and no crash.
    const std::wstring damaged = folder.file(L"damaged.lnk");
    CHECK(writeFile(damaged, std::string("L\0\0\0garbage that is no shell link", 36)));
    ShortcutFields fromDamaged;
    fromDamaged.target = L"left over";
    CHECK(!ReadShortcut(damaged, fromDamaged));
    CHECK_EQ(fromDamaged.target, std::wstring());
    CHECK_EQ(fromDamaged.description, std::wstring());
    ShortcutFields fromMissing;
    CHECK(!ReadShortcut(folder.file(L"missing.lnk"), fromMissing));
    CHECK_EQ(fromMissing.target, std::wstring());
    CHECK_EQ(fromMissing.iconIndex, 0);
}

// The calls the program's autorun shortcut is made of: the executable's path, the Startup folder
// (made when missing), a link there to the executable, read back as written, and its removal.
void testAutorun()
{
    const std::wstring executable = ModulePath();
    CHECK(FileExists(executable));
    const size_t folderEnd = executable.find_last_of(L'\\');
    CHECK(folderEnd != std::wstring::npos);
    const std::wstring programFolder = executable.substr(0, folderEnd + 1);

    const std::wstring startup = ShellFolder(L"Startup");
    CHECK(!startup.empty());
    // A fresh profile may not have made the folder yet.
    CHECK(MakeFolder(startup));
    CHECK(FolderExists(startup));
    const std::wstring autorun = startup + L"\\Kestrolin.lnk";
    CHECK(RemoveFile(autorun));
    CHECK(!FileExists(autorun));

    ShortcutFields written;
    written.target = executable;
    written.workingFolder = programFolder;
    written.description = L"Kestrolin v.1.0.0 сборка 1 от 01.02.2026";
    written.iconPath = executable;
    CHECK(WriteShortcut(written, autorun, SW_SHOWNORMAL));
    CHECK(FileExists(autorun));
    ShortcutFields read;
    CHECK(ReadShortcut(autorun, read));
    // The program compares the target with its own path ignoring the case of A to Z only.
    CHECK_EQ(AsciiLower(read.target), AsciiLower(executable));
    CHECK_EQ(read.description, written.description);
    CHECK_EQ(read.iconPath, executable);
    CHECK_EQ(read.iconIndex, 0);
    CHECK_EQ(read.arguments, std::wstring());
    // The working folder is the program's folder, as the shell stores it.
    CHECK_EQ(AsciiLower(read.workingFolder + L"\\").find(AsciiLower(programFolder)), size_t(0));

    CHECK(RemoveFile(autorun));
    CHECK(!FileExists(autorun));
    // Nothing there: nothing to do, and no failure.
    CHECK(RemoveFile(autorun));

    // A Cyrillic target comes back letter for letter: "Я" stays "Я", so a link to "я.exe" is
    // another program's.
    TempFolder folder(L"ours");
    const std::wstring cyrillic = folder.file(L"Я.exe");
    CHECK(writeFile(cyrillic, "MZ"));
    const std::wstring link = folder.file(L"Kestrolin.lnk");
    ShortcutFields ours;
    ours.target = cyrillic;
    CHECK(WriteShortcut(ours, link, SW_SHOWNORMAL));
    ShortcutFields back;
    CHECK(ReadShortcut(link, back));
    CHECK_EQ(back.target, cyrillic);
    CHECK(AsciiLower(back.target) != AsciiLower(folder.file(L"я.exe")));
    CHECK_EQ(AsciiLower(L"ABZ az@[Я]"), std::wstring(L"abz az@[Я]"));
}

// ---- Special folders ------------------------------------------------------------------------

void testShellFolders()
{
    // The registry values agree with what the shell itself reports for the same folders.
    struct Folder
    {
        const wchar_t* value;
        int csidl;
    };
    for (const Folder& folder :
         {Folder{L"Startup", CSIDL_STARTUP}, Folder{L"Desktop", CSIDL_DESKTOPDIRECTORY}}) {
        wchar_t expected[MAX_PATH + 1] = {};
        CHECK(SUCCEEDED(
            SHGetFolderPathW(nullptr, folder.csidl | CSIDL_FLAG_CREATE, nullptr, 0, expected)));
        const std::wstring read = ShellFolder(folder.value);
        CHECK_EQ(read, std::wstring(expected));
        CHECK(!read.empty() && read.back() != L'\\');
    }
    CHECK_EQ(ShellFolder(L"No Such Folder Value"), std::wstring());

    // A command's desktop shortcut: a link with a Cyrillic name and spaces on the desktop.
    const std::wstring desktop = ShellFolder(L"Desktop");
    CHECK(MakeFolder(desktop));
    TempFolder folder(L"desktop");
    const std::wstring target = folder.file(L"Блокнот.cmd");
    CHECK(writeFile(target, "@exit 0\r\n"));
    ShortcutFields written;
    written.target = target;
    written.arguments = L"-x";
    written.workingFolder = folder.path() + L"\\";
    written.description = L"Мой блокнот";
    written.iconPath = target;
    written.iconIndex = 2;
    const std::wstring link = desktop + L"\\Мой блокнот.lnk";
    CHECK(WriteShortcut(written, link, SW_SHOWNORMAL));
    ShortcutFields fields;
    CHECK(ReadShortcut(link, fields));
    CHECK_EQ(fields.target, target);
    CHECK_EQ(fields.arguments, std::wstring(L"-x"));
    CHECK_EQ(fields.description, written.description);
    CHECK_EQ(fields.iconIndex, 2);
    CHECK(RemoveFile(link));
    CHECK(!FileExists(link));
}

// ---- Running --------------------------------------------------------------------------------

void testLaunch()
{
    // What cannot be started reports failure; the program tells the user.
    TempFolder folder(L"launch");
    CHECK(!Execute(nullptr, folder.file(L"нет такой программы.exe"), L"-a", folder.path() + L"\\",
                   SW_SHOWNORMAL));
    CHECK(!Execute(nullptr, L"C:\\x.exe", L"-a", L"C:\\", SW_SHOWNORMAL));

    // A program in a folder with spaces, started in its own folder as the program passes it (with
    // the trailing backslash): the path is quoted and the parameters pass unchanged.
    CreateDirectoryW(folder.file(L"with spaces").c_str(), nullptr);
    const std::wstring script = folder.file(L"with spaces\\marker.cmd");
    CHECK(writeFile(script, "@echo off\r\n"
                            "echo %*> \"%~dp0args.txt\"\r\n"
                            "cd> \"%~dp0cwd.txt\"\r\n"));
    CHECK(Execute(nullptr, script, L"\"two words\" -b", folder.file(L"with spaces\\"),
                  SW_SHOWNORMAL));
    CHECK_EQ(trimmed(waitForLine(folder.file(L"with spaces\\args.txt"))),
             std::string("\"two words\" -b"));
    const std::string cwd = trimmed(waitForLine(folder.file(L"with spaces\\cwd.txt")));
    CHECK(cwd.size() > 12 && cwd.substr(cwd.size() - 12) == "\\with spaces");

    // A shortcut runs its target with the shortcut's own arguments, whatever the case of ".LNK".
    const std::wstring linkTarget = folder.file(L"linked.cmd");
    CHECK(writeFile(linkTarget, "@echo off\r\necho %*> \"%~dp0linked.txt\"\r\n"));
    ShortcutFields fields;
    fields.target = linkTarget;
    fields.arguments = L"from-link";
    fields.workingFolder = folder.path();
    const std::wstring link = folder.file(L"Запуск.LNK");
    CHECK(WriteShortcut(fields, link, SW_SHOWNORMAL));
    CHECK(IsShortcutFile(link));
    CHECK(!IsShortcutFile(linkTarget));
    CHECK(!IsShortcutFile(L"C:\\folder.lnk\\file"));
    CHECK(Execute(nullptr, link, L"", folder.path() + L"\\", SW_SHOWNORMAL));
    CHECK_EQ(trimmed(waitForLine(folder.file(L"linked.txt"))), std::string("from-link"));

    // Addresses, the web site and mail links go through the "open" call as they are, hidden for
    // mail; here a local script stands in for the browser and the mail program.
    const std::wstring opened = folder.file(L"opened.cmd");
    CHECK(writeFile(opened, "@echo opened> \"%~dp0opened.txt\"\r\n"));
    CHECK(OpenUrl(opened, SW_HIDE));
    CHECK_EQ(trimmed(waitForLine(folder.file(L"opened.txt"))), std::string("opened"));
}

// ---- Texts of the executable ----------------------------------------------------------------

void testVersionText()
{
    const VersionNumbers own = FileVersion(ModulePath());
    CHECK_EQ(own.major, KESTROLIN_VERSION_MAJOR);
    CHECK_EQ(own.minor, KESTROLIN_VERSION_MINOR);
    CHECK_EQ(own.release, KESTROLIN_VERSION_PATCH);
    CHECK_EQ(own.build, KESTROLIN_VERSION_TWEAK);

    // Files without a version resource, and missing files, give all four numbers 0.
    TempFolder folder(L"version");
    const std::wstring plain = folder.file(L"plain.txt");
    CHECK(writeFile(plain, "no version here"));
    for (const std::wstring& file : {plain, folder.file(L"missing.exe")}) {
        const VersionNumbers none = FileVersion(file);
        CHECK_EQ(none.major + none.minor + none.release + none.build, 0);
    }
}

void testLastChangeText()
{
    const LCID russian = MAKELCID(1049, SORT_DEFAULT);
    LocalTime time;
    time.valid = true;
    time.year = 2026;
    time.month = 3;
    time.day = 5;
    time.hour = 7;
    time.minute = 8;
    time.second = 9;
    CHECK_EQ(ShortDateText(time, russian), std::wstring(L"05.03.2026"));
    // The locale's own formats decide on a leading zero of the hour.
    std::wstring clock = LongTimeText(time, russian);
    CHECK(clock == L"7:08:09" || clock == L"07:08:09");
    time.hour = time.minute = 0;
    time.second = 1;
    clock = LongTimeText(time, russian);
    CHECK(clock == L"0:00:01" || clock == L"00:00:01");
    CHECK_EQ(ShortDateText(LocalTime{}, russian), std::wstring());
    CHECK_EQ(LongTimeText(LocalTime{}, russian), std::wstring());
    // A day the calendar does not have cannot be written.
    time.month = 13;
    CHECK_EQ(ShortDateText(time, russian), std::wstring());

    // The file's last-write time comes back in local time, even while another program has the
    // file open for writing.
    TempFolder folder(L"time");
    const std::wstring file = folder.file(L"Файл.bin");
    CHECK(writeFile(file, "x"));
    SYSTEMTIME utc{};
    utc.wYear = 2025;
    utc.wMonth = 12;
    utc.wDay = 31;
    utc.wHour = 22;
    utc.wMinute = 30;
    utc.wSecond = 15;
    FILETIME stamp{};
    CHECK(SystemTimeToFileTime(&utc, &stamp));
    const HANDLE writer =
        CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, 0, nullptr);
    CHECK(writer != INVALID_HANDLE_VALUE);
    CHECK(SetFileTime(writer, nullptr, nullptr, &stamp));
    SYSTEMTIME local{};
    CHECK(SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local));
    const LocalTime read = LastWriteTime(file);
    CloseHandle(writer);
    CHECK(read.valid);
    CHECK_EQ(read.year, int(local.wYear));
    CHECK_EQ(read.month, int(local.wMonth));
    CHECK_EQ(read.day, int(local.wDay));
    CHECK_EQ(read.hour, int(local.wHour));
    CHECK_EQ(read.minute, 30);
    CHECK_EQ(read.second, 15);

    CHECK(!LastWriteTime(folder.file(L"missing.bin")).valid);

    // The running executable's own time in the user's formats.
    const LocalTime own = LastWriteTime(ModulePath());
    CHECK(own.valid);
    const std::wstring date = ShortDateText(own);
    CHECK(date.find(std::to_wstring(own.year % 100)) != std::wstring::npos);
    CHECK(!LongTimeText(own).empty());
}

// ---- Single instance ------------------------------------------------------------------------

const wchar_t* const WindowClass = L"KestrolinTestWindow";

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM w, LPARAM l)
{
    return DefWindowProcW(window, message, w, l);
}

HWND createTopLevelWindow(const wchar_t* title)
{
    return CreateWindowExW(0, WindowClass, title, WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
}

// The second copy: finds the first one running, asks it to show itself and ends with 0.
int runSecondInstance()
{
    const UINT message = RegisterActivationMessage();
    if (!AnotherInstanceRuns())
        return 1;
    return PostActivation(message) ? 0 : 2;
}

void testSingleInstance()
{
    const UINT message = RegisterActivationMessage();
    CHECK(message >= 0xC000);
    CHECK_EQ(RegisterWindowMessageW(L"Kestrolin"), message);

    CHECK(!AnotherInstanceRuns());
    // The named mutex is now held for the life of this process: a second creation reports 183.
    const HANDLE again = CreateMutexW(nullptr, FALSE, L"Kestrolin");
    CHECK_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
    CHECK(again != nullptr);
    if (again)
        CloseHandle(again);
    CHECK(AnotherInstanceRuns());

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = WindowClass;
    CHECK(RegisterClassW(&windowClass) != 0);
    const HWND application = createTopLevelWindow(L"Kestrolin");
    const HWND other = createTopLevelWindow(L"Other");
    CHECK(application != nullptr);
    CHECK(other != nullptr);
    ShowWindow(application, SW_SHOWMINIMIZED);
    CHECK(IsIconic(application));

    // A second copy of the program in its own process.
    std::wstring commandLine = L"\"" + ModulePath() + L"\" second-instance";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    CHECK(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                         &startup, &process));
    if (process.hProcess) {
        CHECK_EQ(WaitForSingleObject(process.hProcess, 30000), DWORD(WAIT_OBJECT_0));
        DWORD exitCode = 99;
        GetExitCodeProcess(process.hProcess, &exitCode);
        CHECK_EQ(exitCode, DWORD(0));
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }

    // The broadcast reaches both windows; only the application window acts on it.
    bool handled = false;
    bool otherSaw = false;
    const ULONGLONG until = GetTickCount64() + 10000;
    while (GetTickCount64() < until && !(handled && otherSaw)) {
        MSG queued{};
        while (PeekMessageW(&queued, nullptr, 0, 0, PM_REMOVE)) {
            if (HandleActivation(queued, message, application)) {
                handled = true;
                continue;
            }
            if (queued.message == message && queued.hwnd == other)
                otherSaw = true;
            DispatchMessageW(&queued);
        }
        Sleep(20);
    }
    CHECK(handled);
    CHECK(otherSaw);
    CHECK(!IsIconic(application));

    MSG unrelated{};
    unrelated.hwnd = application;
    unrelated.message = WM_USER + 10;
    CHECK(!HandleActivation(unrelated, message, application));
    CHECK(!PostActivation(0));

    DestroyWindow(other);
    DestroyWindow(application);
}

// ---- Resources ------------------------------------------------------------------------------

void testSounds()
{
    for (const wchar_t* name : {L"DROP_SHORT_CUT", L"SCROLL_PAGE", L"RUN_COMMAND", L"DROP_COMMAND"})
        CHECK(FindResourceW(GetModuleHandleW(nullptr), name, L"WAVE") != nullptr);
    CHECK(PlayWaveResource(L"RUN_COMMAND"));
    CHECK(!PlayWaveResource(L"NO_SUCH_SOUND"));

    // Six seconds of sound: a call that waited for its end would take that long.
    const auto start = std::chrono::steady_clock::now();
    CHECK(PlayWaveResource(L"LONG_SILENCE"));
    const auto took = std::chrono::steady_clock::now() - start;
    CHECK(took < std::chrono::seconds(3));
    // A newer sound replaces the one playing, again without waiting.
    CHECK(PlayWaveResource(L"DROP_COMMAND"));
    PlaySoundW(nullptr, nullptr, 0);
}

void testIcons()
{
    const std::wstring executable = ModulePath();
    // The program's three icons: its own, the error and the warning icon.
    for (int index = 0; index < 3; ++index) {
        const HICON icon = ExtractIconAt(executable, index);
        CHECK(icon != nullptr);
        if (icon) {
            ICONINFO info{};
            CHECK(GetIconInfo(icon, &info));
            if (info.hbmColor)
                DeleteObject(info.hbmColor);
            if (info.hbmMask)
                DeleteObject(info.hbmMask);
            DestroyIcon(icon);
        }
    }
    CHECK(ExtractIconAt(executable, 3) == nullptr);
    CHECK(ExtractIconAt(executable, 500) == nullptr);
    CHECK(ExtractIconAt(executable, -1) == nullptr);
    CHECK(ExtractIconAt(L"C:\\no\\such\\file.ico", 0) == nullptr);
    TempFolder folder(L"icons");
    const std::wstring text = folder.file(L"text.txt");
    CHECK(writeFile(text, "not an icon"));
    CHECK(ExtractIconAt(text, 0) == nullptr);

    CHECK(LoadIconW(GetModuleHandleW(nullptr), L"MY_WARNING_ICO") != nullptr);
    CHECK(LoadIconW(GetModuleHandleW(nullptr), L"MY_ERROR_ICO") != nullptr);
}

// ---- Paths ----------------------------------------------------------------------------------

// ---- Global hot key ------------------------------------------------------------------------

void testHotkey()
{
    const UINT ctrlAlt = MOD_CONTROL | MOD_ALT;
    DWORD error = 0;
    CHECK(winshell::RegisterThreadHotkey(1, ctrlAlt, 'K', &error));
    // A combination held already is refused, and the code says so: the program tells the user
    // that another program holds it.
    CHECK(!winshell::RegisterThreadHotkey(2, ctrlAlt, 'K', &error));
    CHECK(winshell::HotkeyHeldElsewhere(error));
    // Another combination is free, and MOD_NOREPEAT or stray bits do not make it a different one.
    CHECK(winshell::RegisterThreadHotkey(2, ctrlAlt | 0x100, 'J', &error));
    CHECK(!winshell::RegisterThreadHotkey(3, ctrlAlt, 'J', &error));
    winshell::UnregisterThreadHotkey(2);
    CHECK(winshell::RegisterThreadHotkey(3, ctrlAlt, 'J', &error));
    winshell::UnregisterThreadHotkey(3);
    // Once let go, the combination can be taken again.
    winshell::UnregisterThreadHotkey(1);
    CHECK(winshell::RegisterThreadHotkey(4, ctrlAlt, 'K', &error));

    // Only the press of the program's own hot key counts.
    MSG msg = {};
    msg.message = WM_HOTKEY;
    msg.wParam = 4;
    CHECK(winshell::IsHotkeyMessage(msg, 4));
    CHECK(!winshell::IsHotkeyMessage(msg, 5));
    msg.message = WM_KEYDOWN;
    CHECK(!winshell::IsHotkeyMessage(msg, 4));
    winshell::UnregisterThreadHotkey(4);
    CHECK(!winshell::HotkeyHeldElsewhere(ERROR_SUCCESS));
}

void testPaths()
{
    const std::wstring windows = WindowsFolder();
    CHECK(!windows.empty() && windows.back() != L'\\');
    CHECK(FolderExists(windows));
    CHECK(FolderExists(windows + L"\\"));
    CHECK(!FileExists(windows));
    CHECK(!FolderExists(L""));
    CHECK(!FileExists(L""));
    CHECK(FileExists(ModulePath()));
    CHECK(!FolderExists(ModulePath()));

    // Folders are made with the ones above them; an existing one is no failure, a file in the
    // way is.
    TempFolder folder(L"paths");
    const std::wstring deep = folder.file(L"Папка\\вложенная\\ещё");
    CHECK(!FolderExists(deep));
    CHECK(MakeFolder(deep));
    CHECK(FolderExists(deep));
    CHECK(MakeFolder(deep));
    const std::wstring file = folder.file(L"файл.txt");
    CHECK(writeFile(file, "x"));
    CHECK(!MakeFolder(file));
    CHECK(!MakeFolder(L""));
    CHECK(FileExists(file));

    // A file is removed; a folder is not a file to remove.
    CHECK(RemoveFile(file));
    CHECK(!FileExists(file));
    CHECK(!RemoveFile(deep));
    CHECK(FolderExists(deep));
}

struct Test
{
    const wchar_t* name;
    void (*run)();
};

const Test tests[] = {
    {L"shortcuts", testShortcuts},
    {L"autorun", testAutorun},
    {L"shell_folders", testShellFolders},
    {L"launch", testLaunch},
    {L"version_text", testVersionText},
    {L"last_change_text", testLastChangeText},
    {L"single_instance", testSingleInstance},
    {L"sounds", testSounds},
    {L"icons", testIcons},
    {L"paths", testPaths},
    {L"hotkey", testHotkey},
};

} // namespace

// tst_winshell            runs every test
// tst_winshell <name>...  runs the named tests
int wmain(int argc, wchar_t** argv)
{
    if (argc == 2 && std::wstring(argv[1]) == L"second-instance")
        return runSecondInstance();

    // Failed checks must not stop the run with a dialog.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);

    int passed = 0;
    int failed = 0;
    for (const Test& test : tests) {
        bool selected = argc < 2;
        for (int i = 1; i < argc; ++i)
            selected = selected || std::wstring(argv[i]) == test.name;
        if (!selected)
            continue;
        const int before = wincheck::Failures();
        test.run();
        const bool ok = wincheck::Failures() == before;
        std::printf("%s %s\n", ok ? "PASS" : "FAIL", wincheck::Narrow(test.name).c_str());
        std::fflush(stdout);
        (ok ? passed : failed)++;
    }
    if (passed + failed == 0) {
        std::fprintf(stderr, "no such test\n");
        return 2;
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
