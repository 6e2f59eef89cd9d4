#include "E2eSupport.h"

#include <QDir>
#include <QTest>

// The real program when its lock is held by something that is not a running copy.
class TestE2eSingleInstance : public QObject
{
    Q_OBJECT

    TDisplay display;

private slots:
    void initTestCase()
    {
        QString why;
        if (!display.start(true, &why))
            QSKIP(qPrintable("no X display for end-to-end tests: " + why));
    }

    void lockWithoutARunningCopyIsReported()
    {
        TProgram program(display);
        // A folder where the lock file belongs: taken, and no copy there to answer.
        const QString runtime = program.environment().value("XDG_RUNTIME_DIR");
        QVERIFY(QDir(runtime).mkdir("kestrolin.lock"));
        QProcess* copy = program.start();
        // The program says so in a box of its own instead of ending without a word.
        const QString box = program.waitForWindow();
        QVERIFY2(!box.isEmpty(), "no message appeared");
        QCOMPARE(copy->state(), QProcess::Running);
        display.xdotool({"windowfocus", "--sync", box});
        display.xdotool({"key", "Return"});
        QVERIFY(copy->waitForFinished(10000));
        QCOMPARE(copy->exitCode(), 1);
        // Nothing of a running program was made.
        QVERIFY(!QFile::exists(runtime + "/kestrolin.socket"));
    }
};

QTEST_MAIN(TestE2eSingleInstance)
#include "tst_e2e_singleinstance.moc"
