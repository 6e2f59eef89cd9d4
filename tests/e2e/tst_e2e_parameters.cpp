#include "E2eSupport.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <signal.h>

// Parameters typed in the real program reach the command the same way before and after a
// restart.
class TestE2eParameters : public QObject
{
    Q_OBJECT

    TDisplay display;

    QString waitForWindowNamed(const QString& name) const
    {
        QString id;
        waitUntil([&] {
            id = display.xdotool({"search", "--onlyvisible", "--name", name}).section('\n', 0, 0);
            return !id.isEmpty();
        });
        return id;
    }

    // The centre of the first button of the page.
    static QPoint firstButton(const QRect& window) { return window.topLeft() + QPoint(22, 22); }

private slots:
    void initTestCase()
    {
        QString why;
        if (!display.start(true, &why))
            QSKIP(qPrintable("no X display for end-to-end tests: " + why));
    }

    void numberSignsSurviveARestart()
    {
        TProgram program(display);
        const QString marker = program.file("marker.txt");
        const QString script = program.file("args.sh");
        program.write("args.sh", "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]' \"$a\"; done >> '" +
                                     marker.toUtf8() + "'\necho >> '" + marker.toUtf8() + "'\n");
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        program.write("Options.ini",
                      "[PageControl]\r\nColCount=1\r\nCommandsCount=5\r\nPagesCount=1\r\n"
                      "[MainForm]\r\nLeft=700\r\nTop=500\r\n"
                      "[Conformations]\r\nChangeCommandProperties=0\r\n");
        program.write("Pages.ini", "[0]\r\nCaption=A\r\nImageIndex=-1\r\n");
        // A command whose program has gone: a click opens its parameters dialog.
        program.write("Commands.ini",
                      "[0\\0]\r\nExePath=" + program.file("gone.sh").toUtf8() +
                          "\r\nIconPath=" + program.file("kestrolin-icons.ico").toUtf8() +
                          "\r\nIconIndex=0\r\nDescription=args\r\n");

        QProcess* first = program.start();
        QString window = program.waitForWindow();
        QVERIFY(program.waitForPages(window));
        display.click(firstButton(program.windowGeometry(window)));
        const QString dialog = waitForWindowNamed(QStringLiteral("Параметры команды"));
        QVERIFY2(!dialog.isEmpty(), "the parameters dialog did not open");
        display.xdotool({"windowfocus", "--sync", dialog});
        // The path field has the focus; the parameters come three tab stops later.
        display.xdotool({"key", "ctrl+a"});
        display.xdotool({"type", "--delay", "10", script});
        display.xdotool({"key", "Tab", "Tab", "Tab"});
        const QString typed = QStringLiteral("#chan a#b \"x#y\" 100%");
        display.xdotool({"type", "--delay", "10", typed});
        display.xdotool({"key", "Return"});
        QVERIFY(waitUntil([&] { return program.read("Commands.ini").contains(script.toUtf8()); }));
        // Readers that know only the old key still find parameters there.
        QVERIFY(program.read("Commands.ini").contains("\r\nParameters=#chan a#b #x#y# 100%\r\n"));

        const QByteArray words = "[#chan][a#b][x#y][100%]\n";
        display.click(firstButton(program.windowGeometry(window)));
        QVERIFY(waitUntil([&] { return program.read("marker.txt") == words; }));

        // A restart reads them back as they were typed.
        ::kill(pid_t(first->processId()), SIGTERM);
        QVERIFY(first->waitForFinished(10000));
        program.start();
        window = program.waitForWindow();
        QVERIFY(program.waitForPages(window));
        display.click(firstButton(program.windowGeometry(window)));
        QVERIFY(waitUntil([&] { return program.read("marker.txt").size() > words.size(); }));
        QCOMPARE(program.read("marker.txt"), words + words);
    }
};

QTEST_MAIN(TestE2eParameters)
#include "tst_e2e_parameters.moc"
