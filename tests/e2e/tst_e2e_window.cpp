#include "E2eSupport.h"

#include <QDir>
#include <QFile>
#include <QTest>

// The main window as it stands on the screen: its skin at a first start, its place in the work
// area, its rows of tabs, and the page that stays in front when its tab is dragged.
class TestE2eWindow : public QObject
{
    Q_OBJECT

    TDisplay display;
    // Xvfb here runs no window manager or panel: the work area is the whole screen.
    const QRect screen{0, 0, 1280, 1024};

    QByteArray command(TProgram& program, int page, int button, const QByteArray& word)
    {
        return "[" + QByteArray::number(page) + "\\" + QByteArray::number(button) +
               "]\r\nExePath=" + program.markerScript().toUtf8() +
               "\r\nIconPath=" + program.file("kestrolin-icons.ico").toUtf8() +
               "\r\nIconIndex=0\r\nDescription=" + word + "\r\nParameters=" + word + "\r\n\r\n";
    }

    QByteArray pages(int count, const QString& caption)
    {
        QByteArray ini;
        for (int i = 0; i < count; ++i)
            ini += QStringLiteral("[%1]\r\nCaption=%2 %1\r\nImageIndex=-1\r\n\r\n")
                       .arg(i)
                       .arg(caption)
                       .toUtf8();
        return ini;
    }

private slots:
    void initTestCase()
    {
        QString why;
        if (!display.start(true, &why))
            QSKIP(qPrintable("no X display for end-to-end tests: " + why));
    }

    void firstStartWearsTheShippedSkin()
    {
        // The shipped skins beside the program, as a build or an installed copy has them.
        TProgram program(display);
        const QDir shipped(QFileInfo(QStringLiteral(KESTROLIN_PROGRAM)).dir().filePath("skins"));
        QVERIFY(shipped.exists("mxskin28.skn"));
        QDir(program.folder()).mkpath("skins");
        for (const QString& name : shipped.entryList({"*.skn"}, QDir::Files))
            QVERIFY(QFile::copy(shipped.filePath(name), program.file("skins/" + name)));
        // A missing skin is reported with a modal box before the window shows: the window
        // comes only when there is nothing to report.
        const QString window = program.startAndWait();
        QVERIFY2(!window.isEmpty(), "the main window did not appear");
        QVERIFY(program.read("Options.ini").contains("SelectedSkinFileName=mxskin28.skn\r\n"));
        const QString visible =
            display.xdotool({"search", "--onlyvisible", "--name", "^Kestrolin$"});
        QCOMPARE(visible.split('\n', Qt::SkipEmptyParts), QStringList({window}));
    }

    void windowStaysInTheWorkArea()
    {
        // Eight long captions on one column stored low on the screen, then 45 of them.
        for (const int count : {8, 45}) {
            TProgram program(display);
            program.write("Options.ini",
                          "[PageControl]\r\nColCount=1\r\nCommandsCount=5\r\nPagesCount=" +
                              QByteArray::number(count) +
                              "\r\n[MainForm]\r\nLeft=800\r\nTop=600\r\n");
            program.write("Pages.ini", pages(count, QStringLiteral("Страница номер")));
            const QString window = program.startAndWait();
            QVERIFY(!window.isEmpty());
            QVERIFY2(waitUntil([&] { return screen.contains(program.windowGeometry(window)); }),
                     qPrintable(QStringLiteral("%1 pages: %2 %3 %4 %5")
                                    .arg(count)
                                    .arg(program.windowGeometry(window).x())
                                    .arg(program.windowGeometry(window).y())
                                    .arg(program.windowGeometry(window).width())
                                    .arg(program.windowGeometry(window).height())));
        }
    }

    void tabsLeaveTheGridClickable()
    {
        // 30 pages of long captions need several rows of tabs beside a 5 x 10 grid; the last
        // column's buttons stay whole and take clicks.
        TProgram program(display);
        program.write("Options.ini", "[PageControl]\r\nColCount=5\r\nCommandsCount=10\r\n"
                                     "PagesCount=30\r\n[MainForm]\r\nLeft=800\r\nTop=100\r\n");
        program.write("Pages.ini", pages(30, QStringLiteral("Страница с длинным именем")));
        program.write("Commands.ini",
                      command(program, 0, 40, "top") + command(program, 0, 49, "bottom"));
        const QString window = program.startAndWait();
        QVERIFY(!window.isEmpty());
        QVERIFY(waitUntil([&] { return screen.contains(program.windowGeometry(window)); }));
        const QRect r = program.windowGeometry(window);
        // Wider than the grid and one row of tabs: the further rows stand beside the grid.
        QVERIFY(r.width() > 5 * 43 + 28 + 3);
        const int pageHeight = r.height() - 25 - 4;
        const int gap = (pageHeight - 10 * 41) / 11;
        const QPoint top = r.topLeft() + QPoint(2 + 4 * 43 + 20, 2 + gap + 20);
        const QPoint bottom = top + QPoint(0, 9 * (41 + gap));
        display.click(top);
        QVERIFY(waitUntil([&] { return program.markerLines() == QStringList({"top"}); }));
        display.click(bottom);
        QVERIFY(waitUntil([&] { return program.markerLines() == QStringList({"top", "bottom"}); }));
    }

    void draggedActiveTabStaysActive()
    {
        TProgram program(display);
        program.write("Options.ini", "[PageControl]\r\nColCount=1\r\nCommandsCount=5\r\n"
                                     "PagesCount=3\r\n[MainForm]\r\nLeft=700\r\nTop=500\r\n");
        program.write("Pages.ini", "[0]\r\nCaption=A\r\nImageIndex=-1\r\n\r\n[1]\r\nCaption=B\r\n"
                                   "ImageIndex=-1\r\n\r\n[2]\r\nCaption=C\r\nImageIndex=-1\r\n");
        program.write("Commands.ini", command(program, 0, 0, "A") + command(program, 1, 0, "B") +
                                          command(program, 2, 0, "C"));
        const QString window = program.startAndWait();
        QVERIFY(!window.isEmpty());
        const QRect r = program.windowGeometry(window);
        // Tabs of one-letter captions are about 29 pixels long, down the right-hand side.
        auto tab = [&](int i) { return r.topLeft() + QPoint(r.width() - 3 - 12, 14 + i * 29); };
        const QPoint from = tab(0), to = tab(2);
        display.altDrag(from, to);
        QVERIFY(waitUntil([&] { return program.read("Pages.ini").contains("[2]\r\nCaption=A"); }));
        // The page in front is still A: its button runs A's command.
        display.click(r.topLeft() + QPoint(2 + 20, 2 + 20));
        QVERIFY(waitUntil([&] { return !program.markerLines().isEmpty(); }));
        QCOMPARE(program.markerLines(), QStringList({"A"}));
    }
};

QTEST_MAIN(TestE2eWindow)
#include "tst_e2e_window.moc"
