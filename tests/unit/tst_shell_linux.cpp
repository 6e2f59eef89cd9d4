// The freedesktop shell: real processes, real desktop entries, real folders (all temporary).
#include "TestSupport.h"
#include "platform/Shell.h"
#include "platform/linux/CommandLine.h"
#include "platform/linux/DesktopEntry.h"
#include "platform/linux/IconTheme.h"
#include "platform/linux/LinuxShell.h"
#include "settings/Folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QPainter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A script that writes its working folder and each argument (in brackets) to outFile.
QString writeReportingScript(const QString& scriptPath, const QString& outFile)
{
    const QByteArray script =
        "#!/bin/sh\n"
        "out='" +
        outFile.toUtf8() +
        "'\n"
        "{ pwd; for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done; } > \"$out.tmp\"\n"
        "mv \"$out.tmp\" \"$out\"\n";
    writeAll(scriptPath, script);
    QFile::setPermissions(scriptPath,
                          QFile::permissions(scriptPath) | QFile::ExeOwner | QFile::ExeUser);
    return scriptPath;
}

QStringList waitForReport(const QString& outFile)
{
    // The program runs detached; give it a bounded time to write its report.
    for (int i = 0; i < 200 && !QFile::exists(outFile); ++i)
        QTest::qWait(25);
    return QString::fromUtf8(readAll(outFile)).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

class TestShellLinux : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    }

    void splitsLikeAShellWithoutRunningOne()
    {
        QCOMPARE(SplitShellWords(QStringLiteral(
                     "  a  \"b c\" 'd \"e\"' f\\ g \"h\\\"i\" '' \"\" $HOME * ~ ; x")),
                 QStringList(
                     {"a", "b c", "d \"e\"", "f g", "h\"i", "", "", "$HOME", "*", "~", ";", "x"}));
        QCOMPARE(SplitShellWords(QStringLiteral("\"; rm -rf ~\"")), QStringList({"; rm -rf ~"}));
        QCOMPARE(SplitShellWords(QStringLiteral("a\"b\"'c'd")), QStringList({"abcd"}));
        QCOMPARE(SplitShellWords(QStringLiteral("\"unclosed quote")),
                 QStringList({"unclosed quote"}));
        QCOMPARE(SplitShellWords(QStringLiteral("   ")), QStringList());

        const QStringList words{"plain", "with space",  "it's", "\"q\"", "",
                                "$x",    "back\\slash", "Ж ж",  "50%"};
        QCOMPARE(SplitShellWords(JoinShellWords(words)), words);
    }

    void execLinesFollowTheEntryFormat()
    {
        QCOMPARE(SplitExecLine(QStringLiteral("firefox-esr %u")), QStringList({"firefox-esr"}));
        QCOMPARE(
            SplitExecLine(QStringLiteral("app --x=%F %i %c %k 100%% \"a b\" \"q\\\"\\$\\\\\"")),
            QStringList({"app", "--x=", "100%", "a b", "q\"$\\"}));
        QCOMPARE(SplitExecLine(QString()), QStringList());

        const QStringList args{"/opt/my app/run", "a b", "\"quoted\"", "$HOME",
                               "back\\slash",     "50%", "`x`",        "Ё"};
        const QString exec = FormatExecLine(args);
        QCOMPARE(SplitExecLine(exec), args);
        // Through the value escaping of the file and back.
        const TDesktopEntry entry = TDesktopEntry::parse(
            "[Desktop Entry]\nType=Application\nExec=" + EscapeEntryValue(exec).toUtf8() + "\n");
        QCOMPARE(SplitExecLine(entry.value(QStringLiteral("Exec"))), args);
    }

    void launchStartsARealProgramWithLiteralArguments()
    {
        const QString folder = m_dir.filePath(QStringLiteral("my scripts"));
        QVERIFY(QDir().mkpath(folder));
        const QString out = m_dir.filePath(QStringLiteral("report.txt"));
        const QString script =
            writeReportingScript(folder + QStringLiteral("/report args.sh"), out);

        TScriptedMessageBoxes boxes; // no box may appear
        const QString parameters = QStringLiteral(
            "plain \"with space\" \"say \\\"hi\\\"\" '; rm -rf ~' $HOME * \"Привет мир\"");
        QVERIFY(LaunchCommand(script, parameters));
        const QStringList report = waitForReport(out);
        QCOMPARE(report,
                 QStringList({QFileInfo(folder).canonicalFilePath(), "[plain]", "[with space]",
                              "[say \"hi\"]", "[; rm -rf ~]", "[$HOME]", "[*]", "[Привет мир]"}));
        QVERIFY(boxes.shown.isEmpty());

        // A desktop entry runs its Exec line, with the command's parameters after it.
        QFile::remove(out);
        const QString entry = m_dir.filePath(QStringLiteral("report.desktop"));
        QVERIFY(WriteShortcut(script, QStringLiteral("\"from entry\""), folder, entry,
                              QStringLiteral("Отчёт"), QString(), 0, 1));
        QVERIFY(LaunchCommand(entry, QStringLiteral("extra")));
        QCOMPARE(waitForReport(out),
                 QStringList({QFileInfo(folder).canonicalFilePath(), "[from entry]", "[extra]"}));
    }

    void failedStartShowsTheMessage()
    {
        const QString missing = m_dir.filePath(QStringLiteral("nowhere/x.exe"));
        const QString notRunnable = m_dir.filePath(QStringLiteral("plain.sh"));
        writeAll(notRunnable, "no interpreter line");
        QFile::setPermissions(notRunnable, QFile::permissions(notRunnable) | QFile::ExeOwner);
        const QString badEntry = m_dir.filePath(QStringLiteral("bad.desktop"));
        writeAll(badEntry,
                 "[Desktop Entry]\nType=Application\nExec=kestrolin-no-such-program-here --x\n");

        for (const QString& path :
             {missing, badEntry, QStringLiteral("kestrolin-no-such-program-here")}) {
            TScriptedMessageBoxes boxes;
            boxes.expect(IDOK);
            QVERIFY(!LaunchCommand(path, QStringLiteral("-a")));
            QCOMPARE(boxes.shown.size(), 1);
            QCOMPARE(boxes.shown[0].text, QStringLiteral("Не удаётся запустить команду\r\"") +
                                              path + QStringLiteral("\" -a"));
            QCOMPARE(boxes.shown[0].caption, QStringLiteral("Ошибка запуска команды"));
            QCOMPARE(boxes.shown[0].flags, MB::OK | MB::ICONERROR);
        }
        QVERIFY(!IsRunnableProgram(notRunnable)); // opened as a document, never executed
    }

    void desktopEntryRoundTrip()
    {
        const QString folder = m_dir.filePath(QStringLiteral("round trip"));
        QDir().mkpath(folder);
        const QString program =
            writeReportingScript(folder + QStringLiteral("/my prog"), folder + "/o");
        const QString icon = folder + QStringLiteral("/icon file.png");
        writeAll(icon, "png");
        const QString file = folder + QStringLiteral("/Ярлык.desktop");
        const QString arguments = QStringLiteral("--name \"Иван Петров\" 50% 'a\\b' \"$HOME\" ''");

        QVERIFY(WriteShortcut(program, arguments, folder, file, QStringLiteral("Мой  ярлык "), icon,
                              4, 1));
        QVERIFY(QFileInfo(file).isExecutable());
        const TShortcutInfo read = ReadShortcut(file);
        QCOMPARE(read.targetPath, program);
        QCOMPARE(SplitShellWords(read.arguments), SplitShellWords(arguments));
        QCOMPARE(read.workingFolder, folder);
        QCOMPARE(read.description, QStringLiteral("Мой  ярлык "));
        QCOMPARE(read.iconPath, icon);
        QCOMPARE(read.iconIndex, 4);

        // Overwritten in place; an empty icon location reads as an empty path and index 0.
        QVERIFY(WriteShortcut(program, QString(), QString(), file, QString(), QString(), 0, 1));
        const TShortcutInfo bare = ReadShortcut(file);
        QCOMPARE(bare.targetPath, program);
        QCOMPARE(bare.arguments, QString());
        QCOMPARE(bare.iconPath, QString());
        QCOMPARE(bare.iconIndex, 0);
        QCOMPARE(bare.description, QStringLiteral("my prog")); // the Name the entry needs

        // A document is written as a link to it.
        const QString document = folder + QStringLiteral("/notes.txt");
        writeAll(document, "text");
        QVERIFY(WriteShortcut(document, QString(), QString(), file, QStringLiteral("Заметки"),
                              QString(), 0, 1));
        QVERIFY(readAll(file).contains("Type=Link"));
        QCOMPARE(ReadShortcut(file).targetPath, document);

        // No folder to write into: no file, no crash.
        QVERIFY(!WriteShortcut(program, QString(), QString(),
                               folder + QStringLiteral("/missing/x.desktop"), QString(), QString(),
                               0, 1));
    }

    void readsSystemStyleEntries()
    {
        const QString file = m_dir.filePath(QStringLiteral("system.desktop"));
        writeAll(file, "\xEF\xBB\xBF# a comment\n"
                       "[Desktop Entry]\n"
                       "Name=Shell\nName[ru]=Оболочка\n"
                       "Comment=Runs things\nComment[ru]=Запускает\n"
                       "Exec=sh -c \"echo %%done\" %U\n"
                       "Icon=folder\n"
                       "Path=/tmp\n"
                       "[Desktop Action new]\nExec=other\n");
        const TShortcutInfo info = ReadShortcut(file);
        QCOMPARE(info.targetPath, QStandardPaths::findExecutable(QStringLiteral("sh")));
        QCOMPARE(SplitShellWords(info.arguments), QStringList({"-c", "echo %done"}));
        QCOMPARE(info.description, QStringLiteral("Запускает"));
        QCOMPARE(info.workingFolder, QStringLiteral("/tmp"));
        if (ResolveThemeIcon(QStringLiteral("folder")).isEmpty())
            QWARN("no icon theme with a folder icon installed");
        else
            QVERIFY2(QFileInfo(info.iconPath).isFile(), qPrintable(info.iconPath));
    }

    void damagedEntriesReadEmpty()
    {
        const QString file = m_dir.filePath(QStringLiteral("damaged.desktop"));
        QByteArray huge = "[Desktop Entry]\nExec=sh\nComment=";
        huge += QByteArray(TDesktopEntry::MaxFileSize, 'x');
        const QList<QByteArray> samples = {
            QByteArray(),
            QByteArray("\x00\x01\x02[Desktop Entry]\nExec=sh\n", 24),
            "[Desktop Entry]\nExec=sh\nName=\xff\xfe\n",
            "Exec=sh\n",
            "[Other Group]\nExec=sh\n",
            "[Desktop Entry]\nExec=\nName=x\n",
            "[Desktop Entry]\nExec=%U %f\n",
            "[Desktop Entry]\nExec=/no/such/program --x\nName=x\n",
            "[Desktop Entry]\nType=Link\nURL=https://example.org\n",
            "[Desktop Entry]\nType=Directory\nExec=sh\n",
            huge,
        };
        for (const QByteArray& sample : samples) {
            writeAll(file, sample);
            const TShortcutInfo info = ReadShortcut(file);
            QVERIFY2(info.targetPath.isEmpty() && info.arguments.isEmpty() &&
                         info.description.isEmpty() && info.iconPath.isEmpty() &&
                         info.workingFolder.isEmpty() && info.iconIndex == 0,
                     sample.left(40).constData());
        }
        QVERIFY(
            ReadShortcut(m_dir.filePath(QStringLiteral("absent.desktop"))).targetPath.isEmpty());
        QVERIFY(ReadShortcut(m_dir.path()).targetPath.isEmpty());
    }

    void xdgFolders()
    {
        const QString home = m_dir.filePath(QStringLiteral("home"));
        const QString config = home + QStringLiteral("/.config");
        QDir().mkpath(config);
        QCOMPARE(XdgDesktopFolder(home, config, QString()), home + QStringLiteral("/Desktop"));
        writeAll(config + QStringLiteral("/user-dirs.dirs"),
                 "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Рабочий стол\"\n");
        QCOMPARE(XdgDesktopFolder(home, config, QString()), home + QStringLiteral("/Рабочий стол"));
        QCOMPARE(XdgDesktopFolder(home, config, QStringLiteral("/srv/desk/")),
                 QStringLiteral("/srv/desk"));
        QCOMPARE(XdgDesktopFolder(home, config, QStringLiteral("relative")),
                 home + QStringLiteral("/Рабочий стол"));

        qputenv("XDG_CONFIG_HOME", config.toUtf8());
        TLinuxShell shell;
        QCOMPARE(shell.StartupFolder(), config + QStringLiteral("/autostart"));
        qputenv("XDG_CONFIG_HOME", "not/absolute");
        QCOMPARE(shell.StartupFolder(), QDir::homePath() + QStringLiteral("/.config/autostart"));
        qunsetenv("XDG_CONFIG_HOME");
    }

    void autorunAndDesktopShortcutsOnDisk()
    {
        const QString config = m_dir.filePath(QStringLiteral("config"));
        const QString desktop = m_dir.filePath(QStringLiteral("Desktop"));
        QDir().mkpath(desktop);
        qputenv("XDG_CONFIG_HOME", config.toUtf8());
        qputenv("XDG_DESKTOP_DIR", desktop.toUtf8());
        Folders::initializeWith(m_dir.filePath(QStringLiteral("app")));
        InitializeShellTexts();

        QCOMPARE(AutorunShortcutPath(), config + QStringLiteral("/autostart/Kestrolin.desktop"));
        QVERIFY(!AutorunShortcutIsOurs());
        CreateAutorunShortcut(); // the autostart folder does not exist yet
        QVERIFY(AutorunShortcutIsOurs());
        const TShortcutInfo autorun = ReadShortcut(AutorunShortcutPath());
        QCOMPARE(autorun.description, QStringLiteral("Kestrolin v.") + VersionText() +
                                          QStringLiteral(" от ") + LastChangeText());
        QVERIFY(!LastChangeText().isEmpty());
        QCOMPARE(autorun.workingFolder, Folders::appFolder());
        RemoveAutorunShortcut();
        QVERIFY(!QFile::exists(AutorunShortcutPath()));
        QVERIFY(!AutorunShortcutIsOurs());

        TScriptedMessageBoxes boxes;
        CreateDesktopShortcut(QStringLiteral("/bin/sh"), QString(), QStringLiteral("Оболочка"),
                              QStringLiteral("-c true"), 0);
        CreateDesktopShortcut(QStringLiteral("/bin/sh"), QString(), QStringLiteral("sub/Оболочка"),
                              QString(), 0);
        QCOMPARE(QDir(desktop).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList({QStringLiteral("Оболочка.desktop")}));
        QCOMPARE(ReadShortcut(desktop + QStringLiteral("/Оболочка.desktop")).arguments,
                 QStringLiteral("-c true"));

        ClearShellTexts();
        Folders::clear();
        qunsetenv("XDG_CONFIG_HOME");
        qunsetenv("XDG_DESKTOP_DIR");
    }

    void iconsOfFiles()
    {
        TLinuxShell shell;
        const QString library = QStringLiteral(KESTROLIN_BINARY_DIR "/bin/kestrolin-icons.ico");
        QVERIFY(QFile::exists(library));
        // Each index is its own picture; the folder lies at 3; beyond the last there is none.
        const QImage folder = shell.ExtractIcon(library, 3, 32).toImage();
        QCOMPARE(folder.size(), QSize(32, 32));
        QVERIFY(folder != shell.ExtractIcon(library, 2, 32).toImage());
        QVERIFY(shell.ExtractIcon(library, 6, 32).isNull());

        const QString png = m_dir.filePath(QStringLiteral("picture.png"));
        QImage red(40, 20, QImage::Format_ARGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(png));
        QCOMPARE(shell.ExtractIcon(png, 0, 32).toImage().pixelColor(5, 5), QColor(Qt::red));
        QVERIFY(shell.ExtractIcon(png, 1, 32).isNull());

        // Other files show their type's icon; without any theme our own pictures stand in.
        const QString text = m_dir.filePath(QStringLiteral("notes.txt"));
        writeAll(text, "hello");
        QVERIFY(!shell.ExtractIcon(text, 0, 32).isNull());
        const QString garbage = m_dir.filePath(QStringLiteral("broken.png"));
        writeAll(garbage, QByteArray(300, '\x89'));
        QVERIFY(!shell.ExtractIcon(garbage, 0, 16).isNull());
        QVERIFY(!shell.ExtractIcon(m_dir.path(), 0, 16).isNull());

        // For looking at by eye: KESTROLIN_SHOT_DIR=<folder> saves the pictures as buttons show
        // them.
        const QString shots = qEnvironmentVariable("KESTROLIN_SHOT_DIR");
        if (shots.isEmpty())
            return;
        const QString missing = m_dir.filePath(QStringLiteral("missing"));
        const QList<QPair<QString, QString>> commands = {
            {QString(), text},
            {missing, missing},
            {library, missing},
            {library, text},
            {text, text},
            {png, text},
            {garbage, text},
            {text, m_dir.path() + u'/'},
            {QStringLiteral("/bin/sh"), QStringLiteral("/bin/sh")}};
        for (int size : {32, 16}) {
            QImage sheet(commands.size() * (size + 4) + 4, size + 8, QImage::Format_ARGB32);
            sheet.fill(Qt::white);
            QPainter painter(&sheet);
            for (int i = 0; i < commands.size(); ++i) {
                TCommandPicture picture{QPixmap(), QString(), size};
                DrawCommandIcon(commands[i].first, commands[i].second, i == 3 ? 3 : 0, picture);
                painter.drawPixmap(4 + i * (size + 4), 4, picture.pixmap);
            }
            painter.end();
            sheet.save(shots + QStringLiteral("/command-icons-%1.png").arg(size));
        }
        DrawCommandIconTo(shots, QStringLiteral("MY_WARNING_ICO"), text, QString());
        DrawCommandIconTo(shots, QStringLiteral("MY_ERROR_ICO"), missing, QString());
    }

private:
    static void DrawCommandIconTo(const QString& folder, const QString& name, const QString& target,
                                  const QString& icon)
    {
        TCommandPicture picture{QPixmap(), QString(), 32};
        DrawCommandIcon(icon, target, 0, picture);
        picture.pixmap.save(folder + u'/' + name + QStringLiteral("-32.png"));
    }
};

QTEST_MAIN(TestShellLinux)
#include "tst_shell_linux.moc"
