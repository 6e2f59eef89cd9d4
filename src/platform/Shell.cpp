#include "platform/Shell.h"

#include "platform/PlatformShell.h"
#include "platform/Seam.h"
#include "settings/Constants.h"
#include "settings/Folders.h"
#include "text/Paths.h"
#include "text/Text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QIcon>
#include <QLocale>
#include <QPainter>
#include <QPalette>

#include <memory>

// The resources live in this static library; they must be registered before first use.
static void initShellResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(shell);
        return true;
    }();
    Q_UNUSED(done);
}

const QString WebSiteUrl = QStringLiteral("https://kestrolin.example.org");
const QString MailRecipient = QStringLiteral("support@kestrolin.example.org");

namespace {

TSeam<IShell> seam;

struct ShellTexts
{
    QString startupFolder;
    QString desktopFolder;
    QString autorunShortcutPath;
    QString versionText;
    QString lastChangeText;
};
ShellTexts texts;

QColor buttonFace()
{
    return QGuiApplication::palette().color(QPalette::Button);
}

} // namespace

IShell& Shell()
{
    initShellResources();
    if (IShell* replacement = seam.Current())
        return *replacement;
    static const std::unique_ptr<IShell> platform = CreatePlatformShell();
    return *platform;
}

IShell* SetShell(IShell* shell)
{
    return seam.Replace(shell);
}

// ---- Shared rules ----------------------------------------------------------------------------

bool TargetExists(const QString& path)
{
    if (IsLinkAddress(path))
        return true;
    return Shell().TargetExists(path);
}

bool IconFileExists(const QString& path)
{
    return Shell().FileExists(path);
}

bool IShell::TargetExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    if (ExtractFileName(path).isEmpty())
        return QFileInfo(path).isDir();
    // A folder named without its trailing separator does not count.
    return FileExists(path);
}

bool IShell::FileExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    // The type first: that one look at the disk answers whether it exists as well, and pages
    // check thousands of files as they load.
    const QFileInfo info(path);
    const bool folder = info.isDir();
    return !folder && info.exists();
}

// ---- Texts -----------------------------------------------------------------------------------

QString FormatVersionText(const TVersionNumbers& v)
{
    return QStringLiteral("%1.%2.%3 сборка %4")
        .arg(v.major)
        .arg(v.minor)
        .arg(v.release)
        .arg(v.build);
}

QString FormatLastChangeText(const QDateTime& time)
{
    if (!time.isValid())
        return {};
    const QLocale locale;
    QString text = locale.toString(time.date(), QLocale::ShortFormat);
    if (time.time() != QTime(0, 0)) {
        // The locale's long time format carries the time zone name, which the desktop's own
        // long time does not show; keep hours, minutes and seconds.
        QString format = locale.timeFormat(QLocale::LongFormat);
        format.remove(u't');
        text += u' ' + time.time().toString(format.trimmed());
    }
    return text;
}

QString MailLinkText(int kind, const QString& versionText, const QString& lastChangeText)
{
    const QString& space = Constants::MailSpace;
    QString text = QStringLiteral("mailto:") + MailRecipient + QStringLiteral("?subject=") +
                   Constants::ProductName + space + versionText + space + QStringLiteral("от") +
                   space + lastChangeText;
    text += space + (kind == MailErrorReport ? QStringLiteral("Найдена ошибка!")
                                             : QStringLiteral("Пожелание"));
    return ReplaceAll(text, QStringLiteral(" "), space);
}

QString StartupFolder()
{
    return texts.startupFolder;
}
QString DesktopFolder()
{
    return texts.desktopFolder;
}
QString AutorunShortcutPath()
{
    return texts.autorunShortcutPath;
}
QString VersionText()
{
    return texts.versionText;
}
QString LastChangeText()
{
    return texts.lastChangeText;
}

void InitializeShellTexts()
{
    IShell& shell = Shell();
    texts.startupFolder = shell.StartupFolder();
    texts.desktopFolder = shell.DesktopFolder();
    texts.autorunShortcutPath = shell.AutorunShortcutPath(texts.startupFolder);
    texts.versionText = shell.VersionText();
    texts.lastChangeText = shell.LastChangeText();
}

QString IShell::AutorunShortcutPath(const QString& startupFolder)
{
    return startupFolder + PathSeparator + Constants::ProductName + Constants::ShortcutExtension;
}

QString IShell::VersionText()
{
    return FormatVersionText(ExecutableVersion());
}

QString IShell::LastChangeText()
{
    return FormatLastChangeText(ExecutableLastChange());
}

void ClearShellTexts()
{
    texts = ShellTexts{};
}

// ---- Running and sounds ----------------------------------------------------------------------

bool IShell::Launch(const QString& path, const QString& parameters)
{
    // An address has no folder to start in.
    return Execute(path, parameters, IsLinkAddress(path) ? QString() : ExtractFilePath(path));
}

int LinkIconIndex()
{
    return Shell().LinkIconIndex();
}

QString SoundResourceName(int kind)
{
    switch (kind) {
    case SoundDropShortCut:
        return QStringLiteral("DROP_SHORT_CUT");
    case SoundScrollPage:
        return QStringLiteral("SCROLL_PAGE");
    case SoundRunCommand:
        return QStringLiteral("RUN_COMMAND");
    case SoundDropCommand:
    case SoundDropPage:
        return QStringLiteral("DROP_COMMAND");
    default:
        return {};
    }
}

// ---- Shortcuts -------------------------------------------------------------------------------

TShortcutInfo ReadShortcut(const QString& shortcutFile)
{
    return Shell().ReadShortcut(shortcutFile);
}

bool CheckShortcut(const QString& shortcutFile, QString* reason)
{
    return Shell().CheckShortcut(shortcutFile, reason);
}

bool WriteShortcut(const QString& targetPath, const QString& arguments,
                   const QString& workingFolder, const QString& shortcutFile,
                   const QString& description, const QString& iconPath, int iconIndex, int showMode)
{
    return Shell().WriteShortcut(
        {targetPath, arguments, workingFolder, description, iconPath, iconIndex}, shortcutFile,
        showMode);
}

void CreateDesktopShortcut(const QString& path, const QString& iconPath, const QString& description,
                           const QString& parameters, int iconIndex)
{
    Shell().CreateDesktopShortcut(DesktopFolder(), Folders::appFolder(), path, iconPath,
                                  description, parameters, iconIndex);
}

void IShell::CreateDesktopShortcut(const QString& desktopFolder, const QString& workingFolder,
                                   const QString& path, const QString& iconPath,
                                   const QString& description, const QString& parameters,
                                   int iconIndex)
{
    // The description becomes the file name as it is; one that cannot be a file name (or that
    // would lead into another folder) gives no shortcut, silently.
    if (!IsValidFileName(description + Constants::ShortcutExtension) || description.isEmpty())
        return;
    WriteShortcut({path, parameters, workingFolder, description, iconPath, iconIndex},
                  desktopFolder + PathSeparator + description + Constants::ShortcutExtension, 1);
}

void RemoveAutorunShortcut()
{
    Shell().RemoveAutorunShortcut(AutorunShortcutPath());
}

void CreateAutorunShortcut()
{
    Shell().CreateAutorunShortcut(AutorunShortcutPath(),
                                  Constants::ProductName + QStringLiteral(" v.") + VersionText() +
                                      QStringLiteral(" от ") + LastChangeText());
}

bool AutorunShortcutIsOurs()
{
    return Shell().AutorunShortcutIsOurs(AutorunShortcutPath());
}

void IShell::RemoveAutorunShortcut(const QString& shortcutFile)
{
    if (QFileInfo(shortcutFile).isFile())
        QFile::remove(shortcutFile);
}

void IShell::CreateAutorunShortcut(const QString& shortcutFile, const QString& description)
{
    RemoveAutorunShortcut(shortcutFile);
    // A fresh desktop may not have its autostart folder yet.
    if (!::StartupFolder().isEmpty())
        QDir().mkpath(::StartupFolder());
    TShortcutInfo info;
    info.targetPath = ExecutablePath();
    info.workingFolder = Folders::appFolder();
    info.description = description;
    info.iconPath = ProgramIconPath();
    WriteShortcut(info, shortcutFile, 1);
}

bool IShell::AutorunShortcutIsOurs(const QString& shortcutFile)
{
    if (!QFileInfo(shortcutFile).isFile())
        return false;
    const QString target = ReadShortcut(shortcutFile).targetPath;
    return !target.isEmpty() && AsciiLowerCase(target) == AsciiLowerCase(ExecutablePath());
}

// ---- Icons -----------------------------------------------------------------------------------

QPixmap ProgramIcon(const QString& name, int size)
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()) || size <= 0)
        return {};
    // The warning and error pictures stand on thousands of buttons: each size is drawn once.
    static QHash<QString, QPixmap> cache;
    const QString key = name + u'@' + QString::number(size);
    const auto cached = cache.constFind(key);
    if (cached != cache.constEnd())
        return *cached;
    initShellResources();
    QIcon icon;
    for (int drawn : {16, 32, 48, 256}) {
        const QString file = QStringLiteral(":/icons/%1_%2.png").arg(name).arg(drawn);
        if (QFile::exists(file))
            icon.addFile(file, QSize(drawn, drawn));
    }
    QPixmap picture;
    // Exactly the asked size, even where only a larger picture was drawn.
    if (!icon.isNull())
        picture = icon.pixmap(size, size)
                      .scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    cache.insert(key, picture);
    return picture;
}

namespace {

// Whether the icon file is there, once the target is known to exist: a command whose icon
// comes from its own file needs no second look at the disk.
bool IconFileFound(const QString& iconPath, const QString& targetPath)
{
    if (iconPath == targetPath && !ExtractFileName(targetPath).isEmpty())
        return true;
    return IconFileExists(iconPath);
}

} // namespace

QString CommandIconHint(const QString& iconPath, const QString& targetPath, int size)
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()) || size <= 0 ||
        (iconPath.isEmpty() && targetPath.isEmpty()))
        return {};
    if (!TargetExists(targetPath))
        return QStringLiteral("\rФайл команды не найден!");
    if (!IconFileFound(iconPath, targetPath))
        return QStringLiteral("\rФайл иконки не найден!");
    return {};
}

void DrawCommandIcon(const QString& iconPath, const QString& targetPath, int iconIndex,
                     TCommandPicture& picture)
{
    picture.pixmap = QPixmap();
    // Pixmaps need the GUI; without it (or without a size) there is nothing to draw on.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()) || picture.size <= 0)
        return;
    const int size = picture.size;
    // On screens with more device pixels than logical ones the icon is taken that much larger,
    // so it stays sharp.
    const qreal ratio = qMax<qreal>(1.0, qGuiApp->devicePixelRatio());
    const int pixels = qRound(size * ratio);
    if (iconPath.isEmpty() && targetPath.isEmpty()) {
        QPixmap face(size, size);
        face.fill(buttonFace());
        picture.pixmap = face;
        return;
    }

    QPixmap icon;
    if (!TargetExists(targetPath)) {
        icon = ProgramIcon(QStringLiteral("MY_ERROR_ICO"), pixels);
        picture.hint += QStringLiteral("\rФайл команды не найден!");
    } else if (!IconFileFound(iconPath, targetPath)) {
        icon = ProgramIcon(QStringLiteral("MY_WARNING_ICO"), pixels);
        picture.hint += QStringLiteral("\rФайл иконки не найден!");
    } else {
        icon = Shell().ExtractIcon(iconPath, iconIndex, pixels);
    }
    if (icon.isNull())
        return;

    QPixmap drawn(pixels, pixels);
    drawn.fill(buttonFace());
    QPainter painter(&drawn);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(QRect(0, 0, pixels, pixels), icon);
    painter.end();
    drawn.setDevicePixelRatio(ratio);
    picture.pixmap = drawn;
}

QString ExpandSystemRoot(const QString& path)
{
    return Shell().ExpandSystemRoot(path, Folders::windowsFolder());
}

QString IShell::ExpandSystemRoot(const QString& path, const QString& windowsFolder)
{
    static const QString pattern = QStringLiteral("%systemroot%");
    const QString lowered = AsciiLowerCase(path);
    // Without a Windows folder there is nothing to expand to; the path stays as it was.
    if (!lowered.contains(pattern) || windowsFolder.isEmpty())
        return path;
    return ReplaceAll(lowered, pattern, windowsFolder);
}

// ---- Links -----------------------------------------------------------------------------------

void OpenWebSite()
{
    Shell().OpenUrl(WebSiteUrl);
}

void SendMailLink(int kind)
{
    Shell().OpenUrl(MailLinkText(kind, VersionText(), LastChangeText()));
}
