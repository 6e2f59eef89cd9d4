#include "app/Main.h"
#include "app/FindBox.h"

#include "actions/ShellActions.h"
#include "app/SkinsMenu.h"

#include "commands/Messages.h"
#include "dialogs/Custom.h"
#include "history/ArrowButton.h"
#include "images/Repository.h"
#include "pages/CommandsPage.h"
#include "pages/MyPageControl.h"
#include "platform/MessageBoxes.h"
#include "platform/ProcessClock.h"
#include "platform/ProcessMemory.h"
#include "platform/Shell.h"
#include "settings/Constants.h"
#include "settings/Folders.h"
#include "settings/IniFile.h"
#include "settings/ProfileUndo.h"
#include "settings/SystemSettings.h"
#include "skin/SkinEngine.h"
#include "text/Paths.h"
#include "text/Text.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFrame>
#include <QMenu>
#include <QProgressBar>
#include <QScreen>
#include <QStyle>
#include <QStyleFactory>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWindow>

#include <algorithm>

namespace {

TSystemSettings& Settings()
{
    return *SystemSettings;
}

QRect PrimaryWorkArea()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

QRect PrimaryScreenArea()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
}

} // namespace

TfmMain::TfmMain(QWidget* parent) : QWidget(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("fmMain"));
    setWindowTitle(Constants::ProductName);
    ApplyCustomLook(this);
    // A launcher is seldom the active window; its buttons' hints must show all the same.
    setAttribute(Qt::WA_AlwaysShowToolTips);

    MainMyPageControl = new TMyPageControl(this);
    MainMyPageControl->setObjectName(QStringLiteral("MainMyPageControl"));
    MainMyPageControl->setGeometry(0, 0, 101, 254);
    MainMyPageControl->hide();
    connect(MainMyPageControl, &TMyPageControl::Change, this, &TfmMain::MainMyPageControlChange);

    StatusPanel = new QFrame(this);
    StatusPanel->setObjectName(QStringLiteral("StatusPanel"));
    StatusPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    StatusPanel->setLineWidth(1);

    LoadingGauge = new QProgressBar(StatusPanel);
    LoadingGauge->setObjectName(QStringLiteral("LoadingGauge"));
    LoadingGauge->setTextVisible(false);
    LoadingGauge->setRange(0, 1);
    LoadingGauge->setValue(0);
    QPalette gauge = LoadingGauge->palette();
    gauge.setColor(QPalette::Base, QColor(255, 255, 128));
    gauge.setColor(QPalette::Window, QColor(255, 255, 128));
    gauge.setColor(QPalette::Highlight, Qt::blue);
    LoadingGauge->setPalette(gauge);
    // The platform styles ignore the gauge's colours; the plain one draws them.
    if (QStyle* plain = QStyleFactory::create(QStringLiteral("Fusion"))) {
        plain->setParent(LoadingGauge);
        LoadingGauge->setStyle(plain);
    }

    QuickLaunchArrowButton =
        new TArrowButton(Folders::appFolder() + Constants::RunStatFileName, StatusPanel);
    // Run counts move with their commands whenever pages or buttons are renumbered.
    MainMyPageControl->SetRunStatFile(Folders::appFolder() + Constants::RunStatFileName);
    QuickLaunchArrowButton->setObjectName(QStringLiteral("QuickLaunchArrowButton"));
    QuickLaunchArrowButton->hide();

    CreateActions();
    CreateMenus();
    MainMyPageControl->SetPopupMenu(MainPopupMenu);
    QuickLaunchArrowButton->SetFirstButtonPopupMenu(CommandPopupMenu);
    QuickLaunchArrowButton->SetSecondButtonPopupMenu(MainPopupMenu);

    FormCreate();
}

TfmMain::~TfmMain()
{
    FormDestroy();
}

void TfmMain::FormCreate()
{
    // The skin comes first: everything made below is drawn in it. It is applied only when there
    // are skins at all, so a copy without them keeps the desktop's look.
    sd = new TSkinEngine(this);
    m_skinsMenu = new TSkinsMenu(miSkins, sd, Folders::skinsFolder(), this);
    const int skinEntries = m_skinsMenu->Build();
    if (skinEntries > 1)
        m_skinsMenu->ApplyChosenSkin();
    // The start-up probe also names what the program found, so a check of an installed copy can
    // tell that its settings, icon library and skin were looked for where they belong.
    if (qEnvironmentVariableIsSet("KESTROLIN_STARTUP_PROBE")) {
        PrintStartupProbeText("settings-folder", Folders::appFolder());
        PrintStartupProbeText("icon-library", IconFileExists(Folders::shell32Path())
                                                  ? Folders::shell32Path()
                                                  : QStringLiteral("-"));
        PrintStartupProbeText("skin", sd->Active() ? sd->LoadedFile() : QStringLiteral("-"));
    }

    // Until the pages are loaded only the gauge shows, at the bottom right of the work area
    // (higher when a skin is chosen).
    m_statusHeight = StatusPanelLoadingHeight;
    SetClientSize(DesignWidth, m_statusHeight);
    const QRect work = PrimaryWorkArea();
    int top = work.y() + work.height() - height();
    if (TSkinsMenu::ShiftsWindow(skinEntries))
        top -= TSkinsMenu::SkinWindowShift;
    move(work.x() + work.width() - width(), top);

    // Shortcuts dropped from the desktop become commands.
    setAcceptDrops(true);

    // The tray icon is the way back to a hidden window.
    TrayIcon = new QSystemTrayIcon(QIcon(ProgramIcon(QStringLiteral("MAINICON"), 32)), this);
    TrayIcon->setToolTip(Constants::ProductName);
    TrayIcon->setContextMenu(TrayPopupMenu);
    m_trayClickTimer = new QTimer(this);
    m_trayClickTimer->setSingleShot(true);
    connect(m_trayClickTimer, &QTimer::timeout, this, &TfmMain::TrayClick);
    connect(TrayIcon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) { TrayActivated(int(reason)); });
    TrayIcon->show();
    setWindowIcon(TrayIcon->icon());

    UndoStack = new TUndoStack(Folders::appFolder(), this);
    SetProfileUndo(UndoStack);
    connect(UndoStack, &TUndoStack::Changed, this, &TfmMain::UpdateUndoActions);
    connect(UndoStack, &TUndoStack::Restored, this, &TfmMain::ReloadProfile);

    // The first activation loads the pages; nothing asked to leave yet.
    m_FirstActivation = true;
    m_ExitRequested = false;
    PageImageNames.clear();

    // Stay on top and translucency are the stored choices, applied before the window shows.
    ApplyStayOnTop(Settings().UseStayOnTop());
    ApplyAlphaBlend(Settings().UseAlphaBlend(), Settings().AlphaBlendValue());
}

void TfmMain::FormDestroy()
{
    if (m_destroyed)
        return;
    m_destroyed = true;
    if (ProfileUndo() == UndoStack)
        SetProfileUndo(nullptr);
    if (SystemSettings && !m_FirstActivation) {
        const QPoint position = frameGeometry().topLeft();
        Settings().SetLeft(position.x());
        Settings().SetTop(position.y());
    }
    setAcceptDrops(false);
    if (TrayIcon)
        TrayIcon->hide();
    PageImageNames.clear();
    // The history stores its menu's order while every command it names still lives.
    if (QuickLaunchArrowButton) {
        QuickLaunchArrowButton->History()->StoreMenuOrder();
        delete QuickLaunchArrowButton;
        QuickLaunchArrowButton = nullptr;
    }
}

void TfmMain::SetClientSize(int width, int height)
{
    setFixedSize(width, height);
    LayoutClient();
}

void TfmMain::LayoutClient()
{
    StatusPanel->setGeometry(0, height() - m_statusHeight, width(), m_statusHeight);
    const QRect inside = StatusPanel->contentsRect();
    LoadingGauge->setGeometry(inside);
    QuickLaunchArrowButton->setGeometry(inside);
}

void TfmMain::resizeEvent(QResizeEvent*)
{
    LayoutClient();
}

void TfmMain::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_FirstActivation)
        MainMyPageControl->RefreshShownPage();
    // The pages load once the window is on the screen, so the gauge can be seen filling.
    if (m_FirstActivation && !m_activationQueued) {
        m_activationQueued = true;
        QTimer::singleShot(0, this, &TfmMain::FormActivate);
    }
}

void TfmMain::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !m_FirstActivation &&
        MainMyPageControl->isVisible()) {
        MainMyPageControl->setFocus();
        // Files come and go while the window waits in the tray or behind others.
        MainMyPageControl->RefreshShownPage();
    }
}

void TfmMain::FormActivate()
{
    // Loading lets paint events through; an activation queued meanwhile must not load again.
    if (m_FirstActivation && !m_loading) {
        m_loading = true;
        QuickLaunchArrowButton->hide();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

        ReloadPageImages();
        const bool probe = qEnvironmentVariableIsSet("KESTROLIN_STARTUP_PROBE");
        const TEditCallback edit = [this](TCommand* sender) { EditCommand(sender); };
        // The window takes its size as soon as the first page is there, and is painted with
        // it before the other pages' buttons are made.
        auto firstPageShown = [&] {
            LoadingGauge->hide();
            m_FirstActivation = false;
            m_statusHeight = StatusPanelHeight;
            SetClientSize(width(), MainMyPageControl->height() + m_statusHeight);
            SetMinHeightAndWidth();
            move(VisiblePosition(QPoint(Settings().Left(), Settings().Top()),
                                 frameGeometry().size()));
            KeepInWorkArea();
            if (Settings().AfterLoad())
                return;
            repaint();
            // The start-up probe of the benchmarks: how long it took to see the pages.
            if (probe)
                PrintStartupProbe("startup-ms");
            // What making the window freed (the font configuration read, layouts) goes back to
            // the system before the other pages' commands are read.
            ReturnFreeMemory();
        };
        if (!MainMyPageControl->LoadPages(CommandPopupMenu, QuickLaunchArrowButton, LoadingGauge,
                                          edit, this, firstPageShown)) {
            Terminate();
            return;
        }

        QuickLaunchArrowButton->SetHistoryCount(Settings().HistoryCommandsCount());
        QuickLaunchArrowButton->SetDescending(!Settings().UseAscSort());
        QuickLaunchArrowButton->SetHoverWindow(MainMyPageControl);
        QuickLaunchArrowButton->LoadHistory(MainMyPageControl->CommandsWithProgram());
        QuickLaunchArrowButton->ShowInitialCommand();
        QuickLaunchArrowButton->show();
        MainMyPageControl->SetActivePageIndex(0);

        if (Settings().AfterLoad())
            HideToTray();

        if (probe) {
            // Hidden to the tray after loading, the window was never painted with its pages.
            if (Settings().AfterLoad())
                PrintStartupProbe("startup-ms");
            // And when every button and the quick-launch history were ready.
            PrintStartupProbe("loaded-ms");
            ExitActionExecute();
        } else {
            // Once the window is up: a backup is no reason to keep anyone waiting.
            QTimer::singleShot(0, this, &TfmMain::BackUpSettings);
        }
    }
    if (MainMyPageControl->isVisible())
        MainMyPageControl->setFocus();
}

void TfmMain::ReloadProfile()
{
    if (m_FirstActivation)
        return;
    const int active = MainMyPageControl->ActivePageIndex();
    const QString skin = Settings().SelectedSkinFileName();
    Settings().Load();
    // An open find box lists the buttons about to go.
    for (TFindBox* box : findChildren<TFindBox*>()) {
        box->hide();
        box->deleteLater();
    }
    // The history names the buttons about to go; it starts afresh from the files, as at start.
    QuickLaunchArrowButton->ForgetHistory();
    MainMyPageControl->UnloadPages();
    ReloadPageImages();
    MainMyPageControl->LoadPages(
        CommandPopupMenu, QuickLaunchArrowButton, nullptr,
        [this](TCommand* sender) { EditCommand(sender); }, this);
    QuickLaunchArrowButton->SetHistoryCount(Settings().HistoryCommandsCount());
    QuickLaunchArrowButton->SetDescending(!Settings().UseAscSort());
    QuickLaunchArrowButton->LoadHistory(MainMyPageControl->CommandsWithProgram());
    QuickLaunchArrowButton->ShowInitialCommand();
    MainMyPageControl->SetActivePageIndex(std::min(active, MainMyPageControl->PageCount() - 1));
    // An import brings other options too.
    ApplyStayOnTop(Settings().UseStayOnTop());
    ApplyAlphaBlend(Settings().UseAlphaBlend(), Settings().AlphaBlendValue());
    if (m_skinsMenu && Settings().SelectedSkinFileName() != skin)
        m_skinsMenu->ApplyChosenSkin();
    SetMinHeightAndWidth();
}

QPoint TfmMain::VisiblePosition(const QPoint& stored, const QSize& size)
{
    // A monitor may have been unplugged since the position was stored: a window whose title
    // area lies on no screen would be out of reach.
    const QRect probe(stored, QSize(qMin(size.width(), 40), qMin(size.height(), 20)));
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->availableGeometry().intersects(probe))
            return stored;
    const QRect work = PrimaryWorkArea();
    return QPoint(work.x() + work.width() - size.width(), work.y() + work.height() - size.height());
}

void TfmMain::Terminate()
{
    m_ExitRequested = true;
    if (OnTerminate) {
        OnTerminate();
        return;
    }
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

QRect TfmMain::WorkArea() const
{
    // The work area of the screen the window stands on, or the primary one's when it stands on
    // none.
    QScreen* screen = QGuiApplication::screenAt(frameGeometry().center());
    return screen ? screen->availableGeometry() : PrimaryWorkArea();
}

void TfmMain::KeepInWorkArea()
{
    const QRect work = WorkArea();
    const QRect frame = frameGeometry();
    int left = frame.left(), top = frame.top();
    // Right and bottom first: a window larger than the work area keeps its top left corner in it.
    left = std::max(std::min(left, work.right() + 1 - frame.width()), work.left());
    top = std::max(std::min(top, work.bottom() + 1 - frame.height()), work.top());
    if (left != frame.left() || top != frame.top())
        move(left, top);
}

void TfmMain::SetMinHeightAndWidth()
{
    TMyPageControl* pc = MainMyPageControl;
    if (pc->PageCount() == 0)
        return;
    ++m_layoutCount;
    const QRect work = WorkArea();
    const QRect before = frameGeometry();
    const QSize decoration = before.size() - size();
    // Height: the tabs or the grid, whichever is longer, as far as the work area allows; tabs
    // that do not fit in one row open more rows beside the grid.
    int tabLength = 0;
    for (int i = 0; i < pc->PageCount(); ++i)
        tabLength += pc->TabLength(i);
    const int gridHeight = Settings().CommandsCount() * (ButtonSize + 1);
    const int room = work.height() - decoration.height() - m_statusHeight;
    const int h = std::max(gridHeight, std::min(std::max(tabLength, gridHeight), room));
    // Width from the number of columns, plus every further row of tabs the height leaves; what
    // the work area cannot hold scrolls in the tab strip.
    const int gridWidth = Settings().ColCount() * (ButtonSize + Constants::ButtonGap) +
                          Constants::PageControlExtraWidth;
    const int widthRoom = work.width() - decoration.width() - ClientExtraWidth;
    const int extraRows = pc->TabRowsFor(h) - 1;
    const int pcWidth = std::max(
        gridWidth, std::min(gridWidth + extraRows * TMyPageControl::TabRowWidth, widthRoom));
    pc->resize(pcWidth, h);
    SetClientSize(pcWidth + ClientExtraWidth, h + m_statusHeight);
    const QRect after = frameGeometry();
    // The window keeps its bottom edge on the bottom of the screen as it grows or shrinks; one
    // at the very top stays there. One at the right edge keeps to it as it widens or narrows.
    const int screenHeight = PrimaryScreenArea().height();
    int left = after.left();
    if (before.right() >= work.right())
        left = work.right() + 1 - after.width();
    const int top = after.top() != 0 ? screenHeight - after.height() : after.top();
    move(left, top);
    KeepInWorkArea();
    pc->LayoutPages();
}

void TfmMain::ReloadPageImages()
{
    TRepository repository(Folders::appFolder() + Constants::PagesImagesFileName, 16, 16);
    repository.Load();
    MainMyPageControl->SetImages({});
    CommandsPagesImageList.clear();
    PageImageNames.clear();
    for (int i = 0; i < repository.Count(); ++i) {
        TRepositoryItem* item = repository.Images(i);
        CommandsPagesImageList.append(
            QPixmap::fromImage(item->Bitmap.maskedImage(qRgb(255, 0, 255))));
        PageImageNames.append(item->Name);
    }
    if (!CommandsPagesImageList.isEmpty())
        MainMyPageControl->SetImages(CommandsPagesImageList);
}

void TfmMain::HideToTray()
{
    // Without a tray the window is minimised instead, so it can always be reached again.
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        showMinimized();
        return;
    }
    hide();
}

void TfmMain::RestoreFromTray()
{
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
}

void TfmMain::ActivateFromOtherInstance()
{
    RestoreFromTray();
    activateWindow();
    if (QWindow* window = windowHandle())
        window->requestActivate();
}

void TfmMain::MainMyPageControlChange()
{
    if (!Settings().Sounds()->Contains(TSys_Sounds::MuteAll) &&
        Settings().Sounds()->Contains(TSys_Sounds::ScrollPage))
        PlayEventSound(SoundScrollPage);
}

void TfmMain::TrayActivated(int reason)
{
    if (reason == QSystemTrayIcon::Trigger) {
        // A click counts once the double-click time has passed without a second one.
        m_trayClickTimer->start(QApplication::doubleClickInterval());
    } else if (reason == QSystemTrayIcon::DoubleClick) {
        m_trayClickTimer->stop();
    }
}

void TfmMain::TrayClick()
{
    if (isVisible() && !isMinimized())
        HideToTray();
    else
        RestoreFromTray();
}

void TfmMain::closeEvent(QCloseEvent* event)
{
    if (m_ExitRequested) {
        event->accept();
        return;
    }
    event->ignore();
    HideToTray();
}

bool TfmMain::event(QEvent* event)
{
    if (event->type() == TMessageEvent::eventType()) {
        auto* message = static_cast<TMessageEvent*>(event);
        switch (message->message()) {
        case UM_COMMAND_RUN:
            if (Settings().AfterRunCommand())
                HideToTray();
            return true;
        case UM_RESHOW:
            HideToTray();
            RestoreFromTray();
            MainMyPageControl->setFocus();
            return true;
        default:
            return true;
        }
    }
    const bool handled = QWidget::event(event);
    // The start-up probe of the benchmarks also tells when the window was first painted: before
    // the pages load, with the loading gauge.
    if (event->type() == QEvent::Paint && !m_probeWindowPainted &&
        qEnvironmentVariableIsSet("KESTROLIN_STARTUP_PROBE")) {
        m_probeWindowPainted = true;
        PrintStartupProbe("window-ms");
    }
    return handled;
}

TCommand* TfmMain::CommandAt(const QPoint& globalPoint) const
{
    for (QWidget* w = QApplication::widgetAt(globalPoint); w; w = w->parentWidget()) {
        if (auto* command = qobject_cast<TCommand*>(w))
            return command;
        if (w == this)
            break;
    }
    // widgetAt asks the window system; offscreen and during a drag ask the window itself.
    const QPoint local = mapFromGlobal(globalPoint);
    for (QWidget* w = childAt(local); w; w = w->parentWidget())
        if (auto* command = qobject_cast<TCommand*>(w))
            return command;
    return nullptr;
}

void TfmMain::ApplyStayOnTop(bool on)
{
    if (IsStayOnTop() == on)
        return;
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    // Changing the flags hides the window; everything it holds stays as it was.
    if (shown)
        show();
}

bool TfmMain::IsStayOnTop() const
{
    return windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void TfmMain::ApplyAlphaBlend(bool on, int value)
{
    setWindowOpacity(on ? qBound(0, value, 255) / 255.0 : 1.0);
}

TCommand* TfmMain::HoveredCommand() const
{
    return MainMyPageControl->CurrentCommand();
}

void TfmMain::EditCommand(TCommand* command)
{
    // The clicked button becomes the hovered one, then the parameters dialog opens for it.
    if (TCommand::IsCommandButton(command))
        SendMessage(MainMyPageControl, UM_COMMAND_ENTER, toParam(command));
    Buttons_ParametersActionExecute();
}
