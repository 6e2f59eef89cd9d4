#include "CoreSupport.h"
#include "settings/Folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// Starts the real program from a folder of its own, as a user's portable copy.
class TestStartup : public QObject
{
    Q_OBJECT

    QString m_program = QStringLiteral(KESTROLIN_BINARY_DIR "/bin/kestrolin");

    // A portable copy: the program with the marker that keeps its settings beside it.
    QString installInto(const QTemporaryDir& dir, bool portable = true)
    {
        const QString copy = dir.filePath("kestrolin");
        QFile::copy(m_program, copy);
        QFile::setPermissions(copy, QFile::permissions(m_program));
        if (portable)
            writeAll(dir.filePath(Folders::PortableMarkerName), QByteArray());
        return copy;
    }

    static QStringList entries(const QString& folder)
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    void prepare(QProcess& p, const QString& program, const QString& runtime)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_RUNTIME_DIR", runtime);
        env.insert("XDG_CONFIG_HOME", runtime + "/config");
        p.setProcessEnvironment(env);
        p.setProgram(program);
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    }

    // A start with the start-up probe: its lines, once the program has ended by itself.
    QStringList probeRun(const QString& program, const QString& runtime)
    {
        QProcess p;
        prepare(p, program, runtime);
        QProcessEnvironment env = p.processEnvironment();
        env.insert("KESTROLIN_STARTUP_PROBE", "start");
        p.setProcessEnvironment(env);
        p.start();
        if (!p.waitForFinished(30000)) {
            p.kill();
            p.waitForFinished();
            return {};
        }
        return QString::fromLocal8Bit(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    }

    static QString probeValue(const QStringList& lines, const QString& label)
    {
        for (const QString& line : lines)
            if (line.startsWith(label + ' '))
                return line.mid(label.size() + 1);
        return QString();
    }

    static bool copyFile(const QString& from, const QString& to)
    {
        QDir().mkpath(QFileInfo(to).absolutePath());
        return QFile::copy(from, to) && QFile::setPermissions(to, QFile::permissions(from));
    }

    static bool waitFor(const std::function<bool()>& condition, int ms = 10000)
    {
        QDeadlineTimer deadline(ms);
        while (!condition()) {
            if (deadline.hasExpired())
                return false;
            QTest::qWait(20);
        }
        return true;
    }

private slots:
    void firstStartCreatesFilesAndSecondStartEnds()
    {
        QTemporaryDir dir, runtime;
        const QString program = installInto(dir);
        QProcess first;
        prepare(first, program, runtime.path());
        first.start();
        QVERIFY(first.waitForStarted());
        QVERIFY(waitFor([&] { return QFile::exists(runtime.filePath("kestrolin.socket")); }));

        const QByteArray options = readAll(dir.filePath("Options.ini"));
        QVERIFY(options.startsWith("[PageControl]\r\nColCount=1\r\n"));
        QVERIFY(!options.contains("[Conformations]"));
        QCOMPARE(readAll(dir.filePath("Pages.ini")),
                 QStringLiteral("[0]\r\nCaption=Новая\r\nImageIndex=-1\r\n").toUtf8());

        QProcess second;
        prepare(second, program, runtime.path());
        second.start();
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);

        first.terminate();
        QVERIFY(first.waitForFinished(10000));
    }

    void twoCopiesAtOnceLeaveOne()
    {
        QTemporaryDir dir, runtime;
        const QString program = installInto(dir);
        QProcess a, b;
        prepare(a, program, runtime.path());
        prepare(b, program, runtime.path());
        a.start();
        b.start();
        QVERIFY(a.waitForStarted() && b.waitForStarted());
        // One of them ends with code 0; the other keeps running.
        QVERIFY(waitFor([&] {
            return a.state() == QProcess::NotRunning || b.state() == QProcess::NotRunning;
        }));
        QProcess& ended = a.state() == QProcess::NotRunning ? a : b;
        QProcess& running = &ended == &a ? b : a;
        QCOMPARE(ended.exitCode(), 0);
        QTest::qWait(500);
        QCOMPARE(running.state(), QProcess::Running);
        running.terminate();
        QVERIFY(running.waitForFinished(10000));
    }

    void foldersFollowTheKindOfFolder()
    {
        QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        const QString perUser = config.path() + "/Kestrolin/";

        // A folder without a marker keeps the settings per user, even when it can be written,
        // and gets nothing written into it; its shipped files are still read from it.
        QTemporaryDir plain;
        QDir(plain.path()).mkpath("skins");
        Folders::initialize(plain.path());
        QCOMPARE(Folders::appFolder(), perUser);
        QVERIFY(QFileInfo(perUser).isDir());
        QCOMPARE(Folders::dataFolder(), plain.path() + '/');
        QCOMPARE(Folders::shell32Path(), plain.path() + "/kestrolin-icons.ico");
        QCOMPARE(Folders::skinsFolder(), plain.path() + "/skins/");
        QCOMPARE(entries(plain.path()), QStringList{"skins"});
        // Where the platform keeps settings in the program's folder, it needs no marker; this
        // system keeps them per user.
        QVERIFY(!Folders::programFolderHoldsSettings());
        Folders::initialize(plain.path(), Folders::programFolderHoldsSettings());
        QCOMPARE(Folders::appFolder(), perUser);
        Folders::initialize(plain.path(), true);
        QCOMPARE(Folders::appFolder(), plain.path() + '/');

        // Either marker makes the folder portable: settings, skins and icons side by side.
        for (const QString& marker : {Folders::PortableMarkerName, QStringLiteral("Options.ini")}) {
            QTemporaryDir portable;
            writeAll(portable.filePath(marker), QByteArray());
            QVERIFY(Folders::isPortableFolder(portable.path()));
            Folders::initialize(portable.path());
            QCOMPARE(Folders::appFolder(), portable.path() + '/');
            QCOMPARE(Folders::dataFolder(), portable.path() + '/');
            QCOMPARE(Folders::skinsFolder(), portable.path() + "/skins/");
            QCOMPARE(Folders::shell32Path(), portable.path() + "/kestrolin-icons.ico");
        }

        // A portable folder that cannot be written (not even by root) gives way.
        Folders::initialize("/proc", true);
        QCOMPARE(Folders::appFolder(), perUser);

        // The build's program folder is portable and is no installed copy.
        QVERIFY(Folders::isPortableFolder(KESTROLIN_BINARY_DIR "/bin"));
        QVERIFY(Folders::installedDataFolder(KESTROLIN_BINARY_DIR "/bin").isEmpty());
        Folders::clear();
        qunsetenv("XDG_CONFIG_HOME");
    }

    void installedCopyReadsShareAndWritesPerUser()
    {
        QTemporaryDir config, prefix;
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        const QString perUser = config.path() + "/Kestrolin/";
        // The layout the install makes; an Options.ini and a marker left in bin/ (an older
        // version wrote them there when run as root) do not make it portable.
        QDir(prefix.path()).mkpath("bin");
        QDir(prefix.path()).mkpath("share/kestrolin/skins");
        writeAll(prefix.filePath("bin/Options.ini"), "[PageControl]\r\n");
        writeAll(prefix.filePath("bin/portable"), QByteArray());
        const QString data = prefix.path() + "/share/kestrolin/";
        QCOMPARE(Folders::installedDataFolder(prefix.filePath("bin")), data);

        Folders::initialize(prefix.filePath("bin"));
        QCOMPARE(Folders::appFolder(), perUser);
        QCOMPARE(Folders::dataFolder(), data);
        QCOMPARE(Folders::shell32Path(), data + "kestrolin-icons.ico");
        QCOMPARE(Folders::skinsFolder(), data + "skins/");
        QCOMPARE(entries(prefix.filePath("bin")), (QStringList{"Options.ini", "portable"}));

        // The shipped skins serve until the user makes a skins folder of his own.
        QDir(perUser).mkpath("skins");
        Folders::initialize(prefix.filePath("bin"));
        QCOMPARE(Folders::skinsFolder(), perUser + "skins/");
        Folders::clear();
        qunsetenv("XDG_CONFIG_HOME");
    }

    void copiesFindTheirShippedFiles()
    {
        const QString built = KESTROLIN_BINARY_DIR "/bin/";
        const QByteArray chooseSkin = "[Skins]\r\nSelectedSkinFileName=Graphite.skn\r\n";

        // Installed: the shipped files under share/kestrolin, the settings per user, nothing
        // written beside the executable.
        QTemporaryDir prefix, runtime;
        const QString data = prefix.path() + "/share/kestrolin/";
        QVERIFY(copyFile(m_program, prefix.filePath("bin/kestrolin")));
        QVERIFY(copyFile(built + "kestrolin-icons.ico", data + "kestrolin-icons.ico"));
        QVERIFY(copyFile(built + "skins/Graphite.skn", data + "skins/Graphite.skn"));
        const QString perUser = runtime.path() + "/config/Kestrolin/";
        QDir().mkpath(perUser);
        writeAll(perUser + "Options.ini", chooseSkin);
        QStringList lines = probeRun(prefix.filePath("bin/kestrolin"), runtime.path());
        QVERIFY2(!probeValue(lines, "loaded-ms").isEmpty(), qPrintable(lines.join('\n')));
        QCOMPARE(probeValue(lines, "settings-folder"), perUser);
        QCOMPARE(probeValue(lines, "icon-library"), data + "kestrolin-icons.ico");
        QCOMPARE(probeValue(lines, "skin"), data + "skins/Graphite.skn");
        // The window's place is written at the exit.
        QVERIFY(readAll(perUser + "Options.ini").contains("[MainForm]"));
        QCOMPARE(entries(prefix.filePath("bin")), QStringList{"kestrolin"});

        // Portable: everything side by side.
        QTemporaryDir portable, runtime2;
        const QString folder = portable.path() + '/';
        installInto(portable);
        QVERIFY(copyFile(built + "kestrolin-icons.ico", folder + "kestrolin-icons.ico"));
        QVERIFY(copyFile(built + "skins/Graphite.skn", folder + "skins/Graphite.skn"));
        writeAll(folder + "Options.ini", chooseSkin);
        lines = probeRun(folder + "kestrolin", runtime2.path());
        QVERIFY2(!probeValue(lines, "loaded-ms").isEmpty(), qPrintable(lines.join('\n')));
        QCOMPARE(probeValue(lines, "settings-folder"), folder);
        QCOMPARE(probeValue(lines, "icon-library"), folder + "kestrolin-icons.ico");
        QCOMPARE(probeValue(lines, "skin"), folder + "skins/Graphite.skn");
        QVERIFY(readAll(folder + "Options.ini").contains("[MainForm]"));
    }

    void copyWithoutMarkerWritesNothingBesideItself()
    {
        QTemporaryDir dir, runtime;
        const QString program = installInto(dir, false);
        QProcess p;
        prepare(p, program, runtime.path());
        p.start();
        QVERIFY(p.waitForStarted());
        const QString perUser = runtime.path() + "/config/Kestrolin/";
        QVERIFY(waitFor([&] { return QFile::exists(runtime.filePath("kestrolin.socket")); }));
        QVERIFY(readAll(perUser + "Options.ini").startsWith("[PageControl]\r\n"));
        QVERIFY(QFile::exists(perUser + "Pages.ini"));
        p.terminate();
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(entries(dir.path()), QStringList{"kestrolin"});
    }

    void unwritableFolderUsesPerUserFolder()
    {
        if (getuid() == 0)
            QSKIP("root writes into read-only folders; checked by the e2e suite as a normal user");
        // A portable copy on a medium it cannot write.
        QTemporaryDir dir, runtime;
        const QString program = installInto(dir);
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        QProcess p;
        prepare(p, program, runtime.path());
        p.start();
        const QString perUser = runtime.path() + "/config/Kestrolin/Options.ini";
        QVERIFY(waitFor([&] { return QFile::exists(perUser); }));
        p.terminate();
        p.waitForFinished(10000);
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!QFile::exists(dir.filePath("Options.ini")));
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
