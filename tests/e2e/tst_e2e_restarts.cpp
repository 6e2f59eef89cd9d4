#include "E2eSupport.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <signal.h>

// The real program used, ended and started again: what it stored must bring back what the user
// left.
class TestE2eRestarts : public QObject
{
    Q_OBJECT

    TDisplay display;

    // Pages A, B, C of 1 x 5 buttons. A's buttons 0 and 1 and B's button 0 run a script that
    // notes its argument ("one", "three", "two"); C's button 3 runs /bin/true.
    void prepare(TProgram& program)
    {
        const QString script = program.markerScript();
        const QByteArray icon = program.file("kestrolin-icons.ico").toUtf8();
        program.write("Options.ini",
                      "[PageControl]\r\nColCount=1\r\nCommandsCount=5\r\nPagesCount=3\r\n"
                      "[MainForm]\r\nLeft=700\r\nTop=500\r\n"
                      "[Conformations]\r\nDelPage=0\r\n");
        program.write(
            "Pages.ini",
            "[0]\r\nCaption=A\r\nImageIndex=-1\r\n\r\n[1]\r\nCaption=B\r\nImageIndex=-1\r\n\r\n"
            "[2]\r\nCaption=C\r\nImageIndex=-1\r\n");
        auto command = [&](const char* section, const char* description, const char* word) {
            return "[" + QByteArray(section) + "]\r\nExePath=" + script.toUtf8() +
                   "\r\nIconPath=" + icon + "\r\nIconIndex=0\r\nDescription=" + description +
                   "\r\nParameters=" + word + "\r\n\r\n";
        };
        program.write("Commands.ini",
                      command("0\\0", "first", "one") + command("0\\1", "other", "three") +
                          command("1\\0", "second", "two") +
                          "[2\\3]\r\nExePath=/bin/true\r\nIconIndex=0\r\nDescription=third\r\n");
    }

    // Starts the program; its window once it stands with its pages, or none.
    QString startAndWait(TProgram& program)
    {
        program.start();
        const QString window = program.waitForWindow();
        return !window.isEmpty() && program.waitForPages(window) ? window : QString();
    }

    // The centre of button row (column 0) of the active page.
    QPoint button(const QRect& window, int row) const
    {
        return window.topLeft() + QPoint(2 + 20, 2 + row * 41 + 20);
    }
    QPoint quickLaunch(const QRect& window) const
    {
        return window.topLeft() + QPoint(20, window.height() - 12);
    }

    // The wheel turned over the buttons shows the next or the previous page.
    void turnWheel(const QRect& window, const char* button)
    {
        const QPoint p = this->button(window, 4);
        // The X server hands the program the move, the turn and what follows in this order.
        display.xdotool({"mousemove", "--sync", QString::number(p.x()), QString::number(p.y())});
        display.xdotool({"click", button});
    }
    void nextPage(const QRect& window) { turnWheel(window, "5"); }
    void previousPage(const QRect& window) { turnWheel(window, "4"); }

    // Ends the program as the session's end does: it stores what waits for the exit.
    static bool stop(QProcess* process)
    {
        ::kill(pid_t(process->processId()), SIGTERM);
        return process->waitForFinished(10000) && process->exitCode() == 0;
    }

private slots:
    void initTestCase()
    {
        QString why;
        if (!display.start(true, &why))
            QSKIP(qPrintable("no X display for end-to-end tests: " + why));
    }

    void startsWithoutAnyPage()
    {
        // A stored count of 0 once ended every start at once, without a word.
        TProgram program(display);
        prepare(program);
        program.write("Options.ini", "[PageControl]\r\nColCount=1\r\nCommandsCount=5\r\n"
                                     "PagesCount=0\r\n[MainForm]\r\nLeft=700\r\nTop=500\r\n");
        program.write("RunStat.ini", "[0\\0]\r\nRunCount=3\r\n");
        const QByteArray commands = program.read("Commands.ini");
        for (int start = 0; start < 2; ++start) {
            QProcess* process = program.start();
            const QString window = program.waitForWindow();
            QVERIFY2(!window.isEmpty(), "no window: the program ended");
            QVERIFY(
                waitUntil([&] { return program.read("Options.ini").contains("PagesCount=1"); }));
            QVERIFY(program.read("Pages.ini").contains(QStringLiteral("Caption=Новая").toUtf8()));
            QCOMPARE(program.read("Commands.ini"), commands);
            QVERIFY(stop(process));
        }
        QVERIFY(program.read("RunStat.ini").startsWith("[0\\0]\r\nRunCount=3\r\n"));
    }

    void runCountsStayWithTheirCommands()
    {
        TProgram program(display);
        prepare(program);
        QProcess* first = program.start();
        QString window = program.waitForWindow();
        QVERIFY(!window.isEmpty());
        QVERIFY(program.waitForPages(window));
        QRect r = program.windowGeometry(window);

        // "second" on page B run twice.
        nextPage(r);
        display.click(button(r, 0));
        QVERIFY(waitUntil([&] { return program.markerLines().size() == 1; }));
        display.click(button(r, 0));
        QVERIFY(waitUntil([&] { return program.markerLines().size() == 2; }));
        QCOMPARE(program.markerLines(), QStringList({"two", "two"}));
        QVERIFY(waitUntil([&] { return program.read("RunStat.ini").contains("RunCount=2"); }));

        // Page A deleted: B becomes the first page, its count goes with it.
        previousPage(r);
        display.xdotool({"windowfocus", "--sync", window});
        display.xdotool({"key", "ctrl+Delete"});
        QVERIFY(waitUntil([&] {
            return program.read("Options.ini").contains("PagesCount=2") &&
                   program.read("Pages.ini").contains("[0]\r\nCaption=B");
        }));
        QVERIFY(stop(first));
        const QByteArray stat = program.read("RunStat.ini");
        QVERIFY2(stat.contains("[0\\0]\r\nRunCount=2"), stat.constData());

        // At the next start the quick-launch button offers "second", and runs it.
        window = startAndWait(program);
        QVERIFY(!window.isEmpty());
        r = program.windowGeometry(window);
        display.click(quickLaunch(r));
        QVERIFY2(waitUntil([&] {
                     return program.markerLines() == QStringList({"two", "two", "two"});
                 }),
                 qPrintable(program.markerLines().join(',')));
        QVERIFY(waitUntil([&] { return program.read("RunStat.ini").contains("RunCount=3"); }));
    }

    void movingACommandIsNoRun()
    {
        TProgram program(display);
        prepare(program);
        QProcess* first = program.start();
        const QString window = program.waitForWindow();
        QVERIFY(program.waitForPages(window));
        const QRect r = program.windowGeometry(window);
        display.click(button(r, 0));
        QVERIFY(waitUntil([&] { return program.markerLines() == QStringList({"one"}); }));

        // "other", never run, dragged with Alt from button 1 to button 3.
        const QPoint from = button(r, 1), to = button(r, 3);
        display.altDrag(from, to);
        QVERIFY(waitUntil([&] {
            const QByteArray commands = program.read("Commands.ini");
            return commands.contains("[0\\3]") && !commands.contains("[0\\1]");
        }));
        QVERIFY(stop(first));

        // The command run last is still the one the quick-launch button offers.
        const QString again = startAndWait(program);
        QVERIFY(!again.isEmpty());
        display.click(quickLaunch(program.windowGeometry(again)));
        QVERIFY2(waitUntil([&] {
                     return program.markerLines() == QStringList({"one", "one"});
                 }),
                 qPrintable(program.markerLines().join(',')));
    }
};

QTEST_MAIN(TestE2eRestarts)
#include "tst_e2e_restarts.moc"
