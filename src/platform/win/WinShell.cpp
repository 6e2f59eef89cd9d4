#include "platform/win/WinShell.h"

#include "platform/PlatformShell.h"
#include "platform/win/WinShellCore.h"

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
    return winshell::Execute(ownerWindow(), wide(QDir::toNativeSeparators(path)), wide(parameters),
                             wide(QDir::toNativeSeparators(workingFolder)), SW_SHOWNORMAL);
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
    winshell::ReadShortcut(wide(QDir::toNativeSeparators(shortcutFile)), fields);
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
    fields.target = wide(QDir::toNativeSeparators(info.targetPath));
    fields.arguments = wide(info.arguments);
    fields.workingFolder = wide(QDir::toNativeSeparators(info.workingFolder));
    fields.description = wide(info.description);
    fields.iconPath = wide(QDir::toNativeSeparators(info.iconPath));
    fields.iconIndex = info.iconIndex;
    return winshell::WriteShortcut(fields, wide(QDir::toNativeSeparators(shortcutFile)), showMode);
}

QPixmap TWinShell::ExtractIcon(const QString& file, int index, int size)
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()) || size <= 0)
        return {};
    const HICON icon = winshell::ExtractIconAt(wide(QDir::toNativeSeparators(file)), index);
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

QString TWinShell::ProgramIconPath()
{
    return ExecutablePath();
}

TVersionNumbers TWinShell::ExecutableVersion()
{
    const winshell::VersionNumbers v = winshell::FileVersion(winshell::ModulePath());
    return {v.major, v.minor, v.release, v.build};
}

QDateTime TWinShell::ExecutableLastChange()
{
    const winshell::LocalTime t = winshell::LastWriteTime(winshell::ModulePath());
    if (!t.valid)
        return {};
    return QDateTime(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second));
}

std::unique_ptr<IShell> CreatePlatformShell()
{
    return std::make_unique<TWinShell>();
}
