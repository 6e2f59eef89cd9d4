#include "E2eSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <functional>

// Files, a folder and a link dragged from another program onto the running window: the drag
// crosses the display as it does from a file manager or a browser, and the commands it makes
// reach Commands.ini.
class TestE2eDrops : public QObject
{
    Q_OBJECT

    TDisplay display;
    // The drag source's window (see dragsource/DragSource.cpp).
    const QPoint sourceCentre{160, 160};

    // Two pages A and B of 1 x 5 empty buttons, the window at 700, 500.
    void prepare(TProgram& program)
    {
        program.write("Options.ini",
                      "[PageControl]\r\nColCount=1\r\nCommandsCount=5\r\nPagesCount=2\r\n"
                      "[MainForm]\r\nLeft=700\r\nTop=500\r\n");
        program.write("Pages.ini", "[0]\r\nCaption=A\r\nImageIndex=-1\r\n\r\n"
                                   "[1]\r\nCaption=B\r\nImageIndex=-1\r\n");
    }

    QPoint button(const QRect& window, int row) const
    {
        return window.topLeft() + QPoint(2 + 20, 2 + row * 41 + 20);
    }
    // Tabs of one-letter captions are about 29 pixels long.
    QPoint tab(const QRect& window, int i) const
    {
        return window.topLeft() + QPoint(71 - 12, 14 + i * 29);
    }

    // Starts the drag source with its arguments, presses on it and lets go over the target; true
    // when the drag ended there and landed() came true while the source could still hand over
    // its data.
    // The pointer comes to the target from approach, outside the window, so that it crosses
    // nothing else of the window on its way: the source sends its last position only once the
    // window has answered the one before, and a release meanwhile drops at that earlier one.
    bool dragFromSource(TProgram& program, const QStringList& arguments, const QPoint& approach,
                        const QPoint& target, const std::function<bool()>& landed)
    {
        QProcess source;
        source.setProcessEnvironment(program.environment());
        source.start(QStringLiteral(KESTROLIN_DRAG_SOURCE), arguments);
        if (!source.waitForStarted(5000))
            return false;
        const bool shown = waitUntil([&] {
            return !display.xdotool({"search", "--onlyvisible", "--name", "^drag source$"})
                        .isEmpty();
        });
        bool ended = false;
        if (shown) {
            QByteArray said;
            display.xdotool({"mousemove", "--sync", QString::number(sourceCentre.x()),
                             QString::number(sourceCentre.y())});
            display.xdotool({"mousedown", "1"});
            // The drag runs once the source has taken the press.
            const bool dragging = waitUntil([&] {
                said += source.readAllStandardOutput();
                return said.contains("dragging");
            });
            const auto moveTo = [&](const QPoint& from, const QPoint& to) {
                for (int step = 1; dragging && step <= 8; ++step) {
                    const QPoint p = from + (to - from) * step / 8;
                    display.xdotool(
                        {"mousemove", "--sync", QString::number(p.x()), QString::number(p.y())});
                }
            };
            moveTo(sourceCentre, approach);
            moveTo(approach, target);
            // Let go once the window under the pointer has last answered that it takes the drop.
            // A slow program (under the sanitizers) may miss the position it was sent while it
            // was still taking the drag's entry: the pointer stirs by a pixel now and then, so
            // that the source asks again.
            QElapsedTimer sinceStir;
            sinceStir.start();
            int stir = 0;
            waitUntil([&] {
                said += source.readAllStandardOutput();
                if (said.lastIndexOf("accepted") > said.lastIndexOf("refused"))
                    return true;
                if (sinceStir.elapsed() > 1000) {
                    const QPoint p = target + QPoint(++stir % 2, 0);
                    display.xdotool(
                        {"mousemove", "--sync", QString::number(p.x()), QString::number(p.y())});
                    sinceStir.restart();
                }
                return false;
            });
            display.xdotool({"mouseup", "1"});
            ended = dragging && waitUntil([&] {
                        said += source.readAllStandardOutput();
                        return said.contains("done");
                    });
        }
        ended = ended && landed();
        if (source.state() != QProcess::NotRunning) {
            source.kill();
            source.waitForFinished(5000);
        }
        return ended;
    }

private slots:
    void initTestCase()
    {
        QString why;
        if (!display.start(true, &why))
            QSKIP(qPrintable("no X display for end-to-end tests: " + why));
    }

    void filesAndALinkFillButtons()
    {
        TProgram program(display);
        prepare(program);
        const QString notes = program.file("Заметки.txt");
        program.write("Заметки.txt", "текст\n");
        const QString script = program.markerScript();
        QVERIFY(QDir(program.folder()).mkdir("Папка"));
        const QString folder = program.file("Папка");

        program.start();
        const QString window = program.waitForWindow();
        QVERIFY(!window.isEmpty());
        QVERIFY(program.waitForPages(window));
        const QRect r = program.windowGeometry(window);

        const auto stored = [&](const QByteArray& text) {
            return [&program, text] {
                return waitUntil([&] { return program.read("Commands.ini").contains(text); });
            };
        };

        // Three items onto the first button: it and the two below it take them in order.
        QVERIFY(dragFromSource(program, {notes, folder, script}, button(r, 0) - QPoint(0, 40),
                               button(r, 0), stored("[0\\2]")));
        const QString commands = QString::fromUtf8(program.read("Commands.ini"));
        QVERIFY(commands.contains("[0\\0]\r\nExePath=" + notes + "\r\n"));
        QVERIFY(commands.contains("Description=Заметки\r\n"));
        QVERIFY(commands.contains("[0\\1]\r\nExePath=" + folder + "/\r\n"));
        QVERIFY(commands.contains("[0\\2]\r\nExePath=" + script + "\r\n"));

        // A link with the browser's title onto the second page's tab: its first empty button.
        QVERIFY(dragFromSource(program, {"--link-title", "Пример", "https://example.org/"},
                               QPoint(r.right() + 40, tab(r, 1).y()), tab(r, 1),
                               stored("[1\\0]\r\nExePath=https://example.org/\r\n")));
        QVERIFY(program.read("Commands.ini").contains("Description=Пример\r\n"));
        // The program is still there and answers.
        QVERIFY(program.isVisible(window));
        program.stop();
    }
};

QTEST_MAIN(TestE2eDrops)
#include "tst_e2e_drops.moc"
