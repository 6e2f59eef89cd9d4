#include "E2eSupport.h"

#include <QDir>
#include <QTest>

// The real program's menus and shortcut keys.
class TestE2eMenus : public QObject
{
    Q_OBJECT

    TDisplay display;
    std::unique_ptr<TProgram> program;
    QString window;
    qint64 pid = 0;

    QStringList visibleWindows() const
    {
        return display.xdotool({"search", "--onlyvisible", "--pid", QString::number(pid), ".*"})
            .split('\n', Qt::SkipEmptyParts);
    }

    // Waits for a window of the program that was not there before; returns its id.
    QString waitForNewWindow(const QStringList& before) const
    {
        QString found;
        waitUntil([&] {
            for (const QString& w : visibleWindows())
                if (!before.contains(w)) {
                    found = w;
                    return true;
                }
            return false;
        });
        return found;
    }

    void save(const QString& name, const QRect& area) const
    {
        const QString folder = qEnvironmentVariable("KESTROLIN_SHOTS");
        if (!folder.isEmpty())
            display.screenshot().copy(area).save(QDir(folder).filePath(name));
    }

    void closeWith(const QString& key, const QStringList& before)
    {
        display.xdotool({"key", key});
        QVERIFY(waitUntil([&] { return visibleWindows().size() <= before.size(); }));
    }

private slots:
    void initTestCase()
    {
        QString why;
        if (!display.start(true, &why))
            QSKIP(qPrintable("no X display for end-to-end tests: " + why));
        program = std::make_unique<TProgram>(display);
        program->write("Options.ini",
                       "[PageControl]\r\nPagesCount=1\r\n[MainForm]\r\nLeft=900\r\nTop=500\r\n");
        program->write("Pages.ini", "[0]\r\nCaption=A\r\nImageIndex=-1\r\n");
        pid = program->start()->processId();
        window = program->waitForWindow();
        QVERIFY(!window.isEmpty());
        QVERIFY(program->waitForPages(window));
    }

    void contextMenus()
    {
        const QRect r = program->windowGeometry(window);
        // The page control's menu, over the tab.
        QStringList before = visibleWindows();
        display.xdotool(
            {"mousemove", "--sync", QString::number(r.x() + 60), QString::number(r.y() + 10)});
        display.xdotool({"click", "3"});
        QVERIFY(!waitForNewWindow(before).isEmpty());
        save("menu-main.png", QRect(r.x() - 250, r.y() - 50, 330, 350));
        closeWith("Escape", before);

        // A command button's menu.
        before = visibleWindows();
        display.xdotool(
            {"mousemove", "--sync", QString::number(r.x() + 22), QString::number(r.y() + 22)});
        display.xdotool({"click", "3"});
        QVERIFY(!waitForNewWindow(before).isEmpty());
        save("menu-command.png", QRect(r.x() - 250, r.y() - 20, 330, 200));
        closeWith("Escape", before);

        // The tray icon's menu.
        before = visibleWindows();
        display.xdotool({"mousemove", "--sync", "12", "12"});
        display.xdotool({"click", "3"});
        const QString tray = waitForNewWindow(before);
        if (tray.isEmpty())
            QSKIP("no tray icon on this display");
        save("menu-tray.png", QRect(0, 0, 400, 300));
        closeWith("Escape", before);
    }

    void shortcutKeysOpenTheirWindows()
    {
        // Each key opens its dialog (or the help), which Escape closes again.
        const QStringList keys{"F1", "ctrl+o", "ctrl+i", "ctrl+Insert",
                               "F2", "F3",     "ctrl+e", "ctrl+Delete"};
        for (const QString& key : keys) {
            const QStringList before = visibleWindows();
            display.xdotool({"windowfocus", "--sync", window});
            display.xdotool({"key", key});
            const QString opened = waitForNewWindow(before);
            QVERIFY2(!opened.isEmpty(), qPrintable(key + " opened nothing"));
            if (key == "F1") {
                QVERIFY(display.xdotool({"getwindowname", opened})
                            .contains(QStringLiteral("Справка")) ||
                        !display.xdotool({"getwindowname", opened}).isEmpty());
                save("help.png", QRect(0, 0, 1280, 1024));
            }
            display.xdotool({"windowfocus", "--sync", opened});
            closeWith("Escape", before);
        }
        // Nothing was changed by opening and cancelling.
        QCOMPARE(program->read("Pages.ini"), QByteArray("[0]\r\nCaption=A\r\nImageIndex=-1\r\n"));
    }
};

QTEST_MAIN(TestE2eMenus)
#include "tst_e2e_menus.moc"
