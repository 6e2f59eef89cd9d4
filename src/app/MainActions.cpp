// The main window's actions, its three menus and the handlers that need no dialog of their own.
#include "app/HelpViewer.h"
#include "app/Main.h"
#include "app/SettingsExport.h"
#include "commands/Messages.h"
#include "dialogs/Custom.h"
#include "dialogs/PagesImages.h"
#include "history/ArrowButton.h"
#include "images/MainImageList.h"
#include "pages/CommandsPage.h"
#include "pages/MyPageControl.h"
#include "platform/MessageBoxes.h"
#include "platform/Shell.h"
#include "settings/Constants.h"
#include "settings/Folders.h"
#include "settings/ProfileUndo.h"
#include "settings/SharedFiles.h"
#include "settings/SystemSettings.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDate>
#include <QFile>
#include <QMenu>

namespace {

QAction* MakeAction(TfmMain* form, QAction*& field, const char* name, const QString& category,
                    const QString& caption, const QKeySequence& shortcut, int image)
{
    field = new QAction(caption, form);
    field->setObjectName(QString::fromLatin1(name));
    field->setProperty("category", category);
    if (!shortcut.isEmpty()) {
        field->setShortcut(shortcut);
        field->setShortcutContext(Qt::WindowShortcut);
    }
    if (image >= 0)
        field->setIcon(MainImage(image));
    form->addAction(field);
    form->ActionList1.append(field);
    return field;
}

} // namespace

void TfmMain::CreateActions()
{
    const QString command = QStringLiteral("Команда");
    const QString help = QStringLiteral("Помощь");
    const QString options = QStringLiteral("Настройки");
    const QString pages = QStringLiteral("Страницы");

    MakeAction(this, Buttons_ParametersAction, "Buttons_ParametersAction", command,
               QStringLiteral("Параметры команды"), {}, 9);
    MakeAction(this, NewsAction, "NewsAction", help, QStringLiteral("Новости проекта"), {}, 10);
    MakeAction(this, Options_MainOptionsAction, "Options_MainOptionsAction", options,
               QStringLiteral("Общие"), QKeySequence(Qt::CTRL | Qt::Key_O), 1);
    MakeAction(this, AboutProgAction, "AboutProgAction", help, QStringLiteral("О программе"), {},
               3);
    MakeAction(this, ExportParamsAction, "ExportParamsAction", QString(), QStringLiteral("Экспорт"),
               QKeySequence(Qt::CTRL | Qt::Key_E), 7);
    MakeAction(this, WorkingWithProgAction, "WorkingWithProgAction", help,
               QStringLiteral("Работа с программой"), QKeySequence(Qt::Key_F1), 4);
    MakeAction(this, ExitAction, "ExitAction", QString(), QStringLiteral("Выход"), {}, -1);
    MakeAction(this, Buttons_CreateShortCutAction, "Buttons_CreateShortCutAction", command,
               QStringLiteral("Создать ярлык"), {}, 11);
    MakeAction(this, Options_PagesImagesRepositoryAction, "Options_PagesImagesRepositoryAction",
               options, QStringLiteral("Рисунки"), QKeySequence(Qt::CTRL | Qt::Key_I), 18);
    MakeAction(this, Pages_AddAction, "Pages_AddAction", pages, QStringLiteral("Добавить"),
               QKeySequence(Qt::CTRL | Qt::Key_Insert), 0);
    MakeAction(this, Pages_RenameAction, "Pages_RenameAction", pages,
               QStringLiteral("Переименовать"), QKeySequence(Qt::Key_F2), 15);
    MakeAction(this, Pages_ChangeImageAction, "Pages_ChangeImageAction", pages,
               QStringLiteral("Изменить рисунок"), QKeySequence(Qt::Key_F3), 14);
    MakeAction(this, Pages_DelAction, "Pages_DelAction", pages, QStringLiteral("Удалить"),
               QKeySequence(Qt::CTRL | Qt::Key_Delete), 17);
    MakeAction(this, Buttons_ClearAction, "Buttons_ClearAction", command,
               QStringLiteral("Очистить"), {}, 8);
    MakeAction(this, GotoWWWAction, "GotoWWWAction", help, QStringLiteral("Сайт программы"), {},
               20);
    MakeAction(this, SendMaul_BugAction, "SendMaul_BugAction", help,
               QStringLiteral("Написать о найденной ошибке"), {}, 21);
    MakeAction(this, SendMail_WishAction, "SendMail_WishAction", help,
               QStringLiteral("Написать пожелание к программе"), {}, 19);

    MakeAction(this, ImportParamsAction, "ImportParamsAction", QString(),
               QStringLiteral("Импорт настроек…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E),
               -1);
    MakeAction(this, BackupsAction, "BackupsAction", QString(), QStringLiteral("Резервные копии…"),
               {}, -1);
    MakeAction(this, UndoAction, "UndoAction", QString(), QStringLiteral("Отменить"),
               QKeySequence(Qt::CTRL | Qt::Key_Z), -1);
    MakeAction(this, RedoAction, "RedoAction", QString(), QStringLiteral("Повторить"),
               QKeySequence(Qt::CTRL | Qt::Key_Y), -1);
    RedoAction->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    UndoAction->setEnabled(false);
    RedoAction->setEnabled(false);

    // Queued: a handler may open a modal dialog, and the menu that triggered it must close first.
    auto bind = [this](QAction* action, void (TfmMain::*handler)()) {
        connect(action, &QAction::triggered, this, handler, Qt::QueuedConnection);
    };
    bind(Buttons_ParametersAction, &TfmMain::Buttons_ParametersActionExecute);
    bind(NewsAction, &TfmMain::NewsActionExecute);
    bind(Options_MainOptionsAction, &TfmMain::Options_MainOptionsActionExecute);
    bind(AboutProgAction, &TfmMain::AboutProgActionExecute);
    bind(ExportParamsAction, &TfmMain::ExportParamsActionExecute);
    bind(WorkingWithProgAction, &TfmMain::WorkingWithProgActionExecute);
    bind(ExitAction, &TfmMain::ExitActionExecute);
    bind(Buttons_CreateShortCutAction, &TfmMain::Buttons_CreateShortCutActionExecute);
    bind(Options_PagesImagesRepositoryAction, &TfmMain::Options_PagesImagesRepositoryActionExecute);
    bind(Pages_AddAction, &TfmMain::Pages_AddActionExecute);
    bind(Pages_RenameAction, &TfmMain::Pages_RenameActionExecute);
    bind(Pages_ChangeImageAction, &TfmMain::Pages_ChangeImageActionExecute);
    bind(Pages_DelAction, &TfmMain::Pages_DelActionExecute);
    bind(Buttons_ClearAction, &TfmMain::Buttons_ClearActionExecute);
    bind(GotoWWWAction, &TfmMain::GotoWWWActionExecute);
    bind(SendMaul_BugAction, &TfmMain::SendMaul_BugActionExecute);
    bind(SendMail_WishAction, &TfmMain::SendMail_WishActionExecute);
    bind(ImportParamsAction, &TfmMain::ImportParamsActionExecute);
    bind(BackupsAction, &TfmMain::BackupsActionExecute);
    bind(UndoAction, &TfmMain::UndoActionExecute);
    bind(RedoAction, &TfmMain::RedoActionExecute);
}

void TfmMain::UpdateUndoActions()
{
    const bool canUndo = UndoStack && UndoStack->CanUndo();
    const bool canRedo = UndoStack && UndoStack->CanRedo();
    UndoAction->setEnabled(canUndo);
    RedoAction->setEnabled(canRedo);
    UndoAction->setText(canUndo ? QStringLiteral("Отменить ") + UndoStack->UndoLabel()
                                : QStringLiteral("Отменить"));
    RedoAction->setText(canRedo ? QStringLiteral("Повторить ") + UndoStack->RedoLabel()
                                : QStringLiteral("Повторить"));
}

void TfmMain::UndoActionExecute()
{
    // Not behind an open dialog's back: it holds the buttons that the undo replaces.
    if (!UndoStack || !UndoStack->CanUndo() || m_FirstActivation ||
        QApplication::activeModalWidget())
        return;
    if (!UndoStack->Undo())
        ShowError(QStringLiteral("Не удалось отменить %1:\rфайлы настроек не записаны.")
                      .arg(UndoStack->UndoLabel()),
                  QStringLiteral("Ошибка"));
}

void TfmMain::RedoActionExecute()
{
    if (!UndoStack || !UndoStack->CanRedo() || m_FirstActivation ||
        QApplication::activeModalWidget())
        return;
    if (!UndoStack->Redo())
        ShowError(QStringLiteral("Не удалось повторить %1:\rфайлы настроек не записаны.")
                      .arg(UndoStack->RedoLabel()),
                  QStringLiteral("Ошибка"));
}

void TfmMain::CreateMenus()
{
    CommandPopupMenu = new QMenu(this);
    CommandPopupMenu->setObjectName(QStringLiteral("CommandPopupMenu"));
    CommandPopupMenu->addAction(Buttons_ParametersAction);
    CommandPopupMenu->addAction(Buttons_CreateShortCutAction);
    CommandPopupMenu->addSeparator();
    CommandPopupMenu->addAction(Buttons_ClearAction);
    connect(CommandPopupMenu, &QMenu::aboutToShow, this, [this] {
        // Opened from the quick-launch button's first part, the menu must not clear anything.
        QWidget* under = QApplication::widgetAt(QCursor::pos());
        m_commandMenuFromQuickLaunch = under && (under == QuickLaunchArrowButton ||
                                                 QuickLaunchArrowButton->isAncestorOf(under));
    });

    auto settingsMenu = [this](QMenu* parent) {
        QMenu* menu = parent->addMenu(MainImage(1), QStringLiteral("Настройки"));
        menu->addAction(Options_MainOptionsAction);
        menu->addAction(Options_PagesImagesRepositoryAction);
    };
    auto serviceMenu = [this](QMenu* parent) {
        QMenu* menu = parent->addMenu(MainImage(5), QStringLiteral("Сервис"));
        menu->addAction(UndoAction);
        menu->addAction(RedoAction);
        menu->addSeparator();
        menu->addAction(ExportParamsAction);
        menu->addAction(ImportParamsAction);
        menu->addAction(BackupsAction);
    };
    auto helpMenu = [this](QMenu* parent) {
        QMenu* menu = parent->addMenu(MainImage(4), QStringLiteral("Помощь"));
        menu->addAction(AboutProgAction);
        menu->addAction(NewsAction);
        menu->addAction(WorkingWithProgAction);
        menu->addSeparator();
        menu->addAction(GotoWWWAction);
        menu->addAction(SendMaul_BugAction);
        menu->addAction(SendMail_WishAction);
    };

    MainPopupMenu = new QMenu(this);
    MainPopupMenu->setObjectName(QStringLiteral("MainPopupMenu"));
    QMenu* page = MainPopupMenu->addMenu(MainImage(2), QStringLiteral("Страница"));
    page->addAction(Pages_AddAction);
    page->addAction(Pages_RenameAction);
    page->addAction(Pages_ChangeImageAction);
    page->addSeparator();
    page->addAction(Pages_DelAction);
    MainPopupMenu->addSeparator();
    settingsMenu(MainPopupMenu);
    serviceMenu(MainPopupMenu);
    MainPopupMenu->addSeparator();
    helpMenu(MainPopupMenu);
    MainPopupMenu->addSeparator();
    MainPopupMenu->addAction(ExitAction);

    TrayPopupMenu = new QMenu(this);
    TrayPopupMenu->setObjectName(QStringLiteral("TrayPopupMenu"));
    miSkins = TrayPopupMenu->addMenu(MainImage(6), QStringLiteral("Скины"));
    miSkins->setObjectName(QStringLiteral("miSkins"));
    settingsMenu(TrayPopupMenu);
    serviceMenu(TrayPopupMenu);
    TrayPopupMenu->addSeparator();
    helpMenu(TrayPopupMenu);
    TrayPopupMenu->addSeparator();
    TrayPopupMenu->addAction(ExitAction);
}

void TfmMain::Buttons_CreateShortCutActionExecute()
{
    TCommand* command = HoveredCommand();
    if (!command || command->IsEmpty())
        return;
    CreateDesktopShortcut(command->ExePath(), command->IconPath(), command->Description(),
                          command->Parameters(), command->IconIndex());
}

void TfmMain::Buttons_ClearActionExecute()
{
    if (m_commandMenuFromQuickLaunch)
        return;
    TCommand* command = HoveredCommand();
    if (!command || command->IsEmpty())
        return;
    if (SystemSettings->Conformations()->Contains(TSys_Conformations::ClearCommand) &&
        !Confirm(QStringLiteral("Подтвердите очистку параметров команды !"),
                 QStringLiteral("Очистка параметров команды")))
        return;
    TUndoStep step(QStringLiteral("очистку команды «%1»").arg(command->DisplayName()));
    command->Clear();
}

void TfmMain::Pages_DelActionExecute()
{
    if (MainMyPageControl->PageCount() == 0)
        return;
    if (SystemSettings->Conformations()->Contains(TSys_Conformations::DelPage) &&
        !Confirm(QStringLiteral("Подтвердите удаление !"), QStringLiteral("Удаление страницы")))
        return;
    const TCommandsPage* page = MainMyPageControl->ActivePage();
    TUndoStep step(
        QStringLiteral("удаление страницы «%1»").arg(page ? page->Caption() : QString()));
    MainMyPageControl->DeleteActivePage();
    if (MainMyPageControl->PageCount() == 0) {
        // The last page is gone. Left as it is, the stored count of 0 would end every later start
        // at once; start afresh next time with the single page a first run has.
        const QString pagesPath = Folders::appFolder() + Constants::PagesFileName;
        bool pageLeft = false;
        for (const QString& section : PagesFile->sections())
            pageLeft =
                pageLeft ||
                !PagesFile->readString(section, QStringLiteral("Caption"), QString()).isEmpty();
        if (!pageLeft)
            QFile::remove(pagesPath);
        SystemSettings->InitializeFiles();
        if (!pageLeft)
            SystemSettings->SetPagesCount(1);
    }
    SetMinHeightAndWidth();
}

void TfmMain::Options_PagesImagesRepositoryActionExecute()
{
    if (PagesImagesDialog) {
        PagesImagesDialog->raise();
        PagesImagesDialog->activateWindow();
        return;
    }
    auto* dialog = new TfmPagesImages(this, Folders::appFolder() + Constants::PagesImagesFileName);
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    PagesImagesDialog = dialog;
    PlaceBesideMainWindow(this, dialog);
    TUndoStep step(QStringLiteral("изменение рисунков страниц"));
    const bool ok = dialog->exec() == QDialog::Accepted;
    // Pages name their pictures by place: those after a deleted picture move up with it.
    const QList<int> newPlaces = ok ? dialog->Repository().NewPlacesOfLoaded() : QList<int>();
    delete dialog;
    if (ok) {
        MainMyPageControl->RemapImageIndexes(newPlaces);
        ReloadPageImages();
    }
}

void TfmMain::ExportParamsActionExecute()
{
    ExportSettings(Folders::appFolder(), QDate::currentDate(), this);
}

void TfmMain::WorkingWithProgActionExecute()
{
    THelpViewer::ShowContents();
}

void TfmMain::GotoWWWActionExecute()
{
    OpenWebSite();
}

void TfmMain::SendMaul_BugActionExecute()
{
    SendMailLink(MailErrorReport);
}

void TfmMain::SendMail_WishActionExecute()
{
    SendMailLink(MailWish);
}

// The program has no news to show; the menu entry stays for the familiar menu layout.
void TfmMain::NewsActionExecute() {}

void TfmMain::ExitActionExecute()
{
    m_ExitRequested = true;
    Terminate();
}
