// The shell layer's operations and texts, checked over a recording shell.
#include "TestSupport.h"
#include "actions/ShellActions.h"
#include "platform/Shell.h"
#include "settings/Folders.h"
#include "settings/SystemSettings.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLocale>
#include <QPainter>
#include <QPalette>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

namespace {

// Answers from fields the test sets and records what it was asked to do.
class TRecordingShell : public IShell
{
public:
    bool Execute(const QString& path, const QString& parameters,
                 const QString& workingFolder) override
    {
        executed.append({path, parameters, workingFolder});
        return executeResult;
    }
    void PlaySound(int kind) override { played.append(kind); }
    TShortcutInfo ReadShortcut(const QString&) override { return shortcut; }
    bool WriteShortcut(const TShortcutInfo& info, const QString& shortcutFile, int) override
    {
        written.append(info);
        writtenFiles.append(shortcutFile);
        return true;
    }
    QPixmap ExtractIcon(const QString&, int index, int size) override
    {
        if (index > 0)
            return {};
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::darkGreen);
        return pixmap;
    }
    void OpenUrl(const QString& url) override { urls.append(url); }
    QString StartupFolder() override { return startup; }
    QString DesktopFolder() override { return desktop; }
    QString ExecutablePath() override { return executable; }
    QString ProgramIconPath() override { return executable + QStringLiteral(".ico"); }
    TVersionNumbers ExecutableVersion() override { return version; }
    QDateTime ExecutableLastChange() override { return lastChange; }

    QList<QStringList> executed;
    bool executeResult = true;
    QList<int> played;
    TShortcutInfo shortcut;
    QList<TShortcutInfo> written;
    QStringList writtenFiles;
    QStringList urls;
    QString startup;
    QString desktop;
    QString executable = QStringLiteral("/opt/kestrolin/kestrolin");
    TVersionNumbers version{1, 4, 3, 374};
    QDateTime lastChange = QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9));
};

// A shell that answers every look at the file system itself and records it, with a system's
// own date and time formats and the custom of starting a program at log-in in its own folder:
// the operations must use these calls, never look at the disk behind the shell's back.
class TOwnFileSystemShell : public TRecordingShell
{
public:
    QString ShortDateText(const QDate& date) override
    {
        return date.isValid() ? QStringLiteral("5/3/24") : QString();
    }
    QString LongTimeText(const QTime& time) override
    {
        return time.isValid() ? QStringLiteral("2:07 PM") : QString();
    }
    bool AutorunStartsInProgramFolder() override { return true; }
    bool FileExists(const QString& path) override
    {
        asked.append(QStringLiteral("file ") + path);
        return files.contains(path);
    }
    bool FolderExists(const QString& path) override
    {
        asked.append(QStringLiteral("folder ") + path);
        return true;
    }
    bool RemoveFile(const QString& path) override
    {
        asked.append(QStringLiteral("remove ") + path);
        files.removeAll(path);
        return true;
    }
    bool MakeFolder(const QString& path) override
    {
        asked.append(QStringLiteral("make ") + path);
        return true;
    }

    QStringList asked;
    QStringList files;
};

QColor buttonFace()
{
    return QGuiApplication::palette().color(QPalette::Button);
}

} // namespace

class TestShell : public QObject
{
    Q_OBJECT

private:
    TRecordingShell m_shell;
    std::optional<TScopedSeam<IShell>> m_seam;
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        QVERIFY(m_dir.isValid());
    }

    void init()
    {
        m_shell = TRecordingShell();
        m_shell.startup = m_dir.filePath(QStringLiteral("autostart"));
        m_shell.desktop = m_dir.filePath(QStringLiteral("desktop"));
        QDir().mkpath(m_shell.desktop);
        m_seam.emplace(SetShell, &m_shell);
        Folders::initializeWith(m_dir.filePath(QStringLiteral("app")));
        InitializeShellTexts();
    }

    void cleanup()
    {
        ClearShellTexts();
        Folders::clear();
        m_seam.reset();
    }

    void targetExistsRule()
    {
        const QString folder = m_dir.filePath(QStringLiteral("folder"));
        QVERIFY(QDir().mkpath(folder));
        const QString file = folder + QStringLiteral("/file.txt");
        writeAll(file, "x");

        QVERIFY(TargetExists(file));
        QVERIFY(TargetExists(folder + u'/'));
        QVERIFY(!TargetExists(folder)); // a folder without its trailing separator
        QVERIFY(!TargetExists(QString()));
        QVERIFY(!TargetExists(file + u'/'));
        QVERIFY(!TargetExists(folder + QStringLiteral("/missing.txt")));

        QVERIFY(IconFileExists(file));
        QVERIFY(!IconFileExists(folder));
        QVERIFY(!IconFileExists(folder + u'/'));
        QVERIFY(!IconFileExists(QString()));
    }

    void versionAndLastChangeTexts()
    {
        // By default the shell writes dates and times in the default locale's formats.
        QCOMPARE(VersionText(), QStringLiteral("1.4.3 сборка 374"));
        QCOMPARE(LastChangeText(), QStringLiteral("05.03.2024 14:07:09"));
        QCOMPARE(StartupFolder(), m_shell.startup);
        QCOMPARE(DesktopFolder(), m_shell.desktop);
        QCOMPARE(AutorunShortcutPath(), m_shell.startup + QStringLiteral("/Kestrolin.desktop"));
        ClearShellTexts();
        QVERIFY(VersionText().isEmpty() && AutorunShortcutPath().isEmpty() &&
                StartupFolder().isEmpty());

        // An executable whose time cannot be read has no text, and the autorun shortcut's
        // description says so plainly.
        m_shell.lastChange = QDateTime();
        m_shell.version = {};
        InitializeShellTexts();
        QCOMPARE(LastChangeText(), QString());
        QCOMPARE(VersionText(), QStringLiteral("0.0.0 сборка 0"));
    }

    void systemRootNeedsTheWindowsFolder()
    {
        // The platform's Windows folder is kept as the system writes it and fills the placeholder
        // of a path lowered in A to Z only.
        Folders::initialize(m_dir.filePath(QStringLiteral("app")), true,
                            QStringLiteral("C:\\WINDOWS"));
        QCOMPARE(Folders::windowsFolder(), QStringLiteral("C:\\WINDOWS"));
        QCOMPARE(ExpandSystemRoot(QStringLiteral("%SystemRoot%\\System32\\SHELL32.dll")),
                 QStringLiteral("C:\\WINDOWS\\system32\\shell32.dll"));
        QCOMPARE(ExpandSystemRoot(QStringLiteral("%SYSTEMROOT%\\Папка\\Икона.ICO")),
                 QStringLiteral("C:\\WINDOWS\\Папка\\Икона.ico"));
        QCOMPARE(ExpandSystemRoot(QStringLiteral("D:\\Icons\\App.ICO")),
                 QStringLiteral("D:\\Icons\\App.ICO"));
        // Tests and tools have none; then nothing is expanded, in whatever case it is written.
        Folders::initializeWith(m_dir.filePath(QStringLiteral("app")));
        QVERIFY(Folders::windowsFolder().isEmpty());
        QCOMPARE(ExpandSystemRoot(QStringLiteral("%SystemRoot%/Icons/A.ico")),
                 QStringLiteral("%SystemRoot%/Icons/A.ico"));
    }

    void operationsUseTheShellsOwnCalls()
    {
        // Every look at the disk, every removal and every new folder goes through the shell's
        // calls; the texts take the shell's own formats, and the autorun shortcut starts where
        // the system's custom says.
        TOwnFileSystemShell own;
        own.startup = QStringLiteral("/nowhere/autostart");
        own.desktop = QStringLiteral("/nowhere/desktop");
        own.executable = QStringLiteral("/nowhere/prog/kestrolin");
        TScopedSeam ownSeam(SetShell, &own);
        InitializeShellTexts();
        QCOMPARE(LastChangeText(), QStringLiteral("5/3/24 2:07 PM"));
        const QString autorun = QStringLiteral("/nowhere/autostart/Kestrolin.desktop");
        QCOMPARE(AutorunShortcutPath(), autorun);

        QVERIFY(TargetExists(QStringLiteral("/nowhere/a/")));
        QVERIFY(!TargetExists(QStringLiteral("/nowhere/a/b.sh")));
        QVERIFY(TargetExists(QStringLiteral("https://example.org/")));
        QVERIFY(!IconFileExists(QStringLiteral("/nowhere/b.png")));
        QCOMPARE(own.asked, QStringList({QStringLiteral("folder /nowhere/a/"),
                                         QStringLiteral("file /nowhere/a/b.sh"),
                                         QStringLiteral("file /nowhere/b.png")}));

        own.asked.clear();
        QVERIFY(!AutorunShortcutIsOurs());
        own.files = QStringList({autorun});
        own.shortcut.targetPath = QStringLiteral("/NOWHERE/prog/Kestrolin");
        QVERIFY(AutorunShortcutIsOurs());
        QCOMPARE(own.asked, QStringList({QStringLiteral("file ") + autorun,
                                         QStringLiteral("file ") + autorun}));

        own.asked.clear();
        CreateAutorunShortcut();
        QCOMPARE(own.asked, QStringList({QStringLiteral("file ") + autorun,
                                         QStringLiteral("remove ") + autorun,
                                         QStringLiteral("make /nowhere/autostart")}));
        QCOMPARE(own.writtenFiles, QStringList({autorun}));
        QCOMPARE(own.written.first().workingFolder, QStringLiteral("/nowhere/prog/"));
        QCOMPARE(own.written.first().description,
                 QStringLiteral("Kestrolin v.1.4.3 сборка 374 от 5/3/24 2:07 PM"));

        own.asked.clear();
        own.files = QStringList({autorun});
        RemoveAutorunShortcut();
        RemoveAutorunShortcut();
        QCOMPARE(own.asked, QStringList({QStringLiteral("file ") + autorun,
                                         QStringLiteral("remove ") + autorun,
                                         QStringLiteral("file ") + autorun}));
        QVERIFY(!QFileInfo::exists(QStringLiteral("/nowhere")));
    }

    void mailLinkIsExact()
    {
        const QString version = QStringLiteral("1.4.3 сборка 374");
        const QString changed = QStringLiteral("05.03.2024 14:07:09");
        QCOMPARE(MailLinkText(MailErrorReport, version, changed).toUtf8(),
                 QStringLiteral(
                     "mailto:support@kestrolin.example.org?subject=Kestrolin%201.4.3%20сборка%20374"
                     "%20от%2005.03.2024%2014:07:09%20Найдена%20ошибка!")
                     .toUtf8());
        QCOMPARE(MailLinkText(MailWish, version, changed).toUtf8(),
                 QStringLiteral(
                     "mailto:support@kestrolin.example.org?subject=Kestrolin%201.4.3%20сборка%20374"
                     "%20от%2005.03.2024%2014:07:09%20Пожелание")
                     .toUtf8());

        SendMailLink(MailWish);
        OpenWebSite();
        QCOMPARE(m_shell.urls, QStringList({MailLinkText(MailWish, version, changed), WebSiteUrl}));
        QVERIFY(!m_shell.urls.first().contains(u' '));
    }

    void launchPassesTheCommandsFolderAndReportsFailure()
    {
        QVERIFY(
            LaunchCommand(QStringLiteral("/opt/my tools/run.sh"), QStringLiteral("-x \"a b\"")));
        QCOMPARE(m_shell.executed.last(),
                 QStringList({QStringLiteral("/opt/my tools/run.sh"), QStringLiteral("-x \"a b\""),
                              QStringLiteral("/opt/my tools/")}));

        m_shell.executeResult = false;
        TScriptedMessageBoxes boxes;
        boxes.expect(IDOK);
        QVERIFY(!LaunchCommand(QStringLiteral("/x/x.exe"), QStringLiteral("-a")));
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].text,
                 QStringLiteral("Не удаётся запустить команду\r\"/x/x.exe\" -a"));
        QCOMPARE(boxes.shown[0].caption, QStringLiteral("Ошибка запуска команды"));
        QCOMPARE(boxes.shown[0].flags, MB::OK | MB::ICONERROR);
    }

    void soundsFollowTheSwitches()
    {
        // No settings store (as in tools and tests): silence.
        PlayEventSound(SoundRunCommand);
        QVERIFY(m_shell.played.isEmpty());

        QTemporaryDir app;
        TSystemSettings settings(app.path());
        SystemSettings = &settings;
        for (int kind = 0; kind <= 5; ++kind)
            PlayEventSound(kind);
        QCOMPARE(m_shell.played, QList<int>({0, 1, 2, 3, 4})); // 5 is no sound kind

        m_shell.played.clear();
        settings.Sounds()->Exclude(TSys_Sounds::DropCommand);
        PlayEventSound(SoundDropCommand);
        PlayEventSound(SoundDropPage);
        QCOMPARE(m_shell.played, QList<int>({SoundDropPage}));

        m_shell.played.clear();
        settings.Sounds()->Include(TSys_Sounds::MuteAll);
        for (int kind = 0; kind <= 4; ++kind)
            PlayEventSound(kind);
        QVERIFY(m_shell.played.isEmpty());
        SystemSettings = nullptr;

        QCOMPARE(SoundResourceName(SoundDropShortCut), QStringLiteral("DROP_SHORT_CUT"));
        QCOMPARE(SoundResourceName(SoundScrollPage), QStringLiteral("SCROLL_PAGE"));
        QCOMPARE(SoundResourceName(SoundRunCommand), QStringLiteral("RUN_COMMAND"));
        QCOMPARE(SoundResourceName(SoundDropCommand), QStringLiteral("DROP_COMMAND"));
        QCOMPARE(SoundResourceName(SoundDropPage), QStringLiteral("DROP_COMMAND"));
        // Each sound is a short PCM WAV of our own.
        for (const char* name : {"DROP_SHORT_CUT", "SCROLL_PAGE", "RUN_COMMAND", "DROP_COMMAND"}) {
            const QByteArray wav =
                readAll(QStringLiteral(":/sounds/%1.wav").arg(QLatin1String(name)));
            QVERIFY2(wav.startsWith("RIFF") && wav.mid(8, 8) == "WAVEfmt ", name);
            QVERIFY2(wav.size() > 1000 && wav.size() < 64 * 1024, name);
        }
    }

    void autorunShortcut()
    {
        QVERIFY(!AutorunShortcutIsOurs()); // no file
        CreateAutorunShortcut();
        QVERIFY(QFileInfo(StartupFolder()).isDir());
        QCOMPARE(m_shell.writtenFiles, QStringList({AutorunShortcutPath()}));
        const TShortcutInfo& info = m_shell.written.first();
        QCOMPARE(info.targetPath, m_shell.executable);
        QCOMPARE(info.iconPath, m_shell.executable + QStringLiteral(".ico"));
        QCOMPARE(info.arguments, QString());
        QCOMPARE(info.workingFolder, Folders::appFolder());
        QCOMPARE(info.description,
                 QStringLiteral("Kestrolin v.1.4.3 сборка 374 от 05.03.2024 14:07:09"));

        // Only the file's presence and the target it names decide; ASCII case does not count.
        writeAll(AutorunShortcutPath(), "any");
        m_shell.shortcut.targetPath = QStringLiteral("/OPT/Kestrolin/KESTROLIN");
        QVERIFY(AutorunShortcutIsOurs());
        m_shell.shortcut.targetPath = QStringLiteral("/opt/kestrolin/other");
        QVERIFY(!AutorunShortcutIsOurs());
        m_shell.shortcut.targetPath.clear();
        QVERIFY(!AutorunShortcutIsOurs());
        m_shell.executable = QStringLiteral("/opt/Программа/kestrolin");
        m_shell.shortcut.targetPath = QStringLiteral("/OPT/Программа/Kestrolin");
        QVERIFY(AutorunShortcutIsOurs());
        m_shell.shortcut.targetPath = QStringLiteral("/opt/программа/kestrolin");
        QVERIFY(!AutorunShortcutIsOurs()); // Cyrillic case is not folded

        RemoveAutorunShortcut();
        QVERIFY(!QFile::exists(AutorunShortcutPath()));
        QVERIFY(!AutorunShortcutIsOurs());
        RemoveAutorunShortcut(); // nothing there: nothing happens
    }

    void desktopShortcutNeedsAFileName()
    {
        TScriptedMessageBoxes boxes; // any box fails the test
        CreateDesktopShortcut(QStringLiteral("/bin/true"), QStringLiteral("/i.png"),
                              QStringLiteral("Заметки"), QStringLiteral("-v"), 2);
        QCOMPARE(m_shell.writtenFiles,
                 QStringList({DesktopFolder() + QStringLiteral("/Заметки.desktop")}));
        const TShortcutInfo& info = m_shell.written.first();
        QCOMPARE(info.targetPath, QStringLiteral("/bin/true"));
        QCOMPARE(info.arguments, QStringLiteral("-v"));
        QCOMPARE(info.workingFolder, Folders::appFolder());
        QCOMPARE(info.description, QStringLiteral("Заметки"));
        QCOMPARE(info.iconPath, QStringLiteral("/i.png"));
        QCOMPARE(info.iconIndex, 2);

        for (const QString& bad :
             {QStringLiteral("../escape"), QStringLiteral("a/b"), QStringLiteral("/abs"), QString(),
              QStringLiteral("line\nbreak")})
            CreateDesktopShortcut(QStringLiteral("/bin/true"), QString(), bad, QString(), 0);
        QCOMPARE(m_shell.writtenFiles.size(), 1);
        QVERIFY(boxes.shown.isEmpty());
    }

    void drawCommandIconRules()
    {
        const QString folder = m_dir.filePath(QStringLiteral("icons"));
        QDir().mkpath(folder);
        const QString target = folder + QStringLiteral("/prog");
        const QString icon = folder + QStringLiteral("/prog.ico");
        writeAll(target, "x");
        writeAll(icon, "x");

        TCommandPicture empty{QPixmap(), QStringLiteral("Пусто"), 32};
        DrawCommandIcon(QString(), QString(), 0, empty);
        QCOMPARE(empty.pixmap.size(), QSize(32, 32));
        QCOMPARE(empty.pixmap.toImage().pixelColor(16, 16), buttonFace());
        QCOMPARE(empty.hint, QStringLiteral("Пусто"));

        TCommandPicture good{QPixmap(), QStringLiteral("Программа"), 16};
        DrawCommandIcon(icon, target, 0, good);
        QCOMPARE(good.pixmap.size(), QSize(16, 16));
        QCOMPARE(good.pixmap.toImage().pixelColor(8, 8), QColor(Qt::darkGreen));
        QCOMPARE(good.hint, QStringLiteral("Программа"));

        TCommandPicture noIcon{QPixmap(), QStringLiteral("Программа"), 32};
        DrawCommandIcon(QString(), target, 0, noIcon);
        QCOMPARE(noIcon.hint, QStringLiteral("Программа\rФайл иконки не найден!"));
        QCOMPARE(noIcon.pixmap.toImage(), picture(QStringLiteral("MY_WARNING_ICO")));

        TCommandPicture noTarget{QPixmap(), QStringLiteral("Папка"), 32};
        DrawCommandIcon(icon, folder, 0, noTarget); // folder without trailing separator
        QCOMPARE(noTarget.hint, QStringLiteral("Папка\rФайл команды не найден!"));
        QCOMPARE(noTarget.pixmap.toImage(), picture(QStringLiteral("MY_ERROR_ICO")));
        QVERIFY(noTarget.pixmap.toImage() != noIcon.pixmap.toImage());

        TCommandPicture folderTarget{QPixmap(), QString(), 32};
        DrawCommandIcon(icon, folder + u'/', 0, folderTarget);
        QCOMPARE(folderTarget.hint, QString());
        QVERIFY(!folderTarget.pixmap.isNull());

        // An index the file does not have gives no picture, and the old one is gone.
        TCommandPicture beyond{folderTarget.pixmap, QString(), 32};
        DrawCommandIcon(icon, target, 7, beyond);
        QVERIFY(beyond.pixmap.isNull());
        QCOMPARE(beyond.hint, QString());
    }

private:
    // A program picture as DrawCommandIcon draws it: over the button face, at 32 x 32.
    static QImage picture(const QString& name)
    {
        QPixmap expected(32, 32);
        expected.fill(buttonFace());
        QPainter painter(&expected);
        painter.drawPixmap(0, 0, ProgramIcon(name, 32));
        painter.end();
        return expected.toImage();
    }
};

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
