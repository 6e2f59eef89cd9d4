#include "TestSupport.h"
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

    QString installInto(const QTemporaryDir& dir)
    {
        const QString copy = dir.filePath("kestrolin");
        QFile::copy(m_program, copy);
        QFile::setPermissions(copy, QFile::permissions(m_program));
        return copy;
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

    void foldersFallBackToThePerUserFolder()
    {
        // /proc cannot be written even by root, like an installed copy's folder.
        QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        Folders::initialize("/proc");
        QCOMPARE(Folders::appFolder(), config.path() + "/Kestrolin/");
        QCOMPARE(Folders::executableFolder(), QString("/proc/"));
        QCOMPARE(Folders::skinsFolder(), config.path() + "/Kestrolin/skins/");
        QVERIFY(QFileInfo(Folders::appFolder()).isDir());

        // The skins of an installed copy stay beside the executable until the user has his own.
        QTemporaryDir installed, perUser;
        QDir(installed.path()).mkpath("skins");
        Folders::initializeWith(perUser.path(), installed.path());
        QCOMPARE(Folders::skinsFolder(), installed.path() + "/skins/");
        QDir(perUser.path()).mkpath("skins");
        Folders::initializeWith(perUser.path(), installed.path());
        QCOMPARE(Folders::skinsFolder(), perUser.path() + "/skins/");

        QTemporaryDir writable;
        Folders::initialize(writable.path());
        QCOMPARE(Folders::appFolder(), writable.path() + '/');
        Folders::clear();
        qunsetenv("XDG_CONFIG_HOME");
    }

    void unwritableFolderUsesPerUserFolder()
    {
        if (getuid() == 0)
            QSKIP("root writes into read-only folders; checked by the e2e suite as a normal user");
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
