#include "platform/win/WinShell.h"

#include "platform/PlatformShell.h"
#include "platform/win/WinShellCore.h"
#include "text/Paths.h"

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QWidget>

namespace {

std::wstring wide(const QString& text)
{
    return text.toStdWString();
}

QString fromWide(const std::wstring& text)
{
    return QString::fromStdWString(text);
}

// Paths go to the shell with backslashes, whatever Qt handed over.
std::wstring nativePath(const QString& path)
{
    return wide(QDir::toNativeSeparators(path));
}

// The program above reports a launch that failed in its own message box.
void leaveLaunchFailureToTheProgram(HWND, const std::wstring&, const std::wstring&) {}

// The shell's owner window: the program's active window when there is one.
HWND ownerWindow()
{
    const QWidget* window = QApplication::activeWindow();
    return window ? reinterpret_cast<HWND>(window->winId()) : nullptr;
}

} // namespace

bool TWinShell::Execute(const QString& path, const QString& parameters,
                        const QString& workingFolder)
{
    return winshell::Execute(ownerWindow(), nativePath(path), wide(parameters),
                             nativePath(workingFolder), SW_SHOWNORMAL);
}

void TWinShell::PlaySound(int kind)
{
    const QString name = SoundResourceName(kind);
    if (!name.isEmpty())
        winshell::PlayWaveResource(wide(name).c_str());
}

TShortcutInfo TWinShell::ReadShortcut(const QString& shortcutFile)
{
    winshell::ShortcutFields fields;
    winshell::ReadShortcut(nativePath(shortcutFile), fields);
    TShortcutInfo info;
    info.targetPath = fromWide(fields.target);
    info.arguments = fromWide(fields.arguments);
    info.workingFolder = fromWide(fields.workingFolder);
    info.description = fromWide(fields.description);
    info.iconPath = fromWide(fields.iconPath);
    info.iconIndex = fields.iconIndex;
    return info;
}

bool TWinShell::WriteShortcut(const TShortcutInfo& info, const QString& shortcutFile, int showMode)
{
    winshell::ShortcutFields fields;
    fields.target = nativePath(info.targetPath);
    fields.arguments = wide(info.arguments);
    fields.workingFolder = nativePath(info.workingFolder);
    fields.description = wide(info.description);
    fields.iconPath = nativePath(info.iconPath);
    fields.iconIndex = info.iconIndex;
    return winshell::WriteShortcut(fields, nativePath(shortcutFile), showMode);
}

QPixmap TWinShell::ExtractIcon(const QString& file, int index, int size)
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()) || size <= 0)
        return {};
    const HICON icon = winshell::ExtractIconAt(nativePath(file), index);
    if (!icon)
        return {};
    const QImage image = QImage::fromHICON(icon);
    DestroyIcon(icon);
    return QPixmap::fromImage(image);
}

void TWinShell::OpenUrl(const QString& url)
{
    // Mail links open without a window of their own; the web site shows normally.
    const bool mail = url.startsWith(QStringLiteral("mailto:"), Qt::CaseInsensitive);
    winshell::OpenUrl(wide(url), mail ? SW_HIDE : SW_SHOWNORMAL);
}

QString TWinShell::StartupFolder()
{
    return fromWide(winshell::ShellFolder(L"Startup"));
}

QString TWinShell::DesktopFolder()
{
    return fromWide(winshell::ShellFolder(L"Desktop"));
}

QString TWinShell::ExecutablePath()
{
    return fromWide(winshell::ModulePath());
}

QString TWinShell::WindowsFolder()
{
    return fromWide(winshell::WindowsFolder());
}

bool TWinShell::TargetExists(const QString& path)
{
    return winshell::TargetExists(nativePath(path));
}

bool TWinShell::FileExists(const QString& path)
{
    return winshell::FileExists(nativePath(path));
}

bool TWinShell::Launch(const QString& path, const QString& parameters)
{
    // An address is no path: its slashes must stay, and it has no folder to start in.
    if (IsLinkAddress(path) && winshell::OpenUrl(wide(path), SW_SHOWNORMAL))
        return true;
    return winshell::LaunchCommand(ownerWindow(), nativePath(path), wide(parameters),
                                   leaveLaunchFailureToTheProgram);
}

void TWinShell::CreateDesktopShortcut(const QString& desktopFolder, const QString& workingFolder,
                                      const QString& path, const QString& iconPath,
                                      const QString& description, const QString& parameters,
                                      int iconIndex)
{
    winshell::CreateDesktopShortcut(nativePath(desktopFolder), nativePath(workingFolder),
                                    nativePath(path), nativePath(iconPath), wide(description),
                                    wide(parameters), iconIndex);
}

QString TWinShell::AutorunShortcutPath(const QString& startupFolder)
{
    return fromWide(winshell::AutorunShortcutPath(nativePath(startupFolder)));
}

void TWinShell::CreateAutorunShortcut(const QString& shortcutFile, const QString& description)
{
    winshell::CreateAutorunShortcut(nativePath(shortcutFile), winshell::ModulePath(),
                                    wide(description));
}

void TWinShell::RemoveAutorunShortcut(const QString& shortcutFile)
{
    winshell::RemoveAutorunShortcut(nativePath(shortcutFile));
}

bool TWinShell::AutorunShortcutIsOurs(const QString& shortcutFile)
{
    return winshell::AutorunShortcutIsOurs(nativePath(shortcutFile), winshell::ModulePath());
}

QString TWinShell::ExpandSystemRoot(const QString& path, const QString& windowsFolder)
{
    return fromWide(winshell::ExpandSystemRoot(wide(path), wide(windowsFolder)));
}

QString TWinShell::VersionText()
{
    return fromWide(winshell::VersionText(winshell::FileVersion(winshell::ModulePath())));
}

QString TWinShell::LastChangeText()
{
    return fromWide(winshell::LastChangeText(winshell::LastWriteTime(winshell::ModulePath())));
}

std::unique_ptr<IShell> CreatePlatformShell()
{
    return std::make_unique<TWinShell>();
}
