#include "platform/linux/LinuxShell.h"

#include "platform/PlatformShell.h"
#include "platform/linux/CommandLine.h"
#include "platform/linux/DesktopEntry.h"
#include "platform/linux/IconTheme.h"
#include "platform/linux/MimeApps.h"
#include "settings/Folders.h"
#include "text/Paths.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QIcon>
#include <QImageReader>
#include <QMimeDatabase>
#include <QMutex>
#include <QProcess>
#include <QSaveFile>
#include <QSet>
#include <QStandardPaths>
#include <QThreadPool>
#include <QUrl>
#include <QWaitCondition>

#include <algorithm>
#include <atomic>
#include <optional>

namespace {

const QString IconIndexKey = QStringLiteral("X-Kestrolin-IconIndex");

bool hasGui()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

QString withoutTrailingSeparator(const QString& folder)
{
    QString result = folder;
    while (result.size() > 1 && result.endsWith(u'/'))
        result.chop(1);
    return result;
}

bool startProgram(const QString& program, const QStringList& arguments,
                  const QString& workingFolder)
{
    // Detached and without a shell: the arguments reach the program exactly as split.
    return QProcess::startDetached(program, arguments, workingFolder);
}

bool openWithDesktop(const QUrl& url)
{
    return hasGui() && QDesktopServices::openUrl(url);
}

// Files, folders and links go to the desktop's opener, started as the window system's plugin
// would start it; so they open also where a plugin offers no opener of its own.
bool openWithOpener(const QUrl& url)
{
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!opener.isEmpty())
        return QProcess::startDetached(opener, {QString::fromUtf8(url.toEncoded())});
    return openWithDesktop(url);
}

bool openFileWithDesktop(const QString& path)
{
    return openWithOpener(QUrl::fromLocalFile(path));
}

// Runs a desktop entry the way the desktop would: its Exec line in its Path, or its URL.
bool runDesktopEntry(const TDesktopEntry& entry, const QString& parameters,
                     const QString& workingFolder)
{
    if (!entry.isValid())
        return false;
    const QString type = entry.value(QStringLiteral("Type"));
    if (type == u"Link") {
        const QUrl url(entry.value(QStringLiteral("URL")));
        return url.isValid() && !url.isEmpty() && openWithDesktop(url);
    }
    if (!type.isEmpty() && type != u"Application")
        return false;
    QStringList arguments = SplitExecLine(entry.value(QStringLiteral("Exec")));
    if (arguments.isEmpty())
        return false;
    const QString program = ResolveProgram(arguments.takeFirst());
    if (program.isEmpty())
        return false;
    arguments += SplitShellWords(parameters);
    const QString path = entry.value(QStringLiteral("Path"));
    const QString folder = path.isEmpty() ? workingFolder : path;
    if (entry.value(QStringLiteral("Terminal")) == u"true") {
        // A console program needs a terminal window around it.
        const QString terminal =
            QStandardPaths::findExecutable(QStringLiteral("x-terminal-emulator"));
        if (!terminal.isEmpty())
            return startProgram(terminal, QStringList{QStringLiteral("-e"), program} + arguments,
                                folder);
    }
    return startProgram(program, arguments, folder);
}

QPixmap fallbackPicture(const QString& name, int size)
{
    return ProgramIcon(name, size);
}

QPixmap themeIcon(const QStringList& names, int size)
{
    // A page shows many files of few types: each type's picture is looked up once.
    static QHash<QString, QPixmap> cache;
    const QString key = names.join(u'|') + u'@' + QString::number(size);
    const auto cached = cache.constFind(key);
    if (cached != cache.constEnd())
        return *cached;
    QPixmap found;
    for (const QString& name : names) {
        if (name.isEmpty())
            continue;
        const QIcon icon = QIcon::fromTheme(name);
        if (!icon.isNull())
            found = icon.pixmap(size, size);
        if (found.isNull()) {
            const QString file = ResolveThemeIcon(name, size);
            if (!file.isEmpty())
                found = QIcon(file).pixmap(size, size);
        }
        if (!found.isNull())
            break;
    }
    cache.insert(key, found);
    return found;
}

// The first four bytes of a file, empty when it cannot be read.
QByteArray fileHead(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(4) : QByteArray();
}

// Whether a file of this type and name may hold a picture the readers understand.
bool mightBePicture(const QMimeType& mime, const QString& suffix)
{
    static const QList<QByteArray> formats = QImageReader::supportedImageFormats();
    if (!suffix.isEmpty() && formats.contains(suffix.toLower().toLatin1()))
        return true;
    if (mime.name().startsWith(QLatin1String("image/")))
        return true;
    const QStringList parents = mime.allAncestors();
    return std::any_of(parents.begin(), parents.end(), [](const QString& name) {
        return name.startsWith(QLatin1String("image/"));
    });
}

// A picture file (image or icon), the image at index of a multi-image file.
QPixmap readPicture(const QString& file, int index, int size, bool* isPicture)
{
    QImageReader reader(file);
    *isPicture = reader.canRead();
    if (!*isPicture)
        return {};
    if (index > 0 && (reader.imageCount() <= index || !reader.jumpToImage(index)))
        return {};
    if (reader.format() == "svg" || reader.format() == "svgz")
        reader.setScaledSize(QSize(size, size));
    const QSize full = reader.size();
    // Huge pictures are decoded at a size that fits; an icon needs no more.
    if (full.isValid() && (full.width() > 1024 || full.height() > 1024))
        reader.setScaledSize(full.scaled(1024, 1024, Qt::KeepAspectRatio));
    const QImage image = reader.read();
    if (image.isNull())
        return {};
    return QPixmap::fromImage(image);
}

const QString ProgramIconName = QStringLiteral("application-x-executable");

// What a file shows, worked out without the GUI: so a page's pictures can be looked up on another
// thread while the window is still being made.
struct TIconPlan
{
    QString file; // the file itself, or the picture its desktop entry names
    int index = 0;
    bool folder = false;
    bool program = false; // a compiled program without a suffix
    bool picture = false; // a file whose type or name says picture
    QStringList typeNames;
};

TIconPlan planIcon(const QString& file, int index, int size, const QString& theme)
{
    TIconPlan plan;
    plan.file = file;
    plan.index = index;
    QFileInfo info(file);
    if (info.suffix().compare(QStringLiteral("desktop"), Qt::CaseInsensitive) == 0 &&
        info.isFile()) {
        const QString icon =
            ResolveThemeIcon(TDesktopEntry::read(file).value(QStringLiteral("Icon")), size, theme);
        if (!icon.isEmpty() && QFileInfo(icon).suffix() != u"desktop") {
            plan.file = icon;
            plan.index = 0;
            info = QFileInfo(icon);
        }
    }
    if (info.isDir()) {
        plan.folder = true;
        return plan;
    }
    // A compiled program without a suffix is told by its first bytes: working out its type from
    // the type database takes many times longer, and launchers hold many programs.
    if (info.suffix().isEmpty() && info.isExecutable() &&
        fileHead(plan.file) == "\x7f"
                               "ELF") {
        plan.program = true;
        return plan;
    }
    const QMimeType mime = QMimeDatabase().mimeTypeForFile(info);
    // Asking every picture reader about every program is slow; only files whose type or name
    // says picture are read as one.
    plan.picture = mightBePicture(mime, info.suffix());
    plan.typeNames = QStringList{mime.iconName(), mime.genericIconName()};
    return plan;
}

QPixmap iconFromPlan(const TIconPlan& plan, int size)
{
    if (plan.folder) {
        const QPixmap folder = themeIcon({QStringLiteral("folder")}, size);
        return folder.isNull() ? fallbackPicture(QStringLiteral("FOLDER_ICO"), size) : folder;
    }
    if (plan.program) {
        const QPixmap program = themeIcon({ProgramIconName}, size);
        return program.isNull() ? fallbackPicture(QStringLiteral("PROGRAM_ICO"), size) : program;
    }
    if (plan.picture) {
        bool isPicture = false;
        const QPixmap picture = readPicture(plan.file, plan.index, size, &isPicture);
        if (isPicture)
            return picture;
    }
    // Any other file shows its type's icon; the index has no meaning there. The program check
    // reads the file, so it waits until the type's own icons are known to be missing.
    const QPixmap typeIcon = themeIcon(plan.typeNames, size);
    if (!typeIcon.isNull())
        return typeIcon;
    const bool program = IsRunnableProgram(plan.file);
    QStringList names;
    if (program)
        names << ProgramIconName;
    names << QStringLiteral("text-x-generic") << QStringLiteral("unknown");
    const QPixmap genericIcon = themeIcon(names, size);
    if (!genericIcon.isNull())
        return genericIcon;
    return fallbackPicture(program ? QStringLiteral("PROGRAM_ICO") : QStringLiteral("FILE_ICO"),
                           size);
}

QString prefetchKey(const QString& file, int index)
{
    return file + u'\n' + QString::number(index);
}

} // namespace

// The plans of a page's pictures, made on another thread. Each file is planned once: by the
// thread, or by the window when it asks first; the window waits for one the thread is making.
class TIconPrefetch
{
public:
    bool claim(const QString& key)
    {
        const QMutexLocker locked(&m_lock);
        if (m_claimed.contains(key))
            return false;
        m_claimed.insert(key);
        return true;
    }
    void put(const QString& key, TIconPlan plan)
    {
        const QMutexLocker locked(&m_lock);
        m_plans.insert(key, std::move(plan));
        m_changed.wakeAll();
    }
    std::optional<TIconPlan> take(const QString& key)
    {
        QMutexLocker locked(&m_lock);
        if (!m_claimed.contains(key)) {
            // Not asked for, or not reached yet: the window plans it itself.
            m_claimed.insert(key);
            return std::nullopt;
        }
        while (!m_plans.contains(key) && !m_finished)
            m_changed.wait(&m_lock);
        const auto plan = m_plans.constFind(key);
        if (plan == m_plans.constEnd())
            return std::nullopt;
        return *plan;
    }
    bool stopped() const { return m_stop.load(); }
    void finish()
    {
        const QMutexLocker locked(&m_lock);
        m_finished = true;
        m_changed.wakeAll();
    }
    void stopAndWait()
    {
        m_stop.store(true);
        QMutexLocker locked(&m_lock);
        while (!m_finished)
            m_changed.wait(&m_lock);
    }

private:
    QMutex m_lock;
    QWaitCondition m_changed;
    QSet<QString> m_claimed;
    QHash<QString, TIconPlan> m_plans;
    bool m_finished = false;
    std::atomic_bool m_stop{false};
};

bool IsRunnableProgram(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile() || !info.isExecutable())
        return false;
    // Files on some mounted disks all carry the executable bit; only real programs are run.
    const QByteArray head = fileHead(path);
    return head.startsWith("#!") || head == "\x7f"
                                            "ELF";
}

QString XdgConfigHome()
{
    const QString configured = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!configured.isEmpty() && QDir::isAbsolutePath(configured))
        return withoutTrailingSeparator(configured);
    return QDir::homePath() + QStringLiteral("/.config");
}

QString XdgDesktopFolder(const QString& home, const QString& configHome,
                         const QString& desktopDirVariable)
{
    if (!desktopDirVariable.isEmpty() && QDir::isAbsolutePath(desktopDirVariable))
        return withoutTrailingSeparator(desktopDirVariable);
    QFile dirs(configHome + QStringLiteral("/user-dirs.dirs"));
    if (dirs.open(QIODevice::ReadOnly | QIODevice::Text)) {
        const QString text = QString::fromUtf8(dirs.read(64 * 1024));
        for (QString line : text.split(u'\n')) {
            line = line.trimmed();
            if (!line.startsWith(QStringLiteral("XDG_DESKTOP_DIR=")))
                continue;
            QString value = line.mid(int(sizeof("XDG_DESKTOP_DIR=")) - 1).trimmed();
            if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
                value = value.mid(1, value.size() - 2);
            if (value.startsWith(QStringLiteral("$HOME")))
                value = home + value.mid(5);
            if (QDir::isAbsolutePath(value))
                return withoutTrailingSeparator(value);
        }
    }
    return withoutTrailingSeparator(home) + QStringLiteral("/Desktop");
}

bool TLinuxShell::OpenDocument(const QFileInfo& info)
{
    // The desktop's opener starts whatever the type asks for and fails where nobody sees it, so
    // a type without an application is told before the opener is asked.
    const QMimeType type = QMimeDatabase().mimeTypeForFile(info);
    const QString name = type.isValid() ? type.name() : QStringLiteral("application/octet-stream");
    if (!HasAssociatedApplication(MimeTypesToOpen(name))) {
        if (info.isDir())
            m_failure = QStringLiteral("Нет программы, которая открывает папки.");
        else
            m_failure = QStringLiteral("Нет программы, которая открывает файлы этого типа "
                                       "(«%1», %2).")
                            .arg(type.comment(), name);
        return false;
    }
    if (openFileWithDesktop(info.absoluteFilePath()))
        return true;
    m_failure = QStringLiteral("Не удалось запустить программу рабочего стола, которая "
                               "открывает файлы и папки (xdg-open).");
    return false;
}

bool TLinuxShell::Execute(const QString& path, const QString& parameters,
                          const QString& workingFolder)
{
    m_failure.clear();
    if (path.isEmpty())
        return false;
    if (IsLinkAddress(path))
        return OpenLink(QUrl(path, QUrl::TolerantMode));
    const QFileInfo info(path);
    if (info.isDir())
        return OpenDocument(info);
    if (!info.exists()) {
        // A bare program name is looked up on PATH, as the desktop's run dialog would.
        if (path.contains(u'/'))
            return false;
        const QString program = QStandardPaths::findExecutable(path);
        return !program.isEmpty() &&
               startProgram(program, SplitShellWords(parameters), workingFolder);
    }
    if (info.suffix().compare(QStringLiteral("desktop"), Qt::CaseInsensitive) == 0)
        return runDesktopEntry(TDesktopEntry::read(path), parameters, workingFolder);
    if (IsRunnableProgram(path))
        return startProgram(info.absoluteFilePath(), SplitShellWords(parameters), workingFolder);
    return OpenDocument(info);
}

bool TLinuxShell::OpenLink(const QUrl& url)
{
    // As with documents, a scheme nobody handles is told before the opener fails unseen.
    const QString scheme = url.scheme().toLower();
    if (!HasAssociatedApplication({QStringLiteral("x-scheme-handler/") + scheme})) {
        m_failure =
            QStringLiteral("Нет программы, которая открывает ссылки этого вида (%1).").arg(scheme);
        return false;
    }
    if (openWithOpener(url))
        return true;
    m_failure = QStringLiteral("Не удалось запустить программу рабочего стола, которая "
                               "открывает ссылки (xdg-open).");
    return false;
}

QString TLinuxShell::ExecuteFailure() const
{
    return m_failure;
}

void TLinuxShell::PlaySound(int kind)
{
    m_sounds.play(SoundResourceName(kind));
}

TShortcutInfo TLinuxShell::ReadShortcut(const QString& shortcutFile)
{
    const TDesktopEntry entry = TDesktopEntry::read(shortcutFile);
    if (!entry.isValid())
        return {};
    TShortcutInfo info;
    const QString type = entry.value(QStringLiteral("Type"));
    if (type == u"Link") {
        const QUrl url(entry.value(QStringLiteral("URL")));
        if (!url.isLocalFile())
            return {};
        info.targetPath = url.toLocalFile();
    } else if (type.isEmpty() || type == u"Application") {
        QStringList arguments = SplitExecLine(entry.value(QStringLiteral("Exec")));
        if (arguments.isEmpty())
            return {};
        info.targetPath = ResolveProgram(arguments.takeFirst());
        if (info.targetPath.isEmpty())
            return {};
        info.arguments = JoinShellWords(arguments);
    } else {
        return {};
    }
    info.workingFolder = entry.value(QStringLiteral("Path"));
    info.description = entry.localizedValue(QStringLiteral("Comment"));
    if (info.description.isEmpty())
        info.description = entry.localizedValue(QStringLiteral("Name"));
    const QString icon = entry.value(QStringLiteral("Icon"));
    info.iconPath = ResolveThemeIcon(icon);
    bool ok = false;
    const int index = entry.value(IconIndexKey).toInt(&ok);
    info.iconIndex = ok && index >= 0 && !info.iconPath.isEmpty() ? index : 0;
    return info;
}

bool TLinuxShell::CheckShortcut(const QString& shortcutFile, QString* reason)
{
    const auto refuse = [reason](const QString& text) {
        if (reason)
            *reason = text;
        return false;
    };
    const TDesktopEntry entry = TDesktopEntry::read(shortcutFile);
    if (!entry.isValid())
        return refuse(QStringLiteral("Файл повреждён или не является ярлыком рабочего стола."));
    const QString type = entry.value(QStringLiteral("Type"));
    if (type == u"Link") {
        const QUrl url(entry.value(QStringLiteral("URL")));
        if (!url.isValid() || url.isEmpty())
            return refuse(QStringLiteral("В ярлыке нет адреса, который он открывает."));
        return true;
    }
    if (!type.isEmpty() && type != u"Application")
        return refuse(QStringLiteral("Ярлык этого вида (%1) ничего не запускает.").arg(type));
    const QStringList exec = SplitExecLine(entry.value(QStringLiteral("Exec")));
    if (exec.isEmpty())
        return refuse(QStringLiteral("В ярлыке нет команды запуска."));
    if (ResolveProgram(exec.first()).isEmpty())
        return refuse(QStringLiteral("Программа ярлыка не найдена: %1").arg(exec.first()));
    return true;
}

bool TLinuxShell::WriteShortcut(const TShortcutInfo& info, const QString& shortcutFile,
                                int showMode)
{
    // The desktop decides how windows appear; there is nothing to store for the show mode.
    Q_UNUSED(showMode);
    const QFileInfo target(info.targetPath);
    const bool address = IsLinkAddress(info.targetPath);
    const bool opensDocument = target.exists() && !IsRunnableProgram(info.targetPath);
    const QString name = info.description.isEmpty() ? target.fileName() : info.description;

    QString text = QStringLiteral("[Desktop Entry]\n");
    text += QStringLiteral("Version=1.0\n");
    if (address || opensDocument) {
        // Documents, folders and web or mail addresses are links: the desktop opens them with
        // their own program.
        text += QStringLiteral("Type=Link\n");
        text +=
            QStringLiteral("URL=") +
            EscapeEntryValue(address ? info.targetPath
                                     : QUrl::fromLocalFile(target.absoluteFilePath()).toString()) +
            u'\n';
    } else {
        text += QStringLiteral("Type=Application\n");
        QStringList exec{info.targetPath};
        exec += SplitShellWords(info.arguments);
        text += QStringLiteral("Exec=") + EscapeEntryValue(FormatExecLine(exec)) + u'\n';
        if (!info.workingFolder.isEmpty())
            text += QStringLiteral("Path=") + EscapeEntryValue(info.workingFolder) + u'\n';
        text += QStringLiteral("Terminal=false\n");
    }
    text += QStringLiteral("Name=") + EscapeEntryValue(name) + u'\n';
    if (!info.description.isEmpty())
        text += QStringLiteral("Comment=") + EscapeEntryValue(info.description) + u'\n';
    if (!info.iconPath.isEmpty())
        text += QStringLiteral("Icon=") + EscapeEntryValue(info.iconPath) + u'\n';
    if (info.iconIndex != 0)
        text += IconIndexKey + u'=' + QString::number(info.iconIndex) + u'\n';

    QSaveFile file(shortcutFile);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(text.toUtf8());
    if (!file.commit())
        return false;
    // Desktops run only entries that are marked executable.
    QFile::setPermissions(shortcutFile, QFile::permissions(shortcutFile) | QFile::ExeOwner |
                                            QFile::ExeUser | QFile::ExeGroup | QFile::ExeOther);
    return true;
}

TLinuxShell::~TLinuxShell()
{
    EndPreparedIcons();
}

QPixmap TLinuxShell::ExtractIcon(const QString& file, int index, int size)
{
    if (!hasGui() || size <= 0)
        return {};
    std::optional<TIconPlan> plan;
    if (m_prefetch)
        plan = m_prefetch->take(prefetchKey(file, index));
    if (!plan)
        plan = planIcon(file, index, size, QIcon::themeName());
    return iconFromPlan(*plan, size);
}

void TLinuxShell::PrepareIcons(const QList<std::pair<QString, int>>& files, int size)
{
    EndPreparedIcons();
    if (!hasGui() || size <= 0 || files.isEmpty())
        return;
    auto prefetch = std::make_shared<TIconPrefetch>();
    // The theme is the GUI's to tell; the thread gets it from here.
    const QString theme = QIcon::themeName();
    QThreadPool::globalInstance()->start([prefetch, files, size, theme] {
        for (const auto& [file, index] : files) {
            const QString key = prefetchKey(file, index);
            if (prefetch->stopped() || !prefetch->claim(key))
                continue;
            TIconPlan plan = planIcon(file, index, size, theme);
            // The theme's files for the names the window will ask for, found now.
            const QStringList names = plan.folder    ? QStringList{QStringLiteral("folder")}
                                      : plan.program ? QStringList{ProgramIconName}
                                                     : plan.typeNames;
            for (const QString& name : names)
                ResolveThemeIcon(name, size, theme);
            prefetch->put(key, std::move(plan));
        }
        prefetch->finish();
    });
    m_prefetch = prefetch;
}

void TLinuxShell::EndPreparedIcons()
{
    if (!m_prefetch)
        return;
    m_prefetch->stopAndWait();
    m_prefetch.reset();
}

void TLinuxShell::OpenUrl(const QString& url)
{
    openWithDesktop(QUrl(url, QUrl::TolerantMode));
}

QString TLinuxShell::StartupFolder()
{
    return XdgConfigHome() + QStringLiteral("/autostart");
}

QString TLinuxShell::DesktopFolder()
{
    return XdgDesktopFolder(QDir::homePath(), XdgConfigHome(),
                            qEnvironmentVariable("XDG_DESKTOP_DIR"));
}

QString TLinuxShell::ExecutablePath()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

QString TLinuxShell::ProgramIconPath()
{
    // An executable here carries no icon; the icon library beside it starts with the program's.
    const QString library = Folders::shell32Path();
    return QFileInfo(library).isFile() ? library : ExecutablePath();
}

TVersionNumbers TLinuxShell::ExecutableVersion()
{
    return {KESTROLIN_VERSION_MAJOR, KESTROLIN_VERSION_MINOR, KESTROLIN_VERSION_PATCH,
            KESTROLIN_VERSION_TWEAK};
}

QDateTime TLinuxShell::ExecutableLastChange()
{
    const QFileInfo info(ExecutablePath());
    if (!info.exists())
        return {};
    return info.lastModified().toLocalTime();
}

std::unique_ptr<IShell> CreatePlatformShell()
{
    return std::make_unique<TLinuxShell>();
}
