// The lock that keeps one copy per user, in folders of the test's own.
#include "TestSupport.h"
#include "platform/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <thread>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

mode_t modeOf(const QString& path)
{
    struct stat info = {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void oneCopyPerFolder()
    {
        QTemporaryDir dir;
        TSingleInstance first(dir.path());
        QString reason;
        QCOMPARE(first.becomePrimary(&reason), TSingleInstance::TRole::Primary);
        TSingleInstance second(dir.path());
        QCOMPARE(second.becomePrimary(&reason), TSingleInstance::TRole::Secondary);
        QVERIFY(reason.isEmpty());
    }

    void lockThatCannotBeTakenSaysWhy()
    {
        // The folder for the lock lies below a file: it can never be made.
        QTemporaryDir dir;
        writeAll(dir.filePath("file"), "x");
        const QString folder = dir.filePath("file/runtime");
        TSingleInstance instance(folder);
        QString reason;
        QCOMPARE(instance.becomePrimary(&reason), TSingleInstance::TRole::Failed);
        QCOMPARE(reason, "Папки " + folder + " нет, и создать её не удаётся.");
    }

    void noRuntimeFolderMeansNoSharedLock()
    {
        // No runtime folder to be had: the variable is unset and the temporary folder's
        // per-user runtime folder is taken by a file.
        QTemporaryDir dir;
        const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
        const QByteArray savedTemp = qgetenv("TMPDIR");
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", QFile::encodeName(dir.path()));
        const passwd* user = ::getpwuid(::geteuid());
        QVERIFY(user);
        writeAll(dir.filePath(QStringLiteral("runtime-") + QString::fromLocal8Bit(user->pw_name)),
                 "x");
        const QString lock = TSingleInstance().lockPath();
        for (const auto& [name, value] :
             {std::pair{"XDG_RUNTIME_DIR", savedRuntime}, std::pair{"TMPDIR", savedTemp}})
            value.isNull() ? qunsetenv(name) : qputenv(name, value);
        QCOMPARE(lock,
                 dir.filePath("kestrolin-" + QString::number(::geteuid()) + "/kestrolin.lock"));
    }

    void perUserFolderWithoutARuntimeFolder()
    {
        QTemporaryDir dir;
        const QString temp = dir.filePath("tmp");
        const QString cache = dir.filePath("cache");
        QVERIFY(QDir().mkpath(temp));
        QVERIFY(::chmod(QFile::encodeName(temp).constData(), 01777) == 0);

        // The runtime folder, when there is one.
        QCOMPARE(TSingleInstance::UserRuntimeFolder("/run/user/7", temp, cache), "/run/user/7");

        // Else a folder of the user's own in the temporary folder, never that folder itself.
        const QString own = temp + "/kestrolin-" + QString::number(::geteuid());
        QCOMPARE(TSingleInstance::UserRuntimeFolder(QString(), temp, cache), own);
        QVERIFY(QFileInfo(own).isDir());
        QCOMPARE(modeOf(own), mode_t(0700));
        // Found open to others (made by hand, say): closed again.
        QVERIFY(::chmod(QFile::encodeName(own).constData(), 0777) == 0);
        QCOMPARE(TSingleInstance::UserRuntimeFolder(QString(), temp, cache), own);
        QCOMPARE(modeOf(own), mode_t(0700));
        TSingleInstance instance(TSingleInstance::UserRuntimeFolder(QString(), temp, cache));
        QCOMPARE(instance.becomePrimary(), TSingleInstance::TRole::Primary);
        QCOMPARE(instance.lockPath(), own + "/kestrolin.lock");

        // Something else in its place (a link someone left there, a file): the cache folder.
        QVERIFY(QDir(own).removeRecursively());
        QVERIFY(QDir().mkpath(dir.filePath("elsewhere")));
        QVERIFY(QFile::link(dir.filePath("elsewhere"), own));
        QCOMPARE(TSingleInstance::UserRuntimeFolder(QString(), temp, cache), cache + "/kestrolin");
        QVERIFY(QFile::remove(own));
        writeAll(own, "x");
        QCOMPARE(TSingleInstance::UserRuntimeFolder(QString(), temp, cache), cache + "/kestrolin");
        QCOMPARE(TSingleInstance::UserRuntimeFolder(QString(), QString(), QString()),
                 QDir::homePath() + "/.cache/kestrolin");
    }

    void verbsAreAnsweredByTheRunningCopy()
    {
        QTemporaryDir dir;
        TSingleInstance first(dir.path());
        QCOMPARE(first.becomePrimary(), TSingleInstance::TRole::Primary);
        QList<TProgramArguments> received;
        TSingleInstance::TReply later;
        bool answer = true;
        first.setVerbHandler(
            [&](const TProgramArguments& verb, const TSingleInstance::TReply& reply) {
                received.append(verb);
                if (!answer)
                    return;
                if (verb.verb == TVerb::Export) {
                    // Answered after the handler has returned, as a verb that waits for the
                    // pages to load.
                    later = reply;
                    QTimer::singleShot(100, &first, [&later] { later({true, "Выгружено."}); });
                    return;
                }
                reply({verb.verb != TVerb::Run, "Ответ на " + VerbOption(verb.verb)});
                // A second answer to the same request goes nowhere.
                reply({true, "лишнее"});
            });
        // The asking copy waits for the answer while this one's event loop runs.
        auto ask = [&](const QString& folder, const QStringList& arguments, int connectMs,
                       int answerMs) {
            TVerbResult result;
            bool delivered = false;
            std::atomic<bool> done = false;
            std::thread asking([&] {
                TSingleInstance second(folder);
                delivered = second.askPrimary(ParseProgramArguments(arguments), &result, connectMs,
                                              answerMs);
                done = true;
            });
            const bool answered = QTest::qWaitFor([&] { return done.load(); }, 20000);
            Q_UNUSED(answered); // the thread ends either way: askPrimary has its own deadlines
            asking.join();
            return std::make_pair(delivered, result);
        };

        auto [delivered, result] = ask(dir.path(), {"--hide"}, 2000, 10000);
        QVERIFY(delivered);
        QCOMPARE(result.ok, true);
        QCOMPARE(result.text, "Ответ на --hide");
        std::tie(delivered, result) = ask(dir.path(), {"--run", "Почта"}, 2000, 10000);
        QVERIFY(delivered);
        QCOMPARE(result.ok, false);
        QCOMPARE(received.last().text, "Почта");
        std::tie(delivered, result) = ask(dir.path(), {"--export", "/tmp/a.zip"}, 2000, 10000);
        QCOMPARE(result.ok, true);
        QCOMPARE(result.text, "Выгружено.");

        // A copy that takes the request and never answers: the asking one gives up and says so.
        answer = false;
        std::tie(delivered, result) = ask(dir.path(), {"--show"}, 2000, 300);
        QVERIFY(!delivered);
        QCOMPARE(result.ok, false);
        QCOMPARE(result.text, "Запущенная копия программы не ответила вовремя.");
        // One that knows no verbs refuses them instead of leaving the asker waiting.
        first.setVerbHandler(nullptr);
        std::tie(delivered, result) = ask(dir.path(), {"--show"}, 2000, 10000);
        QCOMPARE(result.ok, false);
        QCOMPARE(result.text, "Запущенная копия программы не принимает команды.");

        // Nobody listens at all.
        QTemporaryDir empty;
        std::tie(delivered, result) = ask(empty.path(), {"--quit"}, 200, 1000);
        QVERIFY(!delivered);
        QCOMPARE(result.text, "Запущенная копия программы не отвечает.");

        // The plain second start still just asks for the window.
        QSignalSpy activations(&first, &TSingleInstance::activationRequested);
        TSingleInstance second(dir.path());
        QVERIFY(second.sendToPrimary("activate"));
        QVERIFY(activations.wait(5000));

        // An endless line is cut off without taking the copy down.
        QLocalSocket junk;
        junk.connectToServer(first.socketPath());
        QVERIFY(junk.waitForConnected(2000));
        junk.write(QByteArray(200 * 1024, 'x'));
        junk.flush();
        QTRY_VERIFY(junk.state() == QLocalSocket::UnconnectedState);
        answer = true;
        first.setVerbHandler([](const TProgramArguments&, const TSingleInstance::TReply& reply) {
            reply({true, "ещё жива"});
        });
        std::tie(delivered, result) = ask(dir.path(), {"--toggle"}, 2000, 10000);
        QCOMPARE(result.text, "ещё жива");
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
