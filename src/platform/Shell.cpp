#include "platform/Shell.h"

#include "images/KeptPictures.h"
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

// ---- The file system -----------------------------------------------------------------------

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

bool IShell::FolderExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

bool IShell::RemoveFile(const QString& path)
{
    return QFile::remove(path) || !QFileInfo::exists(path);
}

bool IShell::MakeFolder(const QString& path)
{
    return !path.isEmpty() && QDir().mkpath(path);
}

bool TargetExists(const QString& path)
{
    if (IsLinkAddress(path))
        return true;
    if (path.isEmpty())
        return false;
    // A folder named without its trailing separator does not count.
    if (NamesFolder(path))
        return Shell().FolderExists(path);
    return Shell().FileExists(path);
}

bool IconFileExists(const QString& path)
{
    return Shell().FileExists(path);
}

// ---- Texts -----------------------------------------------------------------------------------

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
    texts.autorunShortcutPath = AutorunShortcutIn(texts.startupFolder);
    texts.versionText = FormatVersionText(shell.ExecutableVersion());
    const QDateTime changed = shell.ExecutableLastChange();
    if (changed.isValid())
        texts.lastChangeText = FormatLastChangeText(changed, shell.ShortDateText(changed.date()),
                                                    shell.LongTimeText(changed.time()));
}

void ClearShellTexts()
{
    texts = ShellTexts{};
}

// ---- Running and sounds ----------------------------------------------------------------------

bool StartCommand(const QString& path, const QString& parameters)
{
    // An address has no folder to start in.
    return Shell().Execute(path, parameters,
                           IsLinkAddress(path) ? QString() : ExtractFilePath(path));
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
    // A description that cannot be a file name gives no shortcut, silently.
    const QString file = DesktopShortcutFile(DesktopFolder(), description);
    if (file.isEmpty())
        return;
    Shell().WriteShortcut(
        {path, parameters, Folders::appFolder(), description, iconPath, iconIndex}, file, 1);
}

void RemoveAutorunShortcut()
{
    IShell& shell = Shell();
    const QString file = AutorunShortcutPath();
    if (shell.FileExists(file))
        shell.RemoveFile(file);
}

void CreateAutorunShortcut()
{
    RemoveAutorunShortcut();
    IShell& shell = Shell();
    // A fresh desktop may not have its autostart folder yet.
    if (!StartupFolder().isEmpty())
        shell.MakeFolder(StartupFolder());
    TShortcutInfo info;
    info.targetPath = shell.ExecutablePath();
    info.workingFolder = shell.AutorunStartsInProgramFolder() ? ExtractFilePath(info.targetPath)
                                                              : Folders::appFolder();
    info.description = AutorunDescription(VersionText(), LastChangeText());
    info.iconPath = shell.ProgramIconPath();
    shell.WriteShortcut(info, AutorunShortcutPath(), 1);
}

bool AutorunShortcutIsOurs()
{
    IShell& shell = Shell();
    const QString file = AutorunShortcutPath();
    return shell.FileExists(file) &&
           IsSameTarget(shell.ReadShortcut(file).targetPath, shell.ExecutablePath());
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

namespace {

int iconPixels(int size)
{
    // On screens with more device pixels than logical ones the icon is taken that much larger,
    // so it stays sharp.
    const qreal ratio = qMax<qreal>(1.0, qGuiApp->devicePixelRatio());
    return qRound(size * ratio);
}

// An icon on the buttons' face. A page of programs or documents shows a few type icons many times
// over, each shared with the shell's own cache: those are put on the face once.
QPixmap onButtonFace(const QPixmap& icon, int pixels, qreal ratio)
{
    const QColor face = buttonFace();
    auto draw = [&] {
        QPixmap drawn(pixels, pixels);
        drawn.fill(face);
        QPainter painter(&drawn);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(QRect(0, 0, pixels, pixels), icon);
        painter.end();
        drawn.setDevicePixelRatio(ratio);
        return drawn;
    };
    // A picture of a file of its own is drawn for its button alone.
    if (icon.isDetached())
        return draw();
    static TKeptPictures shared(64);
    return shared.get(
        QStringLiteral("%1 %2 %3 %4").arg(icon.cacheKey()).arg(face.rgba()).arg(pixels).arg(ratio),
        draw);
}

} // namespace

void PrepareCommandIcons(const QList<std::pair<QString, int>>& icons, int size)
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()) || size <= 0)
        return;
    Shell().PrepareIcons(icons, iconPixels(size));
}

void EndPreparedCommandIcons()
{
    Shell().EndPreparedIcons();
}

void DrawCommandIcon(const QString& iconPath, const QString& targetPath, int iconIndex,
                     TCommandPicture& picture)
{
    picture.pixmap = QPixmap();
    // Pixmaps need the GUI; without it (or without a size) there is nothing to draw on.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()) || picture.size <= 0)
        return;
    const int size = picture.size;
    const qreal ratio = qMax<qreal>(1.0, qGuiApp->devicePixelRatio());
    const int pixels = iconPixels(size);
    if (iconPath.isEmpty() && targetPath.isEmpty()) {
        QPixmap face(size, size);
        face.fill(buttonFace());
        picture.pixmap = face;
        return;
    }

    QPixmap icon;
    const bool target = picture.targetSeen >= 0 ? picture.targetSeen > 0 : TargetExists(targetPath);
    if (!target) {
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

    picture.pixmap = onButtonFace(icon, pixels, ratio);
}

QString ExpandSystemRoot(const QString& path)
{
    return ExpandSystemRoot(path, Folders::windowsFolder());
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
