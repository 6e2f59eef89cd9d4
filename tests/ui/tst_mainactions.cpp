#include "MainFixture.h"
#include "ModalScript.h"
#include "TestSupport.h"
#include "app/Main.h"
#include "commands/Messages.h"
#include "dialogs/AddRenamePage.h"
#include "dialogs/PagesImages.h"
#include "dialogs/SystemOptions.h"
#include "history/ArrowButton.h"
#include "images/Repository.h"
#include "pages/CommandsPage.h"
#include "pages/MyPageControl.h"
#include "settings/Folders.h"
#include "settings/SharedFiles.h"
#include "settings/SystemSettings.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>

// The main window after its first activation, on a profile of the test's own.
struct TActionsFixture : TMainFixture
{
    TActionsFixture(const QByteArray& options, const QByteArray& pagesIni,
                    const QByteArray& commandsIni = {})
        : TMainFixture(options, pagesIni, commandsIni)
    {
        main->FormActivate();
    }
    QStringList captions() const
    {
        QStringList list;
        for (int i = 0; i < pc()->PageCount(); ++i)
            list << pc()->Page(i)->Caption();
        return list;
    }
};

static const QByteArray ThreePages = "[PageControl]\r\nPagesCount=3\r\n";

static TModalScript::Step typeName(const QString& name)
{
    return [name](QDialog* d) {
        auto* page = qobject_cast<TfmAddRenamePage*>(d);
        QVERIFY(page);
        page->Edit->setText(name);
        d->accept();
    };
}

static void cancel(QDialog* d)
{
    d->reject();
}

class TestMainActions : public QObject
{
    Q_OBJECT

private slots:
    void addingWithDuplicateNames()
    {
        TActionsFixture f(
            ThreePages,
            QStringLiteral("[0]\r\nCaption=Work\r\n[1]\r\nCaption=Игры\r\n[2]\r\nCaption=Last\r\n")
                .toUtf8());
        TScriptedMessageBoxes boxes;
        TModalScript script;
        script.then(typeName("WORK"));                 // Latin letters in other case: taken
        script.then(typeName("last"));                 // the last page's name too
        script.then(typeName(QStringLiteral("ИГРЫ"))); // Cyrillic case differs: a new name
        boxes.expect(IDOK);
        boxes.expect(IDOK);
        QVERIFY(f.main->ExecutePageDialog(TfmAddRenamePage::AddPage, QStringLiteral("Новая")));
        QCOMPARE(boxes.shown.size(), 2);
        QCOMPARE(boxes.shown[0].text,
                 QStringLiteral("Страница с таким именем уже существует!\rВведите другое!"));
        QCOMPARE(boxes.shown[0].caption, QStringLiteral("Ошибка"));
        QCOMPARE(f.captions(),
                 QStringList({"Work", QStringLiteral("Игры"), "Last", QStringLiteral("ИГРЫ")}));
        QCOMPARE(f.pc()->ActivePageIndex(), 3);
        // An empty repository: no picture for the new page.
        QCOMPARE(f.pages->readInteger("3", "ImageIndex", 99), -1);
        QCOMPARE(f.settings->PagesCount(), 4);
        QVERIFY(!script.unexpected);
    }

    void renamingAndChangingTheImage()
    {
        TActionsFixture f(ThreePages,
                          "[0]\r\nCaption=Work\r\n[1]\r\nCaption=Play\r\n[2]\r\nCaption=Last\r\n");
        f.pc()->SetActivePageIndex(0);
        TScriptedMessageBoxes boxes;
        TModalScript script;
        // Its own name: nothing changes, nothing is written.
        script.then(typeName("Work"));
        const quint64 writes = f.pages->diskWrites();
        QVERIFY(!f.main->ExecutePageDialog(TfmAddRenamePage::RenamePage, "Work"));
        QCOMPARE(f.pages->diskWrites(), writes);
        // The same name in other case is somebody's name: error, then Cancel.
        script.then(typeName("WORK"));
        script.then(cancel);
        boxes.expect(IDOK);
        QVERIFY(!f.main->ExecutePageDialog(TfmAddRenamePage::RenamePage, "Work"));
        QCOMPARE(f.captions().first(), QString("Work"));
        script.then(typeName("Office"));
        QVERIFY(f.main->ExecutePageDialog(TfmAddRenamePage::RenamePage, "Work"));
        QCOMPARE(f.pages->readString("0", "Caption", ""), QString("Office"));

        // Change image, then Cancel: the page keeps its image.
        f.main->CommandsPagesImageList = {QPixmap(16, 16)};
        f.main->PageImageNames = {"pic"};
        script.then([](QDialog* d) {
            qobject_cast<TfmAddRenamePage*>(d)->PagesImagesImageComboBox->setCurrentIndex(1);
            d->reject();
        });
        QVERIFY(!f.main->ExecutePageDialog(TfmAddRenamePage::ChangeImage, "Office"));
        QCOMPARE(f.pc()->Page(0)->ImageIndex(), -1);
        script.then([](QDialog* d) {
            qobject_cast<TfmAddRenamePage*>(d)->PagesImagesImageComboBox->setCurrentIndex(1);
            d->accept();
        });
        QVERIFY(f.main->ExecutePageDialog(TfmAddRenamePage::ChangeImage, "Office"));
        QCOMPARE(f.pc()->Page(0)->ImageIndex(), 0);
        QCOMPARE(f.pages->readInteger("0", "ImageIndex", 99), 0);
        QVERIFY(!script.unexpected);
    }

    void deletingTheLastPage()
    {
        TActionsFixture f("[PageControl]\r\nPagesCount=1\r\n[Conformations]\r\nDelPage=0\r\n",
                          "[0]\r\nCaption=Only\r\n",
                          "[0\\0]\r\nExePath=/bin/true\r\nIconIndex=0\r\n");
        TScriptedMessageBoxes boxes; // DelPage off: no question
        f.main->Pages_DelActionExecute();
        QCOMPARE(f.pc()->PageCount(), 0);
        QVERIFY(!f.commands->sectionExists("0\\0"));
        // The files are ready for the next start: the first run's single page.
        QCOMPARE(f.pages->readString("0", "Caption", ""), QStringLiteral("Новая"));
        QCOMPARE(f.settings->optionsFile()->readInteger("PageControl", "PagesCount", 0), 1);
        // Nothing more to delete.
        f.main->Pages_DelActionExecute();
    }

    void deletingBothOfTwoPages()
    {
        // Renumbering once left a copy of B's section behind, so that after deleting A and then
        // B a page seemed left, PagesCount stayed 0 and every later start ended at once.
        TActionsFixture f("[PageControl]\r\nPagesCount=2\r\n[Conformations]\r\nDelPage=0\r\n",
                          "[0]\r\nCaption=A\r\n[1]\r\nCaption=B\r\n");
        f.pc()->SetActivePageIndex(0);
        f.main->Pages_DelActionExecute();
        f.main->Pages_DelActionExecute();
        QCOMPARE(f.pc()->PageCount(), 0);
        QCOMPARE(IniFile(f.file("Pages.ini")).sections(), QStringList({"0"}));
        QCOMPARE(f.pages->readString("0", "Caption", ""), QStringLiteral("Новая"));
        QCOMPARE(f.settings->optionsFile()->readInteger("PageControl", "PagesCount", 0), 1);
    }

    void clearingFromTheQuickLaunchMenuDoesNothing()
    {
        TActionsFixture f("[PageControl]\r\nPagesCount=1\r\n[Conformations]\r\nClearCommand=0\r\n",
                          "[0]\r\nCaption=Only\r\n",
                          "[0\\0]\r\nExePath=/bin/true\r\nIconIndex=0\r\n");
        TCommand* command = f.pc()->GetCommand(0, 0);
        SendMessage(f.pc(), UM_COMMAND_ENTER, toParam(command));
        // The menu opened over the quick-launch button's first part.
        f.main->show();
        f.main->QuickLaunchArrowButton->show();
        QCursor::setPos(f.main->QuickLaunchArrowButton->mapToGlobal(QPoint(5, 5)));
        QTimer::singleShot(0, f.main->CommandPopupMenu, &QMenu::close);
        f.main->CommandPopupMenu->exec(QPoint(0, 0));
        if (!f.main->CommandMenuFromQuickLaunch())
            QSKIP("this platform cannot place the pointer");
        SendMessage(f.pc(), UM_COMMAND_ENTER, toParam(command));
        f.main->Buttons_ClearActionExecute();
        QVERIFY(!command->IsEmpty());
        // From anywhere else it clears.
        QCursor::setPos(QPoint(-100, -100));
        QTimer::singleShot(0, f.main->CommandPopupMenu, &QMenu::close);
        f.main->CommandPopupMenu->exec(QPoint(0, 0));
        QVERIFY(!f.main->CommandMenuFromQuickLaunch());
        SendMessage(f.pc(), UM_COMMAND_ENTER, toParam(command));
        f.main->Buttons_ClearActionExecute();
        QVERIFY(command->IsEmpty());
    }

    void settingsDialog()
    {
        TActionsFixture f(ThreePages,
                          "[0]\r\nCaption=A\r\n[1]\r\nCaption=B\r\n[2]\r\nCaption=C\r\n");
        TModalScript script;
        // OK without changes: nothing laid out, nothing written.
        const int layouts = f.main->LayoutCount();
        const quint64 writes = f.settings->optionsFile()->diskWrites();
        script.then([](QDialog* d) { d->accept(); });
        f.main->Options_MainOptionsActionExecute();
        QCOMPARE(f.main->LayoutCount(), layouts);
        QCOMPARE(f.settings->optionsFile()->diskWrites(), writes);

        // Only circular scrolling: laid out again.
        script.then([](QDialog* d) {
            auto* options = qobject_cast<TfmSystemOptions*>(d);
            options->CircleScrollCheckBox->setChecked(true);
            d->accept();
        });
        f.main->Options_MainOptionsActionExecute();
        QCOMPARE(f.main->LayoutCount(), layouts + 1);
        QVERIFY(f.settings->UseCircleScroll());

        // The hotkey comes from the settings and goes back to them.
        f.settings->SetGlobalHotkey("Meta+F12");
        script.then([](QDialog* d) {
            auto* options = qobject_cast<TfmSystemOptions*>(d);
            QCOMPARE(options->Hotkey(), "Meta+F12");
            options->HotkeyCheckBox->setChecked(false);
            d->accept();
        });
        f.main->Options_MainOptionsActionExecute();
        QCOMPARE(f.settings->GlobalHotkey(), "");

        // A second request while the dialog is open brings it to the front, no second dialog.
        script.then([&f](QDialog* d) {
            QVERIFY(f.main->SystemOptionsDialog == d);
            f.main->Options_MainOptionsActionExecute();
            d->reject();
        });
        f.main->Options_MainOptionsActionExecute();
        QCOMPARE(script.shown, 4);
        QVERIFY(!script.unexpected);
    }

    void shrinkingTheGridAsksFirst()
    {
        // 2 x 3 buttons; 0\2 sits in row 2, 0\4 in column 1, 1\5 in both.
        TActionsFixture f("[PageControl]\r\nPagesCount=2\r\nColCount=2\r\nCommandsCount=3\r\n",
                          "[0]\r\nCaption=A\r\n[1]\r\nCaption=B\r\n",
                          "[0\\0]\r\nExePath=/p00\r\n[0\\2]\r\nExePath=/p02\r\n"
                          "[0\\4]\r\nExePath=/p04\r\n[1\\5]\r\nExePath=/p15\r\n");
        TScriptedMessageBoxes boxes;
        TModalScript script;
        auto toOneByTwo = [](QDialog* d) {
            auto* options = qobject_cast<TfmSystemOptions*>(d);
            options->ColCountSpinEdit->setValue(1);
            options->CommandsCountSpinEdit->setValue(2);
            options->CircleScrollCheckBox->setChecked(true);
            d->accept();
        };
        const QByteArray commands = readAll(f.file("Commands.ini"));

        // Cancel keeps the old grid, and every command; the other settings are taken.
        script.then(toOneByTwo);
        boxes.expect(IDCANCEL);
        f.main->Options_MainOptionsActionExecute();
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].text,
                 QStringLiteral("Кнопок с командами за пределами новой сетки: 3.\r"
                                "Их команды будут удалены!\rИзменить сетку ?"));
        QCOMPARE(boxes.shown[0].caption, QStringLiteral("Подтвердите изменение сетки"));
        QCOMPARE(boxes.shown[0].flags, 0x121);
        QCOMPARE(f.settings->ColCount(), 2);
        QCOMPARE(f.settings->CommandsCount(), 3);
        QCOMPARE(f.pc()->Page(1)->ButtonCount(), 6);
        QCOMPARE(readAll(f.file("Commands.ini")), commands);
        QVERIFY(f.settings->UseCircleScroll());

        // OK applies it.
        script.then(toOneByTwo);
        boxes.expect(IDOK);
        f.main->Options_MainOptionsActionExecute();
        QCOMPARE(boxes.shown.size(), 2);
        QCOMPARE(f.settings->ColCount(), 1);
        QCOMPARE(f.settings->CommandsCount(), 2);
        QCOMPARE(IniFile(f.file("Commands.ini")).sections(), QStringList({"0\\0"}));

        // A grid that removes no filled button asks nothing.
        script.then([](QDialog* d) {
            qobject_cast<TfmSystemOptions*>(d)->CommandsCountSpinEdit->setValue(1);
            d->accept();
        });
        f.main->Options_MainOptionsActionExecute();
        QCOMPARE(f.settings->CommandsCount(), 1);
        QCOMPARE(boxes.shown.size(), 2);
        QVERIFY(!boxes.unexpected);
        QVERIFY(!script.unexpected);
    }

    void deletingAPictureKeepsThePagesPictures()
    {
        TActionsFixture f(ThreePages, "[0]\r\nCaption=A\r\nImageIndex=0\r\n"
                                      "[1]\r\nCaption=B\r\nImageIndex=1\r\n"
                                      "[2]\r\nCaption=C\r\nImageIndex=2\r\n");
        {
            TRepository repository(f.file("PagesImages.dat"));
            for (int i = 0; i < 3; ++i) {
                QImage image(16, 16, QImage::Format_RGB32);
                image.fill(qRgb(40 * i, 100, 200));
                QVERIFY(repository.AddImage(QString("pic%1").arg(i), TBitmap::fromImage(image)));
            }
            QVERIFY(repository.Save());
        }
        // The pages were read before the pictures existed; they take them as a start would.
        f.main->ReloadPageImages();
        for (int i = 0; i < 3; ++i)
            f.pc()->Model()->SetPageImage(i, i);

        TScriptedMessageBoxes boxes;
        TModalScript script;
        script.then([](QDialog* d) {
            auto* images = qobject_cast<TfmPagesImages*>(d);
            images->TabsIconsListView->setCurrentRow(1);
            images->DelBitBtnClick();
            images->OkButton->click();
        });
        boxes.expect(IDOK); // yes, delete it
        f.main->Options_PagesImagesRepositoryActionExecute();
        QCOMPARE(boxes.shown.size(), 1);
        // B's own picture is gone: none; C's moved up to place 1.
        QCOMPARE(f.pc()->Page(0)->ImageIndex(), 0);
        QCOMPARE(f.pc()->Page(1)->ImageIndex(), -1);
        QCOMPARE(f.pc()->Page(2)->ImageIndex(), 1);
        IniFile pages(f.file("Pages.ini"));
        QCOMPARE(pages.readInteger("0", "ImageIndex", 9), 0);
        QCOMPARE(pages.readInteger("1", "ImageIndex", 9), -1);
        QCOMPARE(pages.readInteger("2", "ImageIndex", 9), 1);
        QCOMPARE(f.main->PageImageNames, QStringList({"pic0", "pic2"}));
        QVERIFY(!script.unexpected);
    }

    void actionsAndMenus()
    {
        TActionsFixture f("[PageControl]\r\nPagesCount=1\r\n", "[0]\r\nCaption=A\r\n");
        QCOMPARE(f.main->ActionList1.size(), 21);
        QCOMPARE(f.main->Options_MainOptionsAction->shortcut(), QKeySequence("Ctrl+O"));
        QCOMPARE(f.main->Pages_DelAction->shortcut(), QKeySequence("Ctrl+Del"));
        QCOMPARE(f.main->WorkingWithProgAction->shortcut(), QKeySequence("F1"));
        QCOMPARE(f.main->SendMaul_BugAction->text(), QStringLiteral("Написать о найденной ошибке"));
        QStringList items;
        for (QAction* a : f.main->MainPopupMenu->actions())
            items << (a->isSeparator() ? "-" : a->text());
        QCOMPARE(items, QStringList({QStringLiteral("Страница"), "-", QStringLiteral("Настройки"),
                                     QStringLiteral("Сервис"), "-", QStringLiteral("Помощь"), "-",
                                     QStringLiteral("Выход")}));
        items.clear();
        for (QAction* a : f.main->TrayPopupMenu->actions())
            items << (a->isSeparator() ? "-" : a->text());
        QCOMPARE(items, QStringList({QStringLiteral("Скины"), QStringLiteral("Настройки"),
                                     QStringLiteral("Сервис"), "-", QStringLiteral("Помощь"), "-",
                                     QStringLiteral("Выход")}));
        items.clear();
        for (QAction* a : f.main->CommandPopupMenu->actions())
            items << (a->isSeparator() ? "-" : a->text());
        QCOMPARE(items,
                 QStringList({QStringLiteral("Параметры команды"), QStringLiteral("Создать ярлык"),
                              "-", QStringLiteral("Очистить")}));
    }
};

QTEST_MAIN(TestMainActions)
#include "tst_mainactions.moc"
