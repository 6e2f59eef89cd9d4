#include "E2eSupport.h"

#include <QTest>

// The real program's command line and its global hotkey on an X display of their own.
class TestE2eCommandLine : public QObject
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

    void answersWithoutARunningCopy()
    {
        TProgram program(display);
        TProgram::TRun run = program.run({"--version"});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.startsWith("Kestrolin 1."), qPrintable(run.out));
        run = program.run({"--help"});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.out.contains("--toggle") && run.out.contains("--import"));

        run = program.run({"--frobnicate"});
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.err, "kestrolin: Неизвестный параметр «--frobnicate».\n"
                          "Список параметров: kestrolin --help\n");
        QVERIFY(run.out.isEmpty());
        QCOMPARE(program.run({"--add", "x", "--page", "0"}).exitCode, 2);

        // Nothing runs, so nothing is to be hidden or ended: said, and no program is started.
        for (const char* verb : {"--hide", "--quit"}) {
            run = program.run({verb});
            QCOMPARE(run.exitCode, 0);
            QCOMPARE(run.out, "Kestrolin не запущен.\n");
        }
        QVERIFY(program.waitForWindow(500).isEmpty());
        QVERIFY(!QFile::exists(program.file("Options.ini")));

        // The verbs about the files need no display at all.
        QProcessEnvironment headless = program.environment();
        headless.remove("DISPLAY");
        headless.remove("QT_QPA_PLATFORM");
        headless.remove("WAYLAND_DISPLAY");
        for (const QStringList& arguments :
             QList<QStringList>{{"--list"}, {"--list", "--json"}, {"--export", "out.zip"}}) {
            run = program.run(arguments, headless);
            QVERIFY2(run.finished && (run.exitCode == 0 || run.exitCode == 1),
                     qPrintable(arguments.join(' ') + ": " + run.err));
            QVERIFY2(!run.err.contains("display", Qt::CaseInsensitive), qPrintable(run.err));
        }
        QVERIFY(QFile::exists(program.file("Options.ini")));
    }

    void windowVerbsReachTheRunningCopy()
    {

        TProgram program(display);
        const QString window = program.startAndWait();
        QVERIFY(!window.isEmpty());

        QCOMPARE(program.run({"--hide"}).exitCode, 0);
        QVERIFY(waitUntil([&] { return !program.isVisible(window); }));
        QCOMPARE(program.run({"--show"}).exitCode, 0);
        QVERIFY(waitUntil([&] { return program.isVisible(window); }));
        // Shown and in front: a toggle hides it, the next one brings it back.
        QVERIFY(waitUntil([&] {
            return display.xdotool({"getactivewindow"}) == window ||
                   display.xdotool({"getwindowfocus"}) == window;
        }));
        QCOMPARE(program.run({"--toggle"}).exitCode, 0);
        QVERIFY(waitUntil([&] { return !program.isVisible(window); }));
        QCOMPARE(program.run({"--toggle"}).exitCode, 0);
        QVERIFY(waitUntil([&] { return program.isVisible(window); }));

        // A plain second start still only brings the window and ends at once.
        QCOMPARE(program.run({"--hide"}).exitCode, 0);
        QVERIFY(waitUntil([&] { return !program.isVisible(window); }));
        QCOMPARE(program.run({}).exitCode, 0);
        QVERIFY(waitUntil([&] { return program.isVisible(window); }));

        // A wrong command line never reaches the running copy.
        QCOMPARE(program.run({"--hide", "--show"}).exitCode, 2);
        QVERIFY(program.isVisible(window));

        QCOMPARE(program.run({"--quit"}).exitCode, 0);
        QVERIFY(waitUntil([&] { return program.waitForWindow(100).isEmpty(); }));
    }

    void hotkeyShowsAndHidesTheWindow()
    {
        TProgram program(display);
        const QString window = program.startAndWait();
        QVERIFY(!window.isEmpty());
        QCOMPARE(program.run({"--hide"}).exitCode, 0);
        QVERIFY(waitUntil([&] { return !program.isVisible(window); }));

        display.xdotool({"key", "ctrl+alt+k"});
        QVERIFY(waitUntil([&] { return program.isVisible(window); }));
        QVERIFY(waitUntil([&] { return display.xdotool({"getwindowfocus"}) == window; }));
        display.xdotool({"key", "ctrl+alt+k"});
        QVERIFY(waitUntil([&] { return !program.isVisible(window); }));
        // NumLock does not change what the combination is.
        display.xdotool({"key", "Num_Lock"});
        display.xdotool({"key", "ctrl+alt+k"});
        QVERIFY(waitUntil([&] { return program.isVisible(window); }));
        display.xdotool({"key", "Num_Lock"});
        program.stop();
    }

    void hotkeyHeldByAnotherProgramIsTold()
    {
        // The first program holds Ctrl+Alt+K; a second one, of another user's set-up (its own
        // lock), cannot take it and says so.
        TProgram holder(display);
        QVERIFY(!holder.startAndWait().isEmpty());
        TProgram other(display);
        QProcess copy;
        copy.setProcessEnvironment(other.environment());
        copy.start(other.file("kestrolin"), {});
        QVERIFY(copy.waitForStarted(5000));
        QString err;
        QVERIFY(waitUntil(
            [&] {
                err += QString::fromUtf8(copy.readAllStandardError());
                return err.contains("уже занято");
            },
            15000));
        QVERIFY2(err.contains("Сочетание клавиш Ctrl+Alt+K уже занято другой программой."),
                 qPrintable(err));
        // And in a box on the screen: a dialog window of that program.
        const QString pid = QString::number(copy.processId());
        QVERIFY(waitUntil([&] {
            const QStringList windows =
                display.xdotool({"search", "--onlyvisible", "--pid", pid, "--name", "^Kestrolin$"})
                    .split('\n', Qt::SkipEmptyParts);
            for (const QString& window : windows) {
                QProcess xprop;
                QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
                env.insert("DISPLAY", display.name());
                xprop.setProcessEnvironment(env);
                xprop.start("xprop", {"-id", window, "_NET_WM_WINDOW_TYPE"});
                xprop.waitForFinished(5000);
                if (xprop.readAllStandardOutput().contains("_NET_WM_WINDOW_TYPE_DIALOG"))
                    return true;
            }
            return false;
        }));
        copy.kill();
        copy.waitForFinished(5000);
        holder.stop();
    }

    // Last: trayer, the tray host, does not always survive a program that ends right after its
    // icon appeared, and the tests before need the tray to hide the window into.
    void showStartsTheProgramWithItsWindow()
    {
        TProgram program(display);
        // Even a program set to hide after loading shows itself when asked to.
        program.write("Options.ini", "[Minimize]\r\nAfterLoad=1\r\n");
        QProcess* copy = program.start({"--show"});
        const QString window = program.waitForWindow();
        QVERIFY(!window.isEmpty());
        QVERIFY(program.waitForPages(window));
        QVERIFY(program.isVisible(window));
        QCOMPARE(copy->state(), QProcess::Running);
        // --quit ends it, and the asking copy learns that it worked.
        const TProgram::TRun run = program.run({"--quit"});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(copy->waitForFinished(10000));
        QCOMPARE(copy->exitCode(), 0);
    }
};

QTEST_MAIN(TestE2eCommandLine)
#include "tst_e2e_commandline.moc"
