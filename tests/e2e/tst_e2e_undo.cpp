#include "E2eSupport.h"

#include <QTest>

// Undo and redo in the real program, from its shortcut keys.
class TestE2eUndo : public QObject
{
    Q_OBJECT

private slots:
    void deletedPageComesBackWithCtrlZ()
    {
        TDisplay display;
        QString why;
        if (!display.start(false, &why))
            QSKIP(qPrintable("no X display for end-to-end tests: " + why));
        TProgram program(display);
        program.write("Options.ini", "[PageControl]\r\nPagesCount=3\r\n[MainForm]\r\nLeft=900\r\n"
                                     "Top=400\r\n[Conformations]\r\nDelPage=0\r\n");
        program.write("Pages.ini", QStringLiteral("[0]\r\nCaption=Работа\r\nImageIndex=-1\r\n"
                                                  "[1]\r\nCaption=Игры\r\nImageIndex=-1\r\n"
                                                  "[2]\r\nCaption=Сеть\r\nImageIndex=-1\r\n")
                                       .toUtf8());
        const QString script = program.markerScript();
        program.write("Commands.ini",
                      QString("[0\\0]\r\nExePath=%1\r\nIconIndex=0\r\nDescription=Отметка\r\n")
                          .arg(script)
                          .toUtf8());
        program.start();
        const QString window = program.waitForWindow();
        QVERIFY(!window.isEmpty());
        QVERIFY(program.waitForPages(window));
        const QRect area = program.windowGeometry(window);
        const QByteArray pages = program.read("Pages.ini");
        const QByteArray commands = program.read("Commands.ini");
        const QImage before = display.screenshot().copy(area);

        display.xdotool({"windowfocus", "--sync", window});
        display.xdotool({"key", "ctrl+Delete"});
        QVERIFY(waitUntil([&] { return program.read("Pages.ini") != pages; }));
        const QByteArray pagesAfter = program.read("Pages.ini");
        QVERIFY(!pagesAfter.contains(QStringLiteral("Работа").toUtf8()));

        display.xdotool({"windowfocus", "--sync", window});
        display.xdotool({"key", "ctrl+z"});
        QVERIFY(waitUntil([&] {
            return program.read("Pages.ini") == pages && program.read("Commands.ini") == commands;
        }));
        // The window shows the page again as it was: the same picture, nearly to the pixel (the
        // pointer or a hint may differ). Where it stands may differ: a window that changes its
        // height keeps to the bottom of the screen.
        QVERIFY(program.waitForPages(window));
        QVERIFY(waitUntil([&] {
            return differingShare(display.screenshot().copy(program.windowGeometry(window)),
                                  before) < 0.02;
        }));

        display.xdotool({"windowfocus", "--sync", window});
        display.xdotool({"key", "ctrl+y"});
        QVERIFY(waitUntil([&] { return program.read("Pages.ini") == pagesAfter; }));
        display.xdotool({"windowfocus", "--sync", window});
        display.xdotool({"key", "ctrl+z"});
        QVERIFY(waitUntil([&] { return program.read("Pages.ini") == pages; }));
        display.xdotool({"windowfocus", "--sync", window});
        display.xdotool({"key", "ctrl+shift+z"});
        QVERIFY(waitUntil([&] { return program.read("Pages.ini") == pagesAfter; }));
        program.stop();
    }
};

QTEST_GUILESS_MAIN(TestE2eUndo)
#include "tst_e2e_undo.moc"
