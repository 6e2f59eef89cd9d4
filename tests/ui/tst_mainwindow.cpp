#include "MainFixture.h"
#include "SoundCounter.h"
#include "TestSupport.h"
#include "app/Main.h"
#include "commands/Messages.h"
#include "history/ArrowButton.h"
#include "history/RepositoryCommands.h"
#include "pages/CommandsPage.h"
#include "pages/MyPageControl.h"
#include "platform/Shell.h"
#include "settings/Folders.h"
#include "settings/SharedFiles.h"
#include "settings/SystemSettings.h"

#include <QCloseEvent>
#include <QFile>
#include <QProgressBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void firstActivationLoadsAndSizes()
    {
        TMainFixture f("[PageControl]\r\nColCount=1\r\nCommandsCount=5\r\nPagesCount=2\r\n",
                       QStringLiteral("[0]\r\nCaption=Новая\r\n[1]\r\nCaption=Новая\r\n").toUtf8());
        f.main->FormActivate();
        QVERIFY(!f.terminated);
        QVERIFY(!f.main->FirstActivation());
        QCOMPARE(f.pc()->PageCount(), 2);
        QCOMPARE(f.pc()->ActivePageIndex(), 0);
        QCOMPARE(f.pc()->width(), 71);
        QCOMPARE(f.main->width(), 74);
        const int tabs =
            2 * (f.pc()->fontMetrics().horizontalAdvance(QStringLiteral("Новая")) + 21);
        QCOMPARE(f.pc()->height(), qMax(210, tabs));
        QCOMPARE(f.main->height(), f.pc()->height() + 25);
        QVERIFY(f.main->LoadingGauge->isHidden());

        // More columns: wider page control, window three pixels wider still.
        f.settings->SetColCount(3);
        f.main->SetMinHeightAndWidth();
        QCOMPARE(f.pc()->width(), 3 * 43 + 28);
        QCOMPARE(f.main->width(), 3 * 43 + 28 + 3);
    }

    void noPagesStartsWithTheFirstRunsPage()
    {
        // A stored count of 0 used to end the program at once, at every start, without a word.
        TMainFixture f("[PageControl]\r\nPagesCount=0\r\n", "[0]\r\nCaption=A\r\n");
        f.main->FormActivate();
        QVERIFY(!f.terminated);
        QCOMPARE(f.pc()->PageCount(), 1);
        QCOMPARE(f.pc()->Page(0)->Caption(), QStringLiteral("Новая"));
        QCOMPARE(f.settings->PagesCount(), 1);
    }

    void closingHidesToTheTray()
    {
        TMainFixture f;
        f.main->show();
        QCloseEvent close;
        QApplication::sendEvent(f.main.get(), &close);
        QVERIFY(!close.isAccepted());
        QVERIFY(!f.main->ExitRequested());
        QVERIFY(f.main->isHidden() || f.main->isMinimized());
        f.main->RestoreFromTray();
        QVERIFY(f.main->isVisible());

        f.main->ExitActionExecute();
        QVERIFY(f.terminated);
        QCloseEvent again;
        QApplication::sendEvent(f.main.get(), &again);
        QVERIFY(again.isAccepted());
    }

    void droppingShortcuts()
    {
        TSoundCounter shell;
        TMainFixture f;
        f.main->FormActivate();
        TCommand* first = f.pc()->GetCommand(0, 0);
        TCommand* second = f.pc()->GetCommand(0, 1);
        const QString program = f.file("tool.sh");
        writeAll(program, "#!/bin/sh\n");
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString a = f.shortcut("a.desktop", program, "Первый");
        const QString b = f.shortcut("b.desktop", program, "Второй");

        // Two shortcuts at once: the hovered button takes the first; the history learns of it.
        f.main->DropFiles({a, b}, first);
        QCOMPARE(first->Description(), QStringLiteral("Первый"));
        QCOMPARE(first->ExePath(), program);
        QCOMPARE(first->Parameters(), QString("--flag"));
        QCOMPARE(first->IconPath(), program); // no icon: the program itself, index 0
        QCOMPARE(first->IconIndex(), 0);
        QCOMPARE(f.commands->readString("0\\0", "Description", ""), QStringLiteral("Первый"));
        QVERIFY(f.main->QuickLaunchArrowButton->History()->IndexOfCommand(first) >= 0);
        QCOMPARE(shell.sounds, QList<int>({SoundDropShortCut}));

        // A filled button: asked first when the switch is on; Cancel leaves it.
        {
            TScriptedMessageBoxes boxes;
            boxes.expect(IDCANCEL);
            f.main->DropFiles({b}, first);
            QCOMPARE(boxes.shown.size(), 1);
            QCOMPARE(boxes.shown[0].caption, QStringLiteral("Замена содержимого кнопки"));
            QCOMPARE(boxes.shown[0].text, QStringLiteral("Подтвердите замену содержимого кнопки!"));
            QCOMPARE(first->Description(), QStringLiteral("Первый"));
            boxes.expect(IDOK);
            f.main->DropFiles({b}, first);
            QCOMPARE(first->Description(), QStringLiteral("Второй"));
            // The new command is known to the history at once: its runs count from now on.
            QVERIFY(f.main->QuickLaunchArrowButton->History()->IndexOfCommand(first) >= 0);
            SendMessage(f.main->QuickLaunchArrowButton, UM_COMMAND_RUN, toParam(first));
            QCOMPARE(f.main->QuickLaunchArrowButton->History()->GetRunCount(first), 1);
        }
        // With the switch off nothing is asked (a box would fail the test).
        f.settings->Conformations()->Exclude(TSys_Conformations::ReplaceCommandOnDrop);
        {
            TScriptedMessageBoxes boxes;
            f.main->DropFiles({a}, first);
            QCOMPARE(first->Description(), QStringLiteral("Первый"));
        }

        // Not a shortcut, or no button: only the sound.
        shell.sounds.clear();
        f.main->DropFiles({program}, second);
        f.main->DropFiles({a}, nullptr);
        QVERIFY(second->IsEmpty());
        QCOMPARE(shell.sounds, QList<int>({SoundDropShortCut, SoundDropShortCut}));

        // A shortcut that cannot be read points at the shortcut file itself.
        const QString broken = f.file("broken.desktop");
        writeAll(broken, "\x01\x02 not an entry");
        f.main->DropFiles({broken}, second);
        QCOMPARE(second->ExePath(), broken);
    }

    void messages()
    {
        TMainFixture f("[Minimize]\r\nAfterRunCommand=1\r\n");
        f.main->FormActivate();
        f.main->show();
        SendMessage(f.main.get(), UM_COMMAND_RUN, toParam(f.pc()->GetCommand(0, 0)));
        QVERIFY(f.main->isHidden() || f.main->isMinimized());
        SendMessage(f.main.get(), UM_RESHOW);
        QVERIFY(f.main->isVisible());
    }

    void storedPositionOffEveryScreen()
    {
        const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
        const QSize size(74, 235);
        QCOMPARE(TfmMain::VisiblePosition(QPoint(work.x() + 10, work.y() + 10), size),
                 QPoint(work.x() + 10, work.y() + 10));
        QCOMPARE(TfmMain::VisiblePosition(QPoint(-5000, 9000), size),
                 QPoint(work.right() + 1 - 74, work.bottom() + 1 - 235));
    }

    void destroySavesThePosition()
    {
        auto f = std::make_unique<TMainFixture>();
        f->main->FormActivate();
        f->main->move(123, 45);
        f->main.reset();
        QCOMPARE(f->settings->Left(), 123);
        QCOMPARE(f->settings->Top(), 45);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
