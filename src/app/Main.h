#pragma once

#include "commands/Command.h"
#include "commands/DroppedItems.h"

#include <QPixmap>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <functional>

class QAction;
class QFrame;
class QMenu;
class QProgressBar;
class QSystemTrayIcon;
class QTimer;
class TArrowButton;
class TFindBox;
class TCommandsPage;
class TMyPageControl;
class TSkinEngine;
class TSkinsMenu;
class TUndoStack;

// The program's only main window: a narrow tool window at the right edge of the screen's work
// area with the page control above and the status panel (loading gauge, then the quick-launch
// button) below. It lives in the tray: closing it hides it there; only the exit action ends the
// program.
class TfmMain : public QWidget
{
    Q_OBJECT

public:
    static constexpr int ButtonSize = 41;
    static constexpr int StatusPanelLoadingHeight = 16;
    static constexpr int StatusPanelHeight = 25;
    static constexpr int ClientExtraWidth = 3;
    static constexpr int DesignWidth = 104;

    explicit TfmMain(QWidget* parent = nullptr);
    ~TfmMain() override;

    // Components, named as the program's design names them.
    TMyPageControl* MainMyPageControl = nullptr;
    QFrame* StatusPanel = nullptr;
    QProgressBar* LoadingGauge = nullptr;
    TArrowButton* QuickLaunchArrowButton = nullptr;
    QSystemTrayIcon* TrayIcon = nullptr;
    QMenu* CommandPopupMenu = nullptr;
    QMenu* MainPopupMenu = nullptr;
    QMenu* TrayPopupMenu = nullptr;
    QMenu* miSkins = nullptr;
    QList<QAction*> ActionList1;
    QList<QPixmap> CommandsPagesImageList;
    QStringList PageImageNames;

    // The actions.
    QAction* Buttons_ParametersAction = nullptr;
    QAction* NewsAction = nullptr;
    QAction* Options_MainOptionsAction = nullptr;
    QAction* AboutProgAction = nullptr;
    QAction* ExportParamsAction = nullptr;
    QAction* WorkingWithProgAction = nullptr;
    QAction* ExitAction = nullptr;
    QAction* Buttons_CreateShortCutAction = nullptr;
    QAction* Options_PagesImagesRepositoryAction = nullptr;
    QAction* Pages_AddAction = nullptr;
    QAction* Pages_RenameAction = nullptr;
    QAction* Pages_ChangeImageAction = nullptr;
    QAction* Pages_DelAction = nullptr;
    QAction* Buttons_ClearAction = nullptr;
    QAction* GotoWWWAction = nullptr;
    QAction* SendMaul_BugAction = nullptr;
    QAction* SendMail_WishAction = nullptr;
    QAction* ImportParamsAction = nullptr;
    QAction* BackupsAction = nullptr;
    QAction* UndoAction = nullptr;
    QAction* RedoAction = nullptr;
    // The user's changes to pages and commands, for undo and redo.
    TUndoStack* UndoStack = nullptr;

    bool FirstActivation() const { return m_FirstActivation; }
    bool ExitRequested() const { return m_ExitRequested; }

    // The first activation: loads the pages and fills the quick-launch button. Runs once, from
    // the event loop after the window is shown; callable directly by tests.
    void FormActivate();
    void SetMinHeightAndWidth();
    void ReloadPageImages();
    void HideToTray();
    void RestoreFromTray();
    // A second start of the program: restore and come to the front.
    void ActivateFromOtherInstance();
    // The page changed by a tab click.
    void MainMyPageControlChange();

    // Files, folders and links dropped on a button (target; none: only the drop sound) or on a
    // page's tab: each makes a command as the parameters dialog's file button would, desktop
    // shortcuts are read as shortcuts. One item goes onto the button (asking before it replaces
    // a command); several fill the target and the next buttons of its page that are empty, and
    // the tab's page from its first empty button. DropFiles takes local paths.
    void DropItems(const QList<TDroppedItem>& items, TCommand* target);
    void DropItemsOnPage(const QList<TDroppedItem>& items, int page);
    void DropFiles(const QStringList& files, TCommand* target);

    // The find box over the commands of every page, started with the typed text; none while
    // the pages load.
    TFindBox* OpenFindBox(const QString& typed);

    // Switch stay-on-top and translucency without recreating what the window relies on.
    void ApplyStayOnTop(bool on);
    void ApplyAlphaBlend(bool on, int value);
    bool IsStayOnTop() const;

    // Where the window stands when shown: the stored position, or the bottom right of the
    // primary work area when that position lies off every screen.
    static QPoint VisiblePosition(const QPoint& stored, const QSize& size);
    // Moves the window so that all of it lies in the work area of the screen it stands on.
    void KeepInWorkArea();
    QRect WorkArea() const;

    // The page images dialog, the settings dialog and the rest of the action handlers.
    void Buttons_ParametersActionExecute();
    void Buttons_CreateShortCutActionExecute();
    void Buttons_ClearActionExecute();
    void Pages_AddActionExecute();
    void Pages_RenameActionExecute();
    void Pages_ChangeImageActionExecute();
    void Pages_DelActionExecute();
    void Options_MainOptionsActionExecute();
    void Options_PagesImagesRepositoryActionExecute();
    void AboutProgActionExecute();
    void ExportParamsActionExecute();
    void WorkingWithProgActionExecute();
    void GotoWWWActionExecute();
    void SendMaul_BugActionExecute();
    void SendMail_WishActionExecute();
    void NewsActionExecute();
    void ExitActionExecute();
    void ImportParamsActionExecute();
    void BackupsActionExecute();
    // Reads and checks an archive (an export or a backup), says what it holds and, when the user
    // agrees, puts its files in the settings' place and shows them; true when it did.
    bool ImportArchive(const QString& path, bool backup);
    // Puts other settings files in place through replace (true when it did), as one undoable
    // step named label, and shows them.
    bool ReplaceSettings(const QString& label, const std::function<bool()>& replace);
    // The backup of the settings made at every start; a failure is told in the tray's balloon.
    void BackUpSettings();
    void UndoActionExecute();
    void RedoActionExecute();
    // Shows the profile as the files now hold it (after an undo or an import): pages, commands,
    // pictures, grid and history, keeping the page on screen where it still exists.
    void ReloadProfile();

    // The page dialog driver: mode 0 add, 1 rename, 2 change image; true when a page changed.
    bool ExecutePageDialog(int mode, const QString& initialName);

    // The dialogs that are open, one of each kind at most.
    QPointer<QWidget> CommandOptionsDialog;
    QPointer<QWidget> SystemOptionsDialog;
    QPointer<QWidget> PagesImagesDialog;
    QPointer<QWidget> AboutDialog;

    // True when CommandPopupMenu was opened from the quick-launch button's first part.
    bool CommandMenuFromQuickLaunch() const { return m_commandMenuFromQuickLaunch; }
    // How often the window was fitted to its pages (tests see whether something was laid out).
    int LayoutCount() const { return m_layoutCount; }

    // Called instead of ending the program (tests); empty: the application quits.
    std::function<void()> OnTerminate;

    // What a drop did: the commands placed, the items refused (each with its reason) and those
    // left over when the page ran out of empty buttons.
    struct TDropResult
    {
        int placed = 0;
        QStringList refusals;
        int left = 0;
    };
    // ask: questions and reports in boxes, as for the user's own drop; otherwise (the command
    // line) nothing is asked and filled buttons are never replaced.
    TDropResult FillFromDrop(const QList<TDroppedItem>& items, TCommandsPage* page, int first,
                             bool ask = true);

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormCreate();
    void FormDestroy();
    void CreateActions();
    void CreateMenus();
    void LayoutClient();
    void SetClientSize(int width, int height);
    void Terminate();
    TCommand* CommandAt(const QPoint& globalPoint) const;
    // The page whose tab is at the point, -1 when none.
    int TabAt(const QPoint& globalPoint) const;
    // Tells the page control which button a drag is over, and returns it.
    TCommand* TrackDragTarget(const QPoint& localPoint);
    // first: the button the drop landed on, -1 for a drop on the page's tab.
    void TrayActivated(int reason);
    void TrayClick();
    TCommand* HoveredCommand() const;
    void EditCommand(TCommand* command);
    void UpdateUndoActions();

    bool m_FirstActivation = true;
    bool m_probeWindowPainted = false;
    bool m_ExitRequested = false;
    bool m_activationQueued = false;
    bool m_loading = false;
    bool m_destroyed = false;
    bool m_commandMenuFromQuickLaunch = false;
    // Whether the drag under way carries anything that may become a command.
    bool m_dragUsable = false;
    int m_statusHeight = StatusPanelLoadingHeight;
    int m_layoutCount = 0;
    QTimer* m_trayClickTimer = nullptr;
    TSkinEngine* sd = nullptr;
    TSkinsMenu* m_skinsMenu = nullptr;
};
