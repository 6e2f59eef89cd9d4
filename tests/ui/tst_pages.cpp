#include "SoundCounter.h"
#include "TestSupport.h"
#include "commands/Messages.h"
#include "pages/CommandsPage.h"
#include "pages/MyPageControl.h"
#include "platform/Shell.h"
#include "settings/IniFile.h"
#include "settings/SystemSettings.h"

#include <QProgressBar>
#include <QStyle>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// A profile folder with the settings, Pages.ini and Commands.ini, and a page control on it.
struct TProfile
{
    QTemporaryDir dir;
    std::unique_ptr<TSystemSettings> settings;
    std::unique_ptr<IniFile> pages;
    std::unique_ptr<IniFile> commands;
    std::unique_ptr<TMyPageControl> control;
    TSystemSettings* previous = nullptr;

    explicit TProfile(const QByteArray& options = QByteArray(),
                      const QByteArray& pagesIni = QByteArray(),
                      const QByteArray& commandsIni = QByteArray(),
                      const QByteArray& runStatIni = QByteArray())
    {
        writeProfileFiles(dir.path(), options, pagesIni, commandsIni, runStatIni);
        previous = SystemSettings;
        open();
    }
    ~TProfile()
    {
        control.reset();
        SystemSettings = previous;
    }
    void open()
    {
        settings = std::make_unique<TSystemSettings>(dir.path() + '/');
        SystemSettings = settings.get();
        pages = std::make_unique<IniFile>(dir.filePath("Pages.ini"));
        commands = std::make_unique<IniFile>(dir.filePath("Commands.ini"));
        control =
            std::make_unique<TMyPageControl>(nullptr, settings.get(), pages.get(), commands.get());
        control->SetRunStatFile(dir.filePath("RunStat.ini"));
        control->resize(101, 254);
    }
    // Everything made anew from the files, as at the next start.
    void restart()
    {
        control.reset();
        pages.reset();
        commands.reset();
        SystemSettings = previous;
        settings.reset();
        open();
    }
    bool load(QProgressBar* gauge = nullptr)
    {
        return control->LoadPages(nullptr, nullptr, gauge, TEditCallback(), nullptr);
    }
    QByteArray commandsFile() const { return readAll(dir.filePath("Commands.ini")); }
    QString exePath(const QString& section) const
    {
        return commands->readString(section, "ExePath", "-");
    }
};

static QByteArray threePages()
{
    return QStringLiteral(
               "[0]\r\nCaption=A\r\nImageIndex=-1\r\n\r\n[1]\r\nCaption=B\r\nImageIndex=-1\r\n\r\n"
               "[2]\r\nCaption=C\r\nImageIndex=-1\r\n")
        .toUtf8();
}

static QByteArray threePagesCommands()
{
    return "[0\\0]\r\nExePath=/a0\r\nIconIndex=0\r\nDescription=a0\r\n\r\n"
           "[0\\3]\r\nExePath=/a3\r\nIconIndex=0\r\nDescription=a3\r\n\r\n"
           "[1\\1]\r\nExePath=/b1\r\nIconIndex=0\r\nDescription=b1\r\n\r\n"
           "[2\\0]\r\nExePath=/c0\r\nIconIndex=0\r\nDescription=c0\r\n\r\n"
           "[2\\4]\r\nExePath=/c4\r\nIconIndex=0\r\nDescription=c4\r\n";
}

static const QByteArray ThreePagesOptions =
    "[PageControl]\r\nColCount=1\r\nCommandsCount=5\r\nPagesCount=3\r\n";

class TestPages : public QObject
{
    Q_OBJECT

private slots:
    void layoutSharesTheHeight()
    {
        TProfile p;
        QVERIFY(p.load());
        TCommandsPage* page = p.control->Page(0);
        page->resize(43, 254);
        page->Layout();
        QList<int> tops;
        for (TCommand* b : page->Buttons())
            tops << b->y();
        QCOMPARE(tops, QList<int>({8, 57, 106, 155, 204}));

        p.control->SetCommandsCount(7);
        page->Layout();
        // (254 - 287) / 8 truncates to -4: the buttons overlap.
        QCOMPARE(page->Button(0)->y(), -4);
        QCOMPARE(page->Button(1)->y(), -4 + 37);
        QCOMPARE(page->Button(0)->x(), 0);
    }

    // The buttons follow the profile's grid: made and dropped with their places, in their places.
    void buttonsFollowTheGrid()
    {
        TProfile p(
            "[PageControl]\r\nColCount=2\r\nCommandsCount=2\r\nPagesCount=1\r\n",
            "[0]\r\nCaption=A\r\n",
            "[0\\0]\r\nExePath=/p0\r\nIconIndex=0\r\n\r\n[0\\1]\r\nExePath=/"
            "p1\r\nIconIndex=0\r\n\r\n"
            "[0\\2]\r\nExePath=/p2\r\nIconIndex=0\r\n\r\n[0\\3]\r\nExePath=/p3\r\nIconIndex=0\r\n");
        QVERIFY(p.load());
        TCommandsPage* page = p.control->Page(0);
        p.control->SetCommandsCount(3);
        QCOMPARE(page->ButtonCount(), 6);
        QCOMPARE(page->Buttons().size(), 6);
        QList<int> numbers;
        for (TCommand* b : page->Buttons())
            numbers << b->ButtonNumber();
        QCOMPARE(numbers, QList<int>({0, 1, 2, 3, 4, 5}));
        QVERIFY(page->Button(4)->IsEmpty() && page->Button(5)->IsEmpty());
        // Button 2, formerly top of the second column, now ends the first.
        page->resize(86, 200);
        page->Layout();
        QCOMPARE(page->Button(2)->x(), 0);
        QCOMPARE(page->Button(2)->ExePath(), QString("/p2"));
        QCOMPARE(page->Button(3)->x(), 43);

        // Fewer rows and columns: the buttons of the places that went go with them.
        p.control->SetCommandsCount(2);
        QCOMPARE(page->Buttons().size(), 4);
        QCOMPARE(page->Button(2)->ExePath(), QString("/p3"));
        p.control->SetColCount(1);
        QCOMPARE(page->Buttons().size(), 2);
        for (int i = 0; i < 2; ++i)
            QCOMPARE(page->Button(i)->Record(), p.control->Model()->Command(0, i));
    }

    // Loading shows its progress while the pages are read, and hides it when done.
    void loadingShowsItsProgress()
    {
        TProfile p(ThreePagesOptions,
                   "[0]\r\nCaption=A\r\nImageIndex=-1\r\n\r\n[2]\r\nCaption=C\r\nImageIndex=0\r\n");
        p.control->SetImages({QPixmap(16, 16)});
        QProgressBar gauge;
        QVERIFY(p.load(&gauge));
        QCOMPARE(p.control->PageCount(), 2);
        QCOMPARE(p.control->Page(1)->ImageIndex(), 0);
        QCOMPARE(gauge.maximum(), 3);
        QVERIFY(gauge.isHidden());
    }

    void firstPageShowsBeforeTheOthersAreMade()
    {
        QTemporaryDir files;
        const QString tool = files.filePath("tool.sh");
        writeAll(tool, "#!/bin/sh\n");
        // Page 1 is missing, so the pages are renumbered once every button is loaded.
        TProfile p(ThreePagesOptions,
                   "[0]\r\nCaption=A\r\nImageIndex=-1\r\n\r\n[2]\r\nCaption=C\r\nImageIndex=-1\r\n",
                   ("[0\\0]\r\nExePath=" + tool +
                    "\r\n\r\n[0\\3]\r\nExePath=/nonexistent/x\r\n\r\n"
                    "[2\\0]\r\nExePath=" +
                    files.path() + "\r\n\r\n[2\\4]\r\nExePath=" + tool + "\r\n")
                       .toUtf8());
        bool shown = false;
        const bool ok =
            p.control->LoadPages(nullptr, nullptr, nullptr, TEditCallback(), nullptr, [&] {
                shown = true;
                QVERIFY(p.control->isVisible());
                QCOMPARE(p.control->PageCount(), 2);
                QCOMPARE(p.control->Page(0)->ButtonCount(), 5);
                QCOMPARE(p.control->Page(0)->Button(0)->ExePath(), tool);
                QCOMPARE(p.control->Page(1)->Caption(), QString("C"));
                QVERIFY(!p.control->Page(1)->HasButtons());
            });
        QVERIFY(ok && shown);
        TCommandsPage* second = p.control->Page(1);
        // A page nobody has looked at has no buttons yet; asking for one makes them.
        QVERIFY(!second->HasButtons());
        QCOMPARE(second->ButtonCount(), 5);
        QCOMPARE(second->PageNumber(), 1);
        QCOMPARE(second->Button(4)->ExePath(), tool);
        QCOMPARE(p.exePath("1\\4"), tool);
        QCOMPARE(p.exePath("2\\4"), QString("-"));

        // The buttons made after the first paint take their places when their page shows.
        p.control->SetActivePageIndex(1);
        for (int i = 0; i < 5; ++i)
            QCOMPARE(second->Button(i)->geometry(), p.control->Page(0)->Button(i)->geometry());
        QVERIFY(second->Button(1)->y() > second->Button(0)->y());

        // Only existing program files count (not a folder, not a missing file), page by page.
        QCOMPARE(p.control->CommandsWithProgram(),
                 QList<TProfileCommand*>(
                     {p.control->Page(0)->Button(0)->Record(), second->Button(4)->Record()}));
    }

    void sideTabsAreDrawnInTheirPlaces()
    {
        // Styles draw a side tab turned about the painter's origin; drawn at its place in the
        // control, the shape used to land outside it and the tabs showed as bare captions.
        for (const char* name : {"Fusion", "Windows"}) {
            std::unique_ptr<QStyle> style(QStyleFactory::create(QLatin1String(name)));
            QVERIFY(style);
            TProfile p(ThreePagesOptions, threePages(), threePagesCommands());
            p.control->setStyle(style.get());
            QVERIFY(p.load());
            p.control->SetActivePageIndex(1);
            const QImage shot = p.control->grab().toImage();
            const QRgb background = p.control->palette().color(QPalette::Window).rgb();
            for (int i = 0; i < 3; ++i) {
                // The tab's outer edge, away from its caption, carries the shape's border.
                const QRect tab = p.control->TabRect(i);
                int drawn = 0;
                for (int y = tab.top() + 4; y < tab.bottom() - 4; ++y)
                    for (int x = tab.right() - 3; x <= tab.right(); ++x)
                        drawn += shot.pixel(x, y) != background;
                QVERIFY2(drawn > tab.height() / 2, qPrintable(QStringLiteral("%1 tab %2: %3")
                                                                  .arg(QLatin1String(name))
                                                                  .arg(i)
                                                                  .arg(drawn)));
            }
            p.control.reset();
        }
    }

    void wheelScrolling()
    {
        TSoundCounter shell;
        TProfile p(ThreePagesOptions, threePages());
        QVERIFY(p.load());
        p.control->SetActivePageIndex(2);
        p.control->ScrollNext();
        QCOMPARE(p.control->ActivePageIndex(), 2);
        QVERIFY(shell.sounds.isEmpty());
        p.control->ScrollPrevious();
        QCOMPARE(p.control->ActivePageIndex(), 1);
        QCOMPARE(shell.sounds, QList<int>({SoundScrollPage}));

        p.settings->SetUseCircleScroll(true);
        p.control->SetActivePageIndex(2);
        p.control->ScrollNext();
        QCOMPARE(p.control->ActivePageIndex(), 0);
        p.control->ScrollPrevious();
        QCOMPARE(p.control->ActivePageIndex(), 2);
        QCOMPARE(shell.sounds.size(), 3);

        // The wheel itself; the control takes the event in every case.
        p.control->SetActivePageIndex(0);
        QWheelEvent wheel(QPointF(5, 5), p.control->mapToGlobal(QPointF(5, 5)), QPoint(),
                          QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        wheel.ignore();
        QApplication::sendEvent(p.control.get(), &wheel);
        QCOMPARE(p.control->ActivePageIndex(), 1);
        QVERIFY(wheel.isAccepted());

        // A fine wheel or a touchpad sends parts of a notch: three of 40 turn one page, and
        // turning back within a notch turns nothing.
        auto turn = [&](int delta) {
            QWheelEvent part(QPointF(5, 5), p.control->mapToGlobal(QPointF(5, 5)), QPoint(),
                             QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                             false);
            QApplication::sendEvent(p.control.get(), &part);
        };
        p.settings->SetUseCircleScroll(false);
        turn(-40);
        turn(-40);
        QCOMPARE(p.control->ActivePageIndex(), 1);
        turn(-40);
        QCOMPARE(p.control->ActivePageIndex(), 2);
        turn(60);
        turn(-60);
        QCOMPARE(p.control->ActivePageIndex(), 2);
        turn(120);
        QCOMPARE(p.control->ActivePageIndex(), 1);
    }

    void draggingTheActiveTabKeepsItActive()
    {
        TSoundCounter shell;
        TProfile p(ThreePagesOptions, threePages(), threePagesCommands());
        QVERIFY(p.load());
        p.control->show();
        for (const int target : {2, 0, 1}) {
            TCommandsPage* dragged = p.control->ActivePage();
            p.control->DropPage(p.control->TabRect(target).center());
            QCOMPARE(p.control->ActivePage(), dragged);
            QCOMPARE(p.control->ActivePageIndex(), target);
            QVERIFY(dragged->isVisible());
            for (int i = 0; i < p.control->PageCount(); ++i)
                QCOMPARE(p.control->Page(i)->isVisible(), i == target);
        }
    }

    void draggingTabCOntoA()
    {
        TSoundCounter shell;
        TProfile p(ThreePagesOptions, threePages(), threePagesCommands());
        QVERIFY(p.load());
        p.control->SetActivePageIndex(2);
        const quint64 writes = p.commands->diskWrites();
        p.control->DropPage(p.control->TabRect(0).center());
        QCOMPARE(p.commands->diskWrites() - writes, quint64(1));
        QCOMPARE(shell.sounds, QList<int>({SoundDropPage}));
        QStringList captions;
        for (int i = 0; i < 3; ++i) {
            captions << p.control->Page(i)->Caption();
            QCOMPARE(p.control->Page(i)->PageNumber(), i);
        }
        QCOMPARE(captions, QStringList({"C", "A", "B"}));
        QCOMPARE(p.pages->readString("0", "Caption", ""), QString("C"));
        QCOMPARE(p.pages->readString("1", "Caption", ""), QString("A"));
        QCOMPARE(p.pages->readString("2", "Caption", ""), QString("B"));
        // Every command under its page's new number, and nothing else.
        QStringList sections = p.commands->sections();
        sections.sort();
        QCOMPARE(sections, QStringList({"0\\0", "0\\4", "1\\0", "1\\3", "2\\1"}));
        QCOMPARE(p.exePath("0\\0"), QString("/c0"));
        QCOMPARE(p.exePath("0\\4"), QString("/c4"));
        QCOMPARE(p.exePath("1\\0"), QString("/a0"));
        QCOMPARE(p.exePath("1\\3"), QString("/a3"));
        QCOMPARE(p.exePath("2\\1"), QString("/b1"));
        QCOMPARE(p.control->ActivePage()->Caption(), QString("C"));

        // A drop outside every tab or on the page's own tab only plays the sound.
        shell.sounds.clear();
        const QByteArray before = p.commandsFile();
        p.control->DropPage(QPoint(1, 1));
        p.control->DropPage(p.control->TabRect(0).center());
        QCOMPARE(shell.sounds.size(), 2);
        QCOMPARE(p.commandsFile(), before);
    }

    void namesAndCurrentCommand()
    {
        TProfile p(
            ThreePagesOptions,
            QStringLiteral("[0]\r\nCaption=Work\r\n[1]\r\nCaption=Игры\r\n[2]\r\nCaption=Last\r\n")
                .toUtf8());
        QVERIFY(p.load());
        QVERIFY(p.control->NameExists("WORK"));
        QVERIFY(p.control->NameExists("last"));
        QVERIFY(p.control->NameExists(QStringLiteral("Игры")));
        QVERIFY(!p.control->NameExists(QStringLiteral("ИГРЫ")));
        QVERIFY(!p.control->NameExists("Other"));

        TCommand* button = p.control->GetCommand(1, 2);
        QVERIFY(button);
        SendMessage(p.control.get(), UM_COMMAND_ENTER, toParam(button));
        QCOMPARE(p.control->CurrentCommand(), button);
        SendMessage(p.control.get(), UM_COMMAND_ENTER, -1);
        QCOMPARE(p.control->CurrentCommand(), nullptr);
        SendMessage(p.control.get(), UM_COMMAND_ENTER, toParam(button));
        SendMessage(p.control.get(), UM_COMMAND_ENTER, 12345); // not a button
        QCOMPARE(p.control->CurrentCommand(), nullptr);
        SendMessage(p.control.get(), UM_COMMAND_ENTER, toParam(button));
        SendMessage(p.control.get(), UM_COMMAND_LEAVE);
        QCOMPARE(p.control->CurrentCommand(), nullptr);
    }

    void iconsOfHiddenPagesWaitUntilShown()
    {
        const QByteArray commands =
            "[0\\0]\r\nExePath=/bin/sh\r\nIconPath=/bin/sh\r\nDescription=a0\r\n"
            "[0\\1]\r\nExePath=/nonexistent/a1\r\nDescription=a1\r\n"
            "[1\\0]\r\nExePath=/bin/sh\r\nIconPath=/bin/sh\r\nDescription=b0\r\n"
            "[2\\0]\r\nExePath=/bin/sh\r\nIconPath=/bin/sh\r\nDescription=c0\r\n";
        TSoundCounter shell;
        TProfile p(ThreePagesOptions, threePages(), commands);
        QVERIFY(p.load());
        p.control->show();
        // Only the page on screen (the first one) has its icons drawn.
        QCOMPARE(p.control->ActivePageIndex(), 0);
        QCOMPARE(shell.extracted.size(), 1);
        // The hints of hidden buttons are complete all the same.
        QCOMPARE(p.control->Page(0)->Button(1)->Hint(), QString("a1\rФайл команды не найден!"));
        QCOMPARE(p.control->Page(0)->Button(0)->Hint(), QString("a0"));

        p.control->SetActivePageIndex(2);
        QCOMPARE(shell.extracted.size(), 2);
        QVERIFY(!p.control->Page(0)->Button(1)->Icon().isNull()); // the error picture
        // Whoever needs the picture of a hidden button gets it drawn.
        QVERIFY(!p.control->Page(1)->Button(0)->Icon().isNull());
        QCOMPARE(shell.extracted.size(), 3);
        p.control->SetActivePageIndex(1);
        QCOMPARE(shell.extracted.size(), 3);
    }
};

QTEST_MAIN(TestPages)
#include "tst_pages.moc"
