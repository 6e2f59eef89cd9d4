#include "MainFixture.h"
#include "SoundCounter.h"
#include "TestSupport.h"
#include "app/Main.h"
#include "commands/Command.h"
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
#include <QToolTip>

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

        // Two shortcuts at once: the hovered button takes the first, the next empty one the
        // second; the history learns of them.
        f.main->DropFiles({a, b}, first);
        QCOMPARE(first->Description(), QStringLiteral("Первый"));
        QCOMPARE(second->Description(), QStringLiteral("Второй"));
        QVERIFY(second->Clear());
        QCOMPARE(first->ExePath(), program);
        QCOMPARE(first->Parameters(), QString("--flag"));
        QCOMPARE(first->IconPath(), program); // no icon: the program itself, index 0
        QCOMPARE(first->IconIndex(), 0);
        QCOMPARE(f.commands->readString("0\\0", "Description", ""), QStringLiteral("Первый"));
        QVERIFY(f.main->QuickLaunchArrowButton->History()->IndexOfCommand(first->Record()) >= 0);
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
            QVERIFY(f.main->QuickLaunchArrowButton->History()->IndexOfCommand(first->Record()) >=
                    0);
            SendMessage(f.main->QuickLaunchArrowButton, UM_COMMAND_RUN, toParam(first->Record()));
            QCOMPARE(f.main->QuickLaunchArrowButton->History()->GetRunCount(first->Record()), 1);
        }
        // With the switch off nothing is asked (a box would fail the test).
        f.settings->Conformations()->Exclude(TSys_Conformations::ReplaceCommandOnDrop);
        {
            TScriptedMessageBoxes boxes;
            f.main->DropFiles({a}, first);
            QCOMPARE(first->Description(), QStringLiteral("Первый"));
        }

        // No button: only the sound.
        shell.sounds.clear();
        f.main->DropFiles({a}, nullptr);
        QVERIFY(second->IsEmpty());
        QCOMPARE(shell.sounds, QList<int>({SoundDropShortCut}));

        // A damaged shortcut, or one whose program is gone, is refused with the reason; the
        // button keeps what it had, and nothing is asked before.
        f.settings->Conformations()->Include(TSys_Conformations::ReplaceCommandOnDrop);
        const QString broken = f.file("broken.desktop");
        writeAll(broken, "\x01\x02 not an entry");
        const QString orphan = f.file("orphan.desktop");
        writeAll(orphan, "[Desktop Entry]\nType=Application\nName=x\n"
                         "Exec=kestrolin-no-such-program --x\n");
        const QString folderEntry = f.file("folder.desktop");
        writeAll(folderEntry, "[Desktop Entry]\nType=Directory\nName=x\n");
        const QList<QPair<QString, QString>> refused = {
            {broken, "Файл повреждён или не является ярлыком рабочего стола."},
            {orphan, "Программа ярлыка не найдена: kestrolin-no-such-program"},
            {folderEntry, "Ярлык этого вида (Directory) ничего не запускает."}};
        for (const auto& [file, reason] : refused) {
            for (TCommand* target : {second, first}) {
                TScriptedMessageBoxes boxes;
                boxes.expect(IDOK);
                f.main->DropFiles({file}, target);
                QCOMPARE(boxes.shown.size(), 1);
                QCOMPARE(boxes.shown[0].text,
                         "Ярлык не может стать командой:\r\"" + file + "\"\r" + reason);
                QCOMPARE(boxes.shown[0].caption, QStringLiteral("Ошибка"));
                QCOMPARE(boxes.shown[0].flags, MB::OK | MB::ICONERROR);
            }
            QVERIFY(second->IsEmpty());
            QCOMPARE(first->Description(), QStringLiteral("Первый"));
        }
        QVERIFY(!f.commands->sectionExists("0\\1"));

        // A link to a web page is whole: it is kept as the shortcut that opens it.
        const QString web = f.file("web.desktop");
        writeAll(web, "[Desktop Entry]\nType=Link\nName=Сайт\nURL=https://example.org/\n");
        f.main->DropFiles({web}, second);
        QCOMPARE(second->ExePath(), web);
    }

    void messages()
    {
        TMainFixture f("[Minimize]\r\nAfterRunCommand=1\r\n");
        f.main->FormActivate();
        f.main->show();
        SendMessage(f.main.get(), UM_COMMAND_RUN, toParam(f.pc()->GetCommand(0, 0)->Record()));
        QVERIFY(f.main->isHidden() || f.main->isMinimized());
        SendMessage(f.main.get(), UM_RESHOW);
        QVERIFY(f.main->isVisible());
    }

    void manyPagesKeepTheirTabsBesideTheGrid()
    {
        const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
        for (const int pages : {1, 30, 60}) {
            QByteArray pagesIni;
            for (int i = 0; i < pages; ++i)
                pagesIni +=
                    QStringLiteral("[%1]\r\nCaption=Длинное имя страницы %1\r\n").arg(i).toUtf8();
            TMainFixture f(QStringLiteral("[PageControl]\r\nColCount=5\r\nCommandsCount=10\r\n"
                                          "PagesCount=%1\r\n[MainForm]\r\nLeft=%2\r\nTop=%3\r\n")
                               .arg(pages)
                               .arg(work.right() - 100)
                               .arg(work.bottom() - 100)
                               .toUtf8(),
                           pagesIni);
            f.main->show();
            f.main->FormActivate();
            QCOMPARE(f.pc()->PageCount(), pages);
            // The whole window in the work area, whatever the stored position.
            QVERIFY2(work.contains(f.main->frameGeometry()), qPrintable(QString::number(pages)));
            // Every button of the grid whole and outside every tab.
            TCommandsPage* page = f.pc()->ActivePage();
            const QRect area = f.pc()->PageArea();
            for (TCommand* button : page->Buttons()) {
                const QRect r(button->mapTo(f.pc(), QPoint(0, 0)), button->size());
                QVERIFY(area.contains(r));
            }
            // Every tab in sight and clickable, none over the page; clicking it shows its page.
            for (int i = pages - 1; i >= 0; --i) {
                const QRect tab = f.pc()->TabRect(i);
                QVERIFY2(!tab.isNull() && f.pc()->rect().contains(tab) && !tab.intersects(area),
                         qPrintable(QStringLiteral("%1 of %2").arg(i).arg(pages)));
                QTest::mouseClick(f.pc(), Qt::LeftButton, {}, tab.center());
                QCOMPARE(f.pc()->ActivePageIndex(), i);
            }
            QCOMPARE(f.pc()->ShownTabRowCount(), f.pc()->TabRowCount());

            // Where the screen is too narrow for every row, the strip scrolls and the active
            // page's tab is always among those in sight.
            f.pc()->resize(5 * 43 + 4 + 2 * TMyPageControl::TabRowWidth, f.pc()->height());
            f.pc()->LayoutPages();
            QVERIFY(f.pc()->ShownTabRowCount() <= 2);
            for (int i = 0; i < pages; ++i) {
                f.pc()->SetActivePageIndex(i);
                const QRect tab = f.pc()->TabRect(i);
                QVERIFY(!tab.isNull() && f.pc()->rect().contains(tab));
                QVERIFY(!tab.intersects(f.pc()->PageArea()));
            }
        }
    }

    void windowStaysInTheWorkArea()
    {
        const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
        // Pages on one column make a window taller than the space below its stored top.
        QByteArray pagesIni;
        for (int i = 0; i < 8; ++i)
            pagesIni += QStringLiteral("[%1]\r\nCaption=Страница номер %1\r\n").arg(i).toUtf8();
        TMainFixture f(QStringLiteral("[PageControl]\r\nPagesCount=8\r\n[MainForm]\r\nLeft=%1\r\n"
                                      "Top=%2\r\n")
                           .arg(work.left() + 10)
                           .arg(work.bottom() - 30)
                           .toUtf8(),
                       pagesIni);
        f.main->show();
        f.main->FormActivate();
        QVERIFY(work.contains(f.main->frameGeometry()));
        // Growing later (a wider grid) keeps it inside as well.
        f.settings->SetColCount(5);
        f.settings->SetCommandsCount(12);
        f.pc()->SetColCount(5);
        f.pc()->SetCommandsCount(12);
        f.main->SetMinHeightAndWidth();
        QVERIFY(work.contains(f.main->frameGeometry()));
    }

    void hintsShowWhileAnotherWindowIsActive()
    {
        TMainFixture f;
        f.main->FormActivate();
        TCommand* button = f.pc()->GetCommand(0, 0);
        button->Record()->SetDescription(QStringLiteral("Подсказка"));
        button->RefreshHint();
        f.main->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.main.get()));
        QWidget other;
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        other.activateWindow();
        QTRY_VERIFY(other.isActiveWindow());
        QVERIFY(!f.main->isActiveWindow());
        QTest::mouseMove(button, TCommand::PictureRect().center());
        QTest::mouseMove(button, TCommand::PictureRect().center() + QPoint(1, 1));
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), QStringLiteral("Подсказка"));
        QToolTip::hideText();
    }

    void buttonsFollowTheirFiles()
    {
        TMainFixture f;
        const QString program = f.file("tool.sh");
        writeAll(program, "#!/bin/sh\n");
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        f.main->FormActivate();
        f.main->show();
        TCommand* button = f.pc()->GetCommand(0, 0);
        button->Record()->SetExePath(program);
        button->Record()->SetIconPath(program);
        button->RefreshHint();
        button->RefreshIcon();
        f.pc()->RefreshShownPage();
        QVERIFY(!button->Hint().contains(u'\r'));
        // Deleted while the program runs: the folder's watch redraws it without a click.
        QFile::remove(program);
        QTRY_VERIFY(button->Hint().contains(QStringLiteral("Файл команды не найден!")));
        // Back again, and found again when the window is next shown.
        writeAll(program, "#!/bin/sh\n");
        f.main->hide();
        f.main->show();
        QTRY_VERIFY(!button->Hint().contains(u'\r'));
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
