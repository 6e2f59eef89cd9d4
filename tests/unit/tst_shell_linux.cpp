// The freedesktop shell: real processes, real desktop entries, real folders (all temporary).
#include "TestSupport.h"
#include "actions/ShellActions.h"
#include "platform/Shell.h"
#include "platform/linux/CommandLine.h"
#include "platform/linux/DesktopEntry.h"
#include "platform/linux/IconTheme.h"
#include "platform/linux/LinuxShell.h"
#include "settings/Folders.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QLocale>
#include <QMimeDatabase>
#include <QPainter>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <fcntl.h>
#include <sys/stat.h>

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

// An icon-theme.cache as the desktop's tools write it, all names in one hash bucket.
// icons: name -> (folder index, suffix flags) pairs.
QByteArray buildIconCache(const QStringList& folders,
                          const QList<QPair<QByteArray, QList<QPair<int, int>>>>& icons)
{
    QByteArray data;
    auto put32 = [&data](quint32 v) {
        data.append(char(v >> 24)).append(char(v >> 16)).append(char(v >> 8)).append(char(v));
    };
    auto set32 = [&data](qsizetype at, quint32 v) {
        data[at] = char(v >> 24);
        data[at + 1] = char(v >> 16);
        data[at + 2] = char(v >> 8);
        data[at + 3] = char(v);
    };
    data.append("\x00\x01\x00\x00", 4); // version 1.0
    put32(0);                           // hash offset, set below
    put32(12);                          // folder list right after the header
    put32(quint32(folders.size()));
    const qsizetype folderSlots = data.size();
    for (qsizetype i = 0; i < folders.size(); ++i)
        put32(0);
    for (qsizetype i = 0; i < folders.size(); ++i) {
        set32(folderSlots + 4 * i, quint32(data.size()));
        data.append(folders[i].toUtf8()).append('\0');
    }
    set32(4, quint32(data.size()));
    put32(1); // one bucket
    const qsizetype bucket = data.size();
    put32(0xFFFFFFFF);
    qsizetype previousChain = -1;
    for (const auto& [name, images] : icons) {
        const qsizetype entry = data.size();
        if (previousChain < 0)
            set32(bucket, quint32(entry));
        else
            set32(previousChain, quint32(entry));
        previousChain = entry;
        put32(0xFFFFFFFF); // chain
        put32(0);          // name
        put32(0);          // image list
        set32(entry + 4, quint32(data.size()));
        data.append(name).append('\0');
        set32(entry + 8, quint32(data.size()));
        put32(quint32(images.size()));
        for (const auto& [folder, flags] : images) {
            data.append(char(folder >> 8)).append(char(folder));
            data.append(char(flags >> 8)).append(char(flags));
            put32(0); // no image data
        }
    }
    return data;
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
        QCOMPARE(SplitShellWords(QStringLiteral("a\"b\"'c d'")), QStringList({"abc d"}));
        QCOMPARE(SplitShellWords(QStringLiteral("   ")), QStringList());

        const QStringList words{"plain", "with space",  "it's",      "\"q\"",      "",
                                "$x",    "back\\slash", "back\\\"q", "'",          "\"",
                                "Ж ж",   "50%",         "'a b'",     "don't \"x\""};
        QCOMPARE(SplitShellWords(JoinShellWords(words)), words);
        // What earlier versions wrote for a word with an apostrophe still reads as that word.
        QCOMPARE(SplitShellWords(QStringLiteral("'it'\\''s'")), QStringList({"it's"}));
    }

    void parametersReachTheProgramAsTyped()
    {
        // Apostrophes inside words are letters; quotes without a partner stay as typed, and the
        // words around them split at blanks as usual.
        const QList<QPair<QString, QStringList>> cases = {
            {"it's", {"it's"}},
            {"don't 'stop me' now", {"don't", "stop me", "now"}},
            {"'it's here' O'Brien's", {"it's here", "O'Brien's"}},
            {"rock 'n' roll", {"rock", "n", "roll"}},
            {"say \"hello world", {"say", "\"hello", "world"}},
            {"say 'hello world", {"say", "'hello", "world"}},
            {"5\" disk \"a b\"", {"5 disk a", "b\""}},
            {"--title='My App' --x=\"a b\"", {"--title=My App", "--x=a b"}},
            {"a\\ b \\\"q\\\" C:\\dir\\x \\\\ end\\",
             {"a b", "\"q\"", "C:\\dir\\x", "\\", "end\\"}},
            {"#chan a#b \"x#y\" 100%", {"#chan", "a#b", "x#y", "100%"}},
        };
        for (const auto& [typed, words] : cases)
            QCOMPARE(SplitShellWords(typed), words);

        // The same through a real program.
        const QString out = m_dir.filePath(QStringLiteral("typed.txt"));
        const QString script =
            writeReportingScript(m_dir.filePath(QStringLiteral("typed.sh")), out);
        TScriptedMessageBoxes boxes; // no box may appear
        QVERIFY(LaunchCommand(script, QStringLiteral("it's \"a b\" 'c")));
        QCOMPARE(waitForReport(out).mid(1), QStringList({"[it's]", "[a b]", "['c]"}));
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
        // So is a web address, which no program could run.
        QVERIFY(WriteShortcut(QStringLiteral("https://example.org/a?b=c"), QString(), QString(),
                              file, QStringLiteral("Пример"), QString(), 0, 1));
        QVERIFY(readAll(file).contains("Type=Link\nURL=https://example.org/a?b=c\n"));
        QVERIFY(CheckShortcut(file, nullptr));

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

    void themeIconsAndTheirCache()
    {
        // A theme of our own under the user's data folder, made the current theme.
        const QString data = m_dir.filePath(QStringLiteral("data"));
        qputenv("XDG_DATA_HOME", data.toUtf8());
        const QString previousTheme = QIcon::themeName();
        auto makeTheme = [&](const QString& name, const QStringList& files) {
            const QString root = data + QStringLiteral("/icons/") + name;
            QDir().mkpath(root);
            writeAll(root + QStringLiteral("/index.theme"),
                     "[Icon Theme]\nName=T\n# sizes\n"
                     "Directories=16x16/apps,32x32/apps,scalable/apps\n\n"
                     "[16x16/apps]\nSize=16\nType=Fixed\n"
                     "[32x32/apps]\nSize=32\nType=Fixed\n"
                     "[scalable/apps]\nSize=48\nMinSize=40\nMaxSize=256\nType=Scalable\n");
            for (const QString& file : files) {
                QDir().mkpath(QFileInfo(root + u'/' + file).path());
                writeAll(root + u'/' + file, "picture");
            }
            return root;
        };

        // Without a cache the folders are looked into; the closest size wins.
        const QString plain = makeTheme(
            QStringLiteral("KestrolinPlain"),
            {"16x16/apps/k-alpha.png", "32x32/apps/k-alpha.png", "scalable/apps/k-beta.svg"});
        QIcon::setThemeName(QStringLiteral("KestrolinPlain"));
        QCOMPARE(ResolveThemeIcon(QStringLiteral("k-alpha"), 32),
                 plain + QStringLiteral("/32x32/apps/k-alpha.png"));
        QCOMPARE(ResolveThemeIcon(QStringLiteral("k-alpha"), 16),
                 plain + QStringLiteral("/16x16/apps/k-alpha.png"));
        QCOMPARE(ResolveThemeIcon(QStringLiteral("k-beta"), 64),
                 plain + QStringLiteral("/scalable/apps/k-beta.svg"));
        QVERIFY(ResolveThemeIcon(QStringLiteral("k-none"), 32).isEmpty());

        // With an up-to-date cache only what it lists is found: a file it does not know is
        // not looked for.
        const QString cached = makeTheme(QStringLiteral("KestrolinCached"),
                                         {"32x32/apps/k-gamma.png", "32x32/apps/k-unlisted.png"});
        const QByteArray cache = buildIconCache({"16x16/apps", "32x32/apps", "scalable/apps"},
                                                {{"k-gamma", {{1, TIconCache::Png}}}});
        writeAll(cached + QStringLiteral("/icon-theme.cache"), cache);
        QIcon::setThemeName(QStringLiteral("KestrolinCached"));
        QCOMPARE(ResolveThemeIcon(QStringLiteral("k-gamma"), 32),
                 cached + QStringLiteral("/32x32/apps/k-gamma.png"));
        QVERIFY(ResolveThemeIcon(QStringLiteral("k-unlisted"), 32).isEmpty());
        QCOMPARE(TIconCache::read(cached).lookup(QStringLiteral("k-gamma")),
                 (QHash<QString, int>{{"32x32/apps", TIconCache::Png}}));

        // A folder changed after the cache was written is looked into; the folders the cache
        // still covers come from it alone.
        const QString partly = makeTheme(QStringLiteral("KestrolinPartly"),
                                         {"16x16/apps/k-fresh.png", "32x32/apps/k-stray.png"});
        writeAll(partly + QStringLiteral("/icon-theme.cache"),
                 buildIconCache({"16x16/apps", "32x32/apps", "scalable/apps"}, {}));
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        auto setTime = [](const QString& path, qint64 seconds) {
            const timespec times[2] = {{time_t(seconds), 0}, {time_t(seconds), 0}};
            return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
        };
        for (const char* folder : {"", "/16x16", "/32x32", "/32x32/apps"})
            QVERIFY(setTime(partly + QLatin1String(folder), now - 7200));
        QVERIFY(setTime(partly + QStringLiteral("/icon-theme.cache"), now - 3600));
        QVERIFY(setTime(partly + QStringLiteral("/16x16/apps"), now));
        const TIconCache partlyCache = TIconCache::read(partly);
        QVERIFY(partlyCache.isValid());
        QVERIFY(partlyCache.covers(QStringLiteral("32x32/apps")));
        QVERIFY(!partlyCache.covers(QStringLiteral("16x16/apps")));
        QIcon::setThemeName(QStringLiteral("KestrolinPartly"));
        QCOMPARE(ResolveThemeIcon(QStringLiteral("k-fresh"), 16),
                 partly + QStringLiteral("/16x16/apps/k-fresh.png"));
        QVERIFY(ResolveThemeIcon(QStringLiteral("k-stray"), 32).isEmpty());

        // A cache older than a folder of its theme is not used.
        QFile stale(cached + QStringLiteral("/icon-theme.cache"));
        QVERIFY(stale.open(QIODevice::ReadWrite));
        QVERIFY(stale.setFileTime(QDateTime::currentDateTime().addDays(-1),
                                  QFileDevice::FileModificationTime));
        stale.close();
        QVERIFY(!TIconCache::read(cached).isValid());

        // Damaged caches find nothing and harm nothing: cut short, offsets past the end, a
        // chain that loops, a folder index beyond the list.
        QVERIFY(!TIconCache::fromData(cache.left(10)).isValid());
        QVERIFY(!TIconCache::fromData(QByteArray()).isValid());
        QByteArray farOffsets = cache;
        farOffsets[4] = '\x7f';
        QVERIFY(TIconCache::fromData(farOffsets).lookup(QStringLiteral("k-gamma")).isEmpty());
        QByteArray loop = buildIconCache({"32x32/apps"}, {{"k-a", {}}, {"k-b", {}}});
        auto word = [&loop](qsizetype at) {
            return qsizetype(quint8(loop[at])) << 24 | qsizetype(quint8(loop[at + 1])) << 16 |
                   qsizetype(quint8(loop[at + 2])) << 8 | qsizetype(quint8(loop[at + 3]));
        };
        // The second entry's chain points back at the first.
        const qsizetype first = word(word(4) + 4);
        const qsizetype second = word(first);
        QCOMPARE(word(second), qsizetype(0xFFFFFFFF));
        loop.replace(second, 4, loop.mid(word(4) + 4, 4));
        QCOMPARE(word(second), first);
        QVERIFY(TIconCache::fromData(loop).lookup(QStringLiteral("k-missing")).isEmpty());
        const QByteArray badFolder =
            buildIconCache({"32x32/apps"}, {{"k-gamma", {{7, TIconCache::Png}}}});
        QVERIFY(TIconCache::fromData(badFolder).lookup(QStringLiteral("k-gamma")).isEmpty());

        // The hash of the desktop's own tools: a real theme's cache answers for its names.
        const TIconCache adwaita = TIconCache::read(QStringLiteral("/usr/share/icons/Adwaita"));
        if (adwaita.isValid())
            QVERIFY(adwaita.lookup(QStringLiteral("text-x-generic"))
                        .value(QStringLiteral("32x32/mimetypes")) &
                    TIconCache::Png);

        QIcon::setThemeName(previousTheme);
        qunsetenv("XDG_DATA_HOME");
    }

    void iconsOfFiles()
    {
        TLinuxShell shell;
        const QString library = QStringLiteral(KESTROLIN_BINARY_DIR "/bin/kestrolin-icons.ico");
        QVERIFY(QFile::exists(library));
        // Each index is its own picture; the folder lies at 3, the link's globe at 6; beyond the
        // last there is none.
        const QImage folder = shell.ExtractIcon(library, 3, 32).toImage();
        QCOMPARE(folder.size(), QSize(32, 32));
        QVERIFY(folder != shell.ExtractIcon(library, 2, 32).toImage());
        QCOMPARE(shell.LinkIconIndex(), 6);
        QCOMPARE(shell.ExtractIcon(library, 6, 32).size(), QSize(32, 32));
        QVERIFY(shell.ExtractIcon(library, 7, 32).isNull());

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

    // Icons looked up ahead on another thread are the icons looked up when asked: for every kind
    // of file, asked in any order, twice, or not on the list; ending the look-up half-way leaves
    // nothing behind.
    void iconsLookedUpAheadAreTheSame()
    {
        const QString library = QStringLiteral(KESTROLIN_BINARY_DIR "/bin/kestrolin-icons.ico");
        const QString png = m_dir.filePath(QStringLiteral("ahead.png"));
        QImage green(24, 24, QImage::Format_ARGB32);
        green.fill(Qt::green);
        QVERIFY(green.save(png));
        const QString text = m_dir.filePath(QStringLiteral("ahead.txt"));
        writeAll(text, "hello");
        const QString script = m_dir.filePath(QStringLiteral("ahead-script"));
        writeAll(script, "#!/bin/sh\nexit 0\n");
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString entry = m_dir.filePath(QStringLiteral("ahead.desktop"));
        writeAll(entry, "[Desktop Entry]\nType=Application\nName=A\nExec=true\nIcon=" +
                            png.toUtf8() + "\n");
        const QString nameless = m_dir.filePath(QStringLiteral("nameless.desktop"));
        writeAll(nameless, "[Desktop Entry]\nType=Application\nName=B\nExec=true\n"
                           "Icon=no-such-icon-anywhere\n");
        const QList<std::pair<QString, int>> files = {
            {library, 3},
            {png, 0},
            {text, 0},
            {script, 0},
            {entry, 0},
            {nameless, 0},
            {m_dir.path(), 0},
            {QStringLiteral("/bin/sh"), 0},
            {m_dir.filePath(QStringLiteral("missing")), 0},
            {png, 0}};

        QList<QImage> expected;
        {
            TLinuxShell plain;
            for (const auto& [file, index] : files)
                expected << plain.ExtractIcon(file, index, 32).toImage();
        }
        TLinuxShell shell;
        shell.PrepareIcons(files, 32);
        // The last ones first: some are asked for before the thread reaches them.
        for (qsizetype i = files.size() - 1; i >= 0; --i)
            QCOMPARE(shell.ExtractIcon(files[i].first, files[i].second, 32).toImage(), expected[i]);
        QCOMPARE(shell.ExtractIcon(library, 2, 32).toImage(),
                 TLinuxShell().ExtractIcon(library, 2, 32).toImage());
        shell.EndPreparedIcons();
        QCOMPARE(shell.ExtractIcon(text, 0, 32).toImage(), expected[2]);

        // Ended at once, or left running when the shell goes.
        shell.PrepareIcons(files, 32);
        shell.EndPreparedIcons();
        QCOMPARE(shell.ExtractIcon(png, 0, 32).toImage(), expected[1]);
        {
            TLinuxShell leaving;
            leaving.PrepareIcons(files, 16);
        }
    }

    void documentsWithoutAnApplicationAreReported()
    {
        // A desktop of our own: its folders, its list of associations, and an opener that only
        // writes down what it was asked to open.
        const QString root = m_dir.filePath(QStringLiteral("desktop"));
        const QString applications = root + QStringLiteral("/data/applications");
        QVERIFY(QDir().mkpath(applications));
        QVERIFY(QDir().mkpath(root + QStringLiteral("/sys/applications")));
        QVERIFY(QDir().mkpath(root + QStringLiteral("/config")));
        QVERIFY(QDir().mkpath(root + QStringLiteral("/bin")));
        const QString opened = root + QStringLiteral("/opened.txt");
        writeAll(root + QStringLiteral("/bin/xdg-open"),
                 "#!/bin/sh\nprintf '%s\\n' \"$1\" > '" + opened.toUtf8() + ".tmp'\n" + "mv '" +
                     opened.toUtf8() + ".tmp' '" + opened.toUtf8() + "'\n");
        QFile::setPermissions(root + QStringLiteral("/bin/xdg-open"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString viewer = writeReportingScript(root + QStringLiteral("/bin/viewer"),
                                                    root + QStringLiteral("/viewer.txt"));
        // The type database stays in sight; nothing else of the system's data folders does.
        const QString mime =
            QStandardPaths::locate(QStandardPaths::GenericDataLocation, QStringLiteral("mime"),
                                   QStandardPaths::LocateDirectory);
        if (!mime.isEmpty())
            QVERIFY(QFile::link(mime, root + QStringLiteral("/sys/mime")));
        const QList<QPair<const char*, QByteArray>> environment = {
            {"XDG_DATA_HOME", (root + QStringLiteral("/data")).toUtf8()},
            {"XDG_DATA_DIRS", (root + QStringLiteral("/sys")).toUtf8()},
            {"XDG_CONFIG_HOME", (root + QStringLiteral("/config")).toUtf8()},
            {"XDG_CONFIG_DIRS", (root + QStringLiteral("/sysconfig")).toUtf8()},
            {"XDG_CURRENT_DESKTOP", "Test"},
            {"PATH", (root + QStringLiteral("/bin:")).toUtf8() + qgetenv("PATH")}};
        QList<QByteArray> saved;
        for (const auto& [name, value] : environment) {
            saved.append(qgetenv(name));
            qputenv(name, value);
        }
        const auto restore = qScopeGuard([&] {
            for (qsizetype i = 0; i < environment.size(); ++i)
                qputenv(environment[i].first, saved[i]);
        });

        const QString text = m_dir.filePath(QStringLiteral("read me.txt"));
        writeAll(text, "hello");
        const QString binary = m_dir.filePath(QStringLiteral("data.kestrolin-unknown"));
        writeAll(binary, QByteArray("\x00\x01\x02\xff", 4));
        const QString folder = m_dir.filePath(QStringLiteral("a folder")) + u'/';
        QVERIFY(QDir().mkpath(folder));

        // The message a failed run shows (empty when it ran), and whether a run reached the
        // opener with the path.
        const auto failure = [](const QString& path) {
            TScriptedMessageBoxes boxes;
            boxes.expect(IDOK);
            if (LaunchCommand(path, QString()) || boxes.shown.size() != 1 ||
                boxes.shown[0].caption != QStringLiteral("Ошибка запуска команды"))
                return QString();
            return boxes.shown[0].text;
        };
        const auto message = [](const QString& path, const QString& reason) {
            return QStringLiteral("Не удаётся запустить команду\r\"") + path +
                   QStringLiteral("\" \r") + reason;
        };
        const auto opens = [&opened](const QString& path) {
            QFile::remove(opened);
            TScriptedMessageBoxes boxes; // no box may appear
            if (!LaunchCommand(path, QString()))
                return false;
            for (int i = 0; i < 400 && !QFile::exists(opened); ++i)
                QTest::qWait(25);
            const QUrl url = QUrl::fromEncoded(readAll(opened).trimmed());
            return QFileInfo(url.toLocalFile()).canonicalFilePath() ==
                   QFileInfo(path).canonicalFilePath();
        };
        const QString noTextViewer =
            QStringLiteral("Нет программы, которая открывает файлы "
                           "этого типа («%1», text/plain).")
                .arg(QMimeDatabase().mimeTypeForName("text/plain").comment());
        const QString noFolderViewer = QStringLiteral("Нет программы, которая открывает папки.");

        // Nothing installed: documents and folders are refused, the opener is never asked.
        QCOMPARE(failure(text), message(text, noTextViewer));
        QCOMPARE(failure(folder), message(folder, noFolderViewer));
        QVERIFY(!QFile::exists(opened));

        // An entry that says it opens plain text: every text, but still not other files.
        const QByteArray entry =
            "[Desktop Entry]\nType=Application\nName=Viewer\nExec=" + viewer.toUtf8() +
            " %f\nMimeType=text/plain;\n";
        writeAll(applications + QStringLiteral("/viewer.desktop"), entry);
        QVERIFY(opens(text));
        QCOMPARE(
            failure(binary),
            message(
                binary,
                QStringLiteral("Нет программы, которая открывает файлы этого "
                               "типа («%1», application/octet-stream).")
                    .arg(QMimeDatabase().mimeTypeForName("application/octet-stream").comment())));

        // The user's list removes it; a default that is not installed counts for nothing.
        writeAll(
            root + QStringLiteral("/config/mimeapps.list"),
            "[Removed Associations]\ntext/plain=viewer.desktop;\n"
            "[Default Applications]\ntext/plain=gone.desktop;\ninode/directory=gone.desktop\n");
        QCOMPARE(failure(text), message(text, noTextViewer));
        // The desktop's own list names an installed one, in a subfolder, for folders.
        QVERIFY(QDir().mkpath(root + QStringLiteral("/sys/applications/kde")));
        writeAll(root + QStringLiteral("/sys/applications/kde/files.desktop"),
                 "[Desktop Entry]\nType=Application\nName=Files\nExec=" + viewer.toUtf8() +
                     " %U\n");
        writeAll(root + QStringLiteral("/config/test-mimeapps.list"),
                 "[Default Applications]\ninode/directory=kde-files.desktop;\n");
        QVERIFY(opens(folder));
        // An entry whose program is gone does not count.
        writeAll(root + QStringLiteral("/sys/applications/kde/files.desktop"),
                 "[Desktop Entry]\nType=Application\nName=Files\nExec=/no/such/files %U\n");
        QCOMPARE(failure(folder), message(folder, noFolderViewer));

        // Web and mail addresses count as there and go to the opener as they are, once some
        // application takes their scheme.
        const QString page = QStringLiteral("https://example.org/a b?q=ц");
        QVERIFY(TargetExists(page));
        QVERIFY(TargetExists(QStringLiteral("mailto:me@example.org")));
        QFile::remove(opened);
        QCOMPARE(failure(page),
                 message(page, "Нет программы, которая открывает ссылки этого вида (https)."));
        QVERIFY(!QFile::exists(opened));
        writeAll(applications + QStringLiteral("/browser.desktop"),
                 "[Desktop Entry]\nType=Application\nName=Browser\nExec=" + viewer.toUtf8() +
                     " %u\nMimeType=x-scheme-handler/https;\n");
        {
            TScriptedMessageBoxes boxes; // no box may appear
            QVERIFY(LaunchCommand(page, QString()));
        }
        QTRY_VERIFY(QFile::exists(opened));
        QCOMPARE(QUrl::fromEncoded(readAll(opened).trimmed()), QUrl(page));
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
