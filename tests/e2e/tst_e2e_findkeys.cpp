#include "E2eSupport.h"

#include <QTest>

// The keyboard in the real program: Enter on the button the arrows marked, and the find box
// that typing opens, each running a real script and counting the run.
class TestE2eFindKeys : public QObject
{
    Q_OBJECT

    TDisplay display;

    QByteArray command(TProgram& program, int page, int button, const QByteArray& description,
                       const QByteArray& word)
    {
        return "[" + QByteArray::number(page) + "\\" + QByteArray::number(button) +
               "]\r\nExePath=" + program.markerScript().toUtf8() +
               "\r\nIconPath=" + program.file("kestrolin-icons.ico").toUtf8() +
               "\r\nIconIndex=0\r\nDescription=" + description + "\r\nParameters=" + word +
               "\r\n\r\n";
    }

    // Two pages of one column of five buttons, with commands on both; returns the window once
    // it shows its pages and has the keyboard.
    QString start(TProgram& program)
    {
        program.write("Options.ini", "[PageControl]\r\nColCount=1\r\nCommandsCount=5\r\n"
                                     "PagesCount=2\r\n[MainForm]\r\nLeft=900\r\nTop=500\r\n");
        program.write("Pages.ini", "[0]\r\nCaption=A\r\nImageIndex=-1\r\n\r\n[1]\r\nCaption=B\r\n"
                                   "ImageIndex=-1\r\n");
        program.write("Commands.ini", command(program, 0, 0, "Mail", "first") +
                                          command(program, 0, 1, "Notes", "second") +
                                          command(program, 1, 3,
                                                  "\xd0\xa8\xd0\xb0\xd1\x85\xd0\xbc\xd0\xb0\xd1"
                                                  "\x82\xd1\x8b",
                                                  "chess"));
        const QString window = program.startAndWait();
        if (window.isEmpty())
            return {};
        display.xdotool({"windowfocus", "--sync", window});
        return window;
    }

private slots:
    void initTestCase()
    {
        QString why;
        if (!display.start(true, &why))
            QSKIP(qPrintable("no X display for end-to-end tests: " + why));
    }

    void enterRunsTheMarkedButton()
    {
        TProgram program(display);
        const QString window = start(program);
        QVERIFY2(!window.isEmpty(), "the main window did not appear with its pages");
        // The first arrow marks the first button, the second moves the mark down one.
        display.xdotool({"key", "--delay", "50", "Down", "Down", "Return"});
        QVERIFY(waitUntil([&] { return !program.markerLines().isEmpty(); }));
        QCOMPARE(program.markerLines(), QStringList({"second"}));
        QVERIFY(waitUntil([&] { return program.read("RunStat.ini").contains("[0\\1]"); }));
        QVERIFY(program.read("RunStat.ini").contains("[0\\1]\r\nRunCount=1\r\n"));
        // A page key and Enter again: the mark keeps its place on the other page, which has no
        // command there; Ctrl+Page Up comes back and Enter runs the same command once more.
        display.xdotool({"key", "--delay", "50", "ctrl+Next", "ctrl+Prior", "Up", "Return"});
        QVERIFY(waitUntil([&] { return program.markerLines().size() == 2; }));
        QCOMPARE(program.markerLines(), QStringList({"second", "first"}));
    }

    void typingFindsAndEnterRuns()
    {
        TProgram program(display);
        const QString window = start(program);
        QVERIFY2(!window.isEmpty(), "the main window did not appear with its pages");
        // The command is on the page not in front; typing finds it there.
        display.xdotool({"type", "--delay", "60", "ches"});
        display.xdotool({"key", "--delay", "60", "Return"});
        QVERIFY(waitUntil([&] { return !program.markerLines().isEmpty(); }));
        QCOMPARE(program.markerLines(), QStringList({"chess"}));
        QVERIFY(waitUntil([&] { return program.read("RunStat.ini").contains("[1\\3]"); }));
        QVERIFY(program.read("RunStat.ini").contains("[1\\3]\r\nRunCount=1\r\n"));
        // Escape closes the box, a second one hides the window.
        display.xdotool({"windowfocus", "--sync", window});
        display.xdotool({"type", "--delay", "60", "no"});
        display.xdotool({"key", "--delay", "60", "Escape", "Escape"});
        QVERIFY(waitUntil([&] { return !program.isVisible(window); }));
        QCOMPARE(program.markerLines(), QStringList({"chess"}));
    }
};

QTEST_MAIN(TestE2eFindKeys)
#include "tst_e2e_findkeys.moc"
