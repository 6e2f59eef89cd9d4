#include "platform/win/WinShell.h"

#include "platform/PlatformShell.h"
#include "platform/win/WinShellCore.h"
#include "text/Paths.h"

#include <QApplication>
#include <QDateTime>
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

winshell::LocalTime localTime(const QDate& date, const QTime& time)
{
    winshell::LocalTime result;
    result.valid = date.isValid() && time.isValid();
    result.year = date.year();
    result.month = date.month();
    result.day = date.day();
    result.hour = time.hour();
    result.minute = time.minute();
    result.second = time.second();
    return result;
}

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
    // An address is no path: its slashes must stay, so it goes to the shell as it is.
    if (IsLinkAddress(path) && winshell::OpenUrl(wide(path), SW_SHOWNORMAL))
        return true;
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

TVersionNumbers TWinShell::ExecutableVersion()
{
    const winshell::VersionNumbers version = winshell::FileVersion(winshell::ModulePath());
    return {version.major, version.minor, version.release, version.build};
}

QDateTime TWinShell::ExecutableLastChange()
{
    const winshell::LocalTime time = winshell::LastWriteTime(winshell::ModulePath());
    if (!time.valid)
        return {};
    return QDateTime(QDate(time.year, time.month, time.day),
                     QTime(time.hour, time.minute, time.second));
}

QString TWinShell::ShortDateText(const QDate& date)
{
    return fromWide(winshell::ShortDateText(localTime(date, QTime(0, 0))));
}

QString TWinShell::LongTimeText(const QTime& time)
{
    // The time format does not depend on the day; any valid one will do.
    return fromWide(winshell::LongTimeText(localTime(QDate(2000, 1, 1), time)));
}

bool TWinShell::FileExists(const QString& path)
{
    return winshell::FileExists(nativePath(path));
}

bool TWinShell::FolderExists(const QString& path)
{
    return winshell::FolderExists(nativePath(path));
}

bool TWinShell::RemoveFile(const QString& path)
{
    return winshell::RemoveFile(nativePath(path));
}

bool TWinShell::MakeFolder(const QString& path)
{
    return winshell::MakeFolder(nativePath(path));
}

std::unique_ptr<IShell> CreatePlatformShell()
{
    return std::make_unique<TWinShell>();
}
