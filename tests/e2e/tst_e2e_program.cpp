#include "E2eSupport.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include <signal.h>

// The real program on a prepared profile of three pages, driven the way a user drives it.
class TestE2eProgram : public QObject
{
    Q_OBJECT

    TDisplay display;

    // Three pages A, B, C of 1 x 5 buttons; 0\0 and 1\0 run a script that notes its arguments.
    void prepare(TProgram& program, const QByteArray& extraOptions = QByteArray())
    {
        const QString script = program.markerScript();
        const QByteArray icon = program.file("kestrolin-icons.ico").toUtf8();
        program.write("Options.ini",
                      "[PageControl]\r\nColCount=1\r\nCommandsCount=5\r\nPagesCount=3\r\n"
                      "[MainForm]\r\nLeft=700\r\nTop=500\r\n" +
                          extraOptions);
        program.write(
            "Pages.ini",
            "[0]\r\nCaption=A\r\nImageIndex=-1\r\n\r\n[1]\r\nCaption=B\r\nImageIndex=-1\r\n\r\n"
            "[2]\r\nCaption=C\r\nImageIndex=-1\r\n");
        program.write("Commands.ini",
                      "[0\\0]\r\nExePath=" + script.toUtf8() + "\r\nIconPath=" + icon +
                          "\r\nIconIndex=0\r\nDescription=first\r\nParameters=one\r\n\r\n"
                          "[1\\0]\r\nExePath=" +
                          script.toUtf8() + "\r\nIconPath=" + icon +
                          "\r\nIconIndex=0\r\nDescription=second\r\nParameters=two\r\n\r\n"
                          "[2\\3]\r\nExePath=/bin/true\r\nIconIndex=0\r\nDescription=third\r\n");
    }

    // The centre of button row (column 0) of the active page.
    QPoint button(const QRect& window, int row) const
    {
        return window.topLeft() + QPoint(2 + 20, 2 + row * 41 + 20);
    }
    // The centre of tab i: tabs of one-letter captions are about 29 pixels long.
    QPoint tab(const QRect& window, int i) const
    {
        return window.topLeft() + QPoint(71 - 12, 14 + i * 29);
    }

private slots:
    void initTestCase()
    {
        QString why;
        if (!display.start(true, &why))
            QSKIP(qPrintable("no X display for end-to-end tests: " + why));
    }

    void clickRunsAndQuickLaunchRepeats()
    {
        TProgram program(display);
        prepare(program);
        program.start();
        const QString window = program.waitForWindow();
        QVERIFY(!window.isEmpty());
        QVERIFY(program.waitForPages(window));
        const QRect r = program.windowGeometry(window);
        QCOMPARE(r.topLeft(), QPoint(700, 500));
        QCOMPARE(r.width(), 74);

        display.click(button(r, 0));
        QVERIFY(waitUntil([&] { return program.markerLines() == QStringList({"one"}); }));
        QVERIFY(waitUntil([&] { return program.read("RunStat.ini").contains("RunCount=1"); }));

        // The quick-launch button now shows that command and runs it again.
        display.click(r.topLeft() + QPoint(20, r.height() - 12));
        QVERIFY(waitUntil([&] { return program.markerLines() == QStringList({"one", "one"}); }));
        QVERIFY(waitUntil([&] { return program.read("RunStat.ini").contains("RunCount=2"); }));
    }

    void altDragMovesACommand()
    {
        TProgram program(display);
        prepare(program);
        program.start();
        const QString window = program.waitForWindow();
        QVERIFY(program.waitForPages(window));
        const QRect r = program.windowGeometry(window);
        const QPoint from = button(r, 0), to = button(r, 2);
        display.altDrag(from, to);
        QVERIFY(waitUntil([&] {
            const QByteArray commands = program.read("Commands.ini");
            return commands.contains("[0\\2]") && !commands.contains("[0\\0]");
        }));
        QVERIFY(program.read("Commands.ini").contains("Description=first"));
    }

    void deletingAPageRenumbers()
    {
        TProgram program(display);
        prepare(program, "[Conformations]\r\nDelPage=0\r\n");
        program.start();
        const QString window = program.waitForWindow();
        QVERIFY(program.waitForPages(window));
        const QRect r = program.windowGeometry(window);
        display.click(tab(r, 1));
        display.xdotool({"windowfocus", "--sync", window});
        display.xdotool({"key", "ctrl+Delete"});
        // The three files are written one after another; wait for the last of them.
        QVERIFY(waitUntil([&] {
            const QByteArray commands = program.read("Commands.ini");
            return program.read("Options.ini").contains("PagesCount=2") &&
                   program.read("Pages.ini").contains("[1]\r\nCaption=C") &&
                   commands.contains("[1\\3]") && !commands.contains("[2\\3]");
        }));
        QVERIFY(!program.read("Commands.ini").contains("Description=second"));
    }

    void secondStartRestoresAHiddenWindow()
    {
        TProgram program(display);
        prepare(program, "[Minimize]\r\nAfterRunCommand=1\r\n");
        program.start();
        const QString window = program.waitForWindow();
        QVERIFY(program.waitForPages(window));
        display.click(button(program.windowGeometry(window), 0));
        QVERIFY(waitUntil([&] { return !program.isVisible(window); }));
        QProcess* second = program.start();
        QVERIFY(second->waitForFinished(10000));
        QCOMPARE(second->exitCode(), 0);
        QVERIFY(waitUntil([&] { return program.isVisible(window); }));
    }

    void exitWritesPositionAndMenuOrder()
    {
        TProgram program(display);
        prepare(program);
        QProcess* first = program.start();
        const QString window = program.waitForWindow();
        QVERIFY(program.waitForPages(window));
        display.click(button(program.windowGeometry(window), 0));
        QVERIFY(waitUntil([&] { return !program.read("marker.txt").isEmpty(); }));
        display.xdotool({"windowmove", window, "600", "400"});
        QVERIFY(waitUntil(
            [&] { return program.windowGeometry(window).topLeft() == QPoint(600, 400); }));
        // The session's end asks the program to quit: it saves as the exit action does.
        ::kill(pid_t(first->processId()), SIGTERM);
        QVERIFY(first->waitForFinished(10000));
        QCOMPARE(first->exitCode(), 0);
        const QByteArray options = program.read("Options.ini");
        QVERIFY2(options.contains("Left=600") && options.contains("Top=400"), options.constData());
        QVERIFY(program.read("RunStat.ini").contains("[LastStateMenuItem"));
    }
};

QTEST_MAIN(TestE2eProgram)
#include "tst_e2e_program.moc"
