#include "MainFixture.h"
#include "TestSupport.h"
#include "commands/Messages.h"
#include "dialogs/WriteFailures.h"
#include "history/ArrowButton.h"
#include "pages/CommandsPage.h"
#include "pages/MyPageControl.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTest>

// With the settings folder gone bad while the program runs, every kind of write that fails is
// told once, until a write of that file succeeds again.
class TestWriteFailures : public QObject
{
    Q_OBJECT

    // Lets the boxes waiting for the end of the operation come.
    static void settle()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }

    // A folder in the file's place: neither root nor anybody else can replace it.
    static void breakFile(const TMainFixture& f, const QString& name)
    {
        QFile::remove(f.file(name));
        QVERIFY(QDir(f.dir.path()).mkdir(name));
    }

private slots:
    void init() { WriteFailures::Install(); }
    void cleanup() { WriteFailures::Uninstall(); }

    void eachFailingFileIsToldOnce()
    {
        TMainFixture f("[PageControl]\r\nPagesCount=1\r\n", "[0]\r\nCaption=A\r\n",
                       "[0\\0]\r\nExePath=/bin/sh\r\nIconIndex=0\r\n");
        f.main->FormActivate();
        TScriptedMessageBoxes boxes;

        // Changing a setting.
        breakFile(f, "Options.ini");
        boxes.expect(IDOK);
        f.settings->SetAlphaBlendValue(150);
        settle();
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY(boxes.shown[0].text.contains(QDir::toNativeSeparators(f.file("Options.ini"))));
        QCOMPARE(boxes.shown[0].caption, QStringLiteral("Ошибка сохранения"));
        QCOMPARE(boxes.shown[0].flags & MB::ICONERROR, MB::ICONERROR);
        // The same file failing again brings no second box.
        f.settings->SetAlphaBlendValue(160);
        f.settings->SetAfterLoad(true);
        settle();
        QCOMPARE(boxes.shown.size(), 1);
        // Once a write of it succeeds, a later failure is told again.
        QVERIFY(QDir(f.dir.path()).rmdir("Options.ini"));
        f.settings->SetAlphaBlendValue(170);
        QCOMPARE(IniFile(f.file("Options.ini")).readInteger("MainForm", "AlphaBlendValue", 0), 170);
        breakFile(f, "Options.ini");
        boxes.expect(IDOK);
        f.settings->SetAlphaBlendValue(180);
        settle();
        QCOMPARE(boxes.shown.size(), 2);

        // Counting a run.
        breakFile(f, "RunStat.ini");
        boxes.expect(IDOK);
        SendMessage(f.main->QuickLaunchArrowButton, UM_COMMAND_RUN,
                    toParam(f.pc()->GetCommand(0, 0)->Record()));
        settle();
        QCOMPARE(boxes.shown.size(), 3);
        QVERIFY(boxes.shown[2].text.contains("RunStat.ini"));

        // Adding a page.
        breakFile(f, "Pages.ini");
        boxes.expect(IDOK);
        f.pc()->AddPage("B", -1);
        settle();
        QCOMPARE(boxes.shown.size(), 4);
        QVERIFY(boxes.shown[3].text.contains("Pages.ini"));
        QVERIFY(!boxes.unexpected);
    }

    void noBoxWhileAClickHoldsTheInterface()
    {
        // Input is swallowed while a click shows its pressed frame: a box up then could not be
        // answered, and the hold would not end while it is up.
        TMainFixture f("[PageControl]\r\nPagesCount=1\r\n", "[0]\r\nCaption=A\r\n");
        const QString script = f.file("run.sh");
        writeAll(script, "#!/bin/sh\n");
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString icon = f.file("icon.png");
        QImage image(32, 32, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        QVERIFY(image.save(icon));
        f.main->FormActivate();
        TCommand* button = f.pc()->GetCommand(0, 0);
        button->Record()->SetExePath(script);
        button->Record()->SetIconPath(icon);
        QVERIFY(button->Record()->Save());

        struct TWatch : IMessageBoxes
        {
            int Show(const QString&, const QString&, int) override
            {
                heldAtShow.append(IsInputHeld());
                return IDOK;
            }
            QList<bool> heldAtShow;
            TScopedSeam<IMessageBoxes> seam{SetMessageBoxes, this};
        } watch;
        breakFile(f, "Options.ini");
        f.settings->SetAlphaBlendValue(150); // the box waits for the end of this
        button->Click();                     // which comes while the click holds the interface
        QTRY_COMPARE(watch.heldAtShow.size(), 1);
        QCOMPARE(watch.heldAtShow, QList<bool>({false}));
    }

    void filesFailingTogetherShareOneBox()
    {
        TMainFixture f("[PageControl]\r\nPagesCount=2\r\n",
                       "[0]\r\nCaption=A\r\n[1]\r\nCaption=B\r\n",
                       "[1\\0]\r\nExePath=/bin/sh\r\nIconIndex=0\r\n");
        f.main->FormActivate();
        TScriptedMessageBoxes boxes;
        // The new version of Commands.ini cannot be written: the whole deletion stays undone on
        // disk, and one box names the files.
        QVERIFY(QDir(f.dir.path()).mkdir("Commands.ini.journal-new"));
        const QByteArray pages = readAll(f.file("Pages.ini"));
        boxes.expect(IDOK);
        f.pc()->SetActivePageIndex(0);
        f.pc()->DeleteActivePage();
        settle();
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY(boxes.shown[0].text.contains("Pages.ini"));
        QVERIFY(boxes.shown[0].text.contains("Commands.ini"));
        QCOMPARE(readAll(f.file("Pages.ini")), pages);
        QVERIFY(!boxes.unexpected);
    }
};

QTEST_MAIN(TestWriteFailures)
#include "tst_writefailures.moc"
