#pragma once

#include "commands/Command.h"
#include "images/KeptPictures.h"

#include <QHash>
#include <QList>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class QFileSystemWatcher;
class QKeyEvent;
class QMimeData;
class QTimer;

class IniFile;
class QMenu;
class QProgressBar;
class QStyleOptionTab;
class TCommandsPage;
class TSystemSettings;

// The page control of the main window: one tab per page of the profile, tabs on the right-hand
// side in as many rows as they need. It shows the profile and follows its changes, scrolls pages
// with the wheel, passes a tab dragged with Alt held to the profile as a page move, and knows the
// button under the mouse (CurrentCommand).
class TMyPageControl : public QWidget
{
    Q_OBJECT

public:
    // Width of one row of tabs.
    static constexpr int TabRowWidth = 24;
    // The border drawn around the page area.
    static constexpr int FrameWidth = 2;
    // How far a style may draw past a tab's rectangle; the selected tab may cover as much as
    // the row of tabs beside it.
    static constexpr int TabOverdraw = 4;

    // settings, pagesFile and commandsFile default to the program's own; the control shows the
    // profile they hold (Model).
    explicit TMyPageControl(QWidget* parent = nullptr, TSystemSettings* settings = nullptr,
                            IniFile* pagesFile = nullptr, IniFile* commandsFile = nullptr);
    ~TMyPageControl() override;

    TProfileModel* Model() const { return m_model; }
    int ColCount() const { return m_model->ColCount(); }
    int CommandsCount() const { return m_model->CommandsCount(); }
    void SetColCount(int n);
    void SetCommandsCount(int n);

    // Where the buttons send what is done to them: their context menu, the history window (runs),
    // the edit callback (a click that finds a file missing) and the main window (runs).
    void SetButtonPartners(QMenu* commandMenu, QObject* historyWindow, TEditCallback editCallback,
                           QObject* mainWindow);
    QMenu* CommandMenu() const { return m_commandMenu; }
    QObject* HistoryWindow() const { return m_historyWindow; }
    TEditCallback EditCallback() const { return m_editCallback; }
    QObject* MainWindow() const { return m_mainWindow; }

    // Adds a page at the end, stored with its caption and picture, and shows it.
    TCommandsPage* AddPage(const QString& caption, int imageIndex);
    // Loads the stored pages (see TProfileModel::Load) and shows the first one; firstPageShown
    // is called once it is on the screen. The buttons of the other pages are made when they are
    // first needed.
    bool LoadPages(QMenu* popupMenu, QObject* historyWindow, QProgressBar* gauge,
                   TEditCallback editCallback, QObject* mainWindow,
                   const std::function<void()>& firstPageShown = {});
    // Every command whose program path names an existing file (not a folder), page by page and
    // within a page in button order.
    QList<TProfileCommand*> CommandsWithProgram() const { return m_model->CommandsWithProgram(); }
    void SaveCounts() { m_model->SaveCounts(); }
    void LayoutPages();
    void DeleteActivePage();
    // Lets go of every page and button without touching the files, before LoadPages shows
    // what they hold now.
    void UnloadPages();
    bool NameExists(const QString& caption) const { return m_model->NameExists(caption); }
    TCommand* GetCommand(int page, int button) const;
    // How many filled buttons a grid of that size would no longer hold.
    int FilledButtonsOutside(int colCount, int commandsCount) const
    {
        return m_model->FilledCommandsOutside(colCount, commandsCount);
    }
    // After page pictures were deleted: newIndexOf[i] is the new place of picture i, -1 when it
    // is gone. Every page follows, in memory and in Pages.ini.
    void RemapImageIndexes(const QList<int>& newIndexOf) { m_model->RemapImageIndexes(newIndexOf); }

    int PageCount() const { return int(m_pages.size()); }
    TCommandsPage* Page(int position) const;
    TCommandsPage* ActivePage() const;
    int ActivePageIndex() const { return m_active; }
    // Makes the page at position active (no sound: the caller decides).
    void SetActivePageIndex(int position);
    int IndexOfPage(const TCommandsPage* page) const
    {
        return int(m_pages.indexOf(const_cast<TCommandsPage*>(page)));
    }

    TCommand* CurrentCommand() const;

    // Draws again the buttons of the page on screen whose files appeared or went away, and
    // watches their folders so that later changes show without a click.
    void RefreshShownPage();

    // The page images; a page's ImageIndex points into this list. Empty: tabs show no images.
    void SetImages(const QList<QPixmap>& images);
    const QList<QPixmap>& Images() const { return m_images; }
    bool HasImages() const { return !m_images.isEmpty(); }

    // Context menu of the tabs and the page background.
    void SetPopupMenu(QMenu* menu) { m_popupMenu = menu; }
    QString HelpKeyword() const { return QStringLiteral("Введение"); }

    // The wheel: the next or previous page, wrapping around when circular scrolling is on.
    void ScrollNext();
    void ScrollPrevious();
    // The keyboard: arrow keys move a mark over the active page's buttons (Up and Down go
    // through a column and on into the next, Left and Right across the columns; the mark stops
    // at the ends), Enter and Return click the marked button, Ctrl+Page Down and Ctrl+Tab go to
    // the next page, Ctrl+Page Up and Ctrl+Shift+Tab to the previous one, as the wheel does.
    // False for any other key.
    bool HandleKey(QKeyEvent* event);
    // The marked button's position on the active page; -1 until an arrow key was pressed.
    int KeyFocusPosition() const { return m_keyFocus; }
    TCommand* KeyFocusCommand() const;

    // A page dropped at a point of this control (in its coordinates).
    void DropPage(const QPoint& point);

    // The tab rectangle of a page position, in this control's coordinates.
    QRect TabRect(int position) const;
    // The length of a page's tab along the tab row: caption width + 21, + 16 with an image.
    int TabLength(int position) const;
    // How many rows of tabs the pages need at a given height of the control.
    int TabRowsFor(int height) const;
    // The rows of tabs in sight: all of them, unless the control is too narrow to show them
    // beside the grid; then the strip scrolls so that the active page's tab stays in sight.
    int TabRowCount() const { return m_tabRows; }
    int ShownTabRowCount() const { return m_tabRowsShown; }
    // The area the active page fills.
    QRect PageArea() const;

    TSystemSettings* Settings() const { return m_model->Settings(); }
    IniFile* PagesIniFile() const { return m_model->PagesIniFile(); }
    IniFile* CommandsIniFile() const { return m_model->CommandsIniFile(); }
    // The run statistics, which move with the commands whenever they change places; none when
    // not set.
    void SetRunStatFile(const QString& fileName) { m_model->SetRunStatFile(fileName); }
    IniFile* RunStatIniFile() const { return m_model->RunStatIniFile(); }

    // Used by pages: a page joins as the last one, or leaves.
    void InsertPage(TCommandsPage* page);
    void RemovePage(TCommandsPage* page);
    void UpdateTabs();

signals:
    // The active page changed through a tab click (the main window plays the page sound).
    void Change();

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void LayoutTabs();
    // A tab's shape as the style draws it unselected, with TabOverdraw round it.
    QPixmap TabShape(const QStyleOptionTab& tab) const;
    // The part of the control that drawing a tab may cover (see TabOverdraw).
    QRect TabPaintRect(int position, bool selected) const;
    void EnsureTabs() const;
    void ActivateByClick(int position);
    // Puts the keyboard's mark on the button at m_keyFocus of the active page.
    void ShowKeyFocus();
    void StartPageDrag();
    bool AcceptsPageDrag(const QMimeData* data) const;
    // The profile's changes, shown.
    void ShowProfile();
    void PageAdded(int position);
    void PageAboutToBeRemoved(int position);
    void PageMoved(int from, int to);
    TCommandsPage* PageOf(const TProfileCommand* command) const;

    QList<TCommandsPage*> m_pages;
    int m_active = -1;
    TProfileModel* m_model;
    QPointer<TCommand> m_currentCommand;
    int m_keyFocus = -1;
    QPointer<TCommand> m_keyFocusButton;
    QList<QPixmap> m_images;
    QList<QRect> m_tabRects;
    // Each caption's width in the control's font, measured once: the window lays the tabs out
    // several times while it takes its size, and measuring text is slow.
    mutable QHash<QString, int> m_captionWidths;
    // Fifty tabs come in a few lengths and places in their row: each such shape is drawn by the
    // style once and copied after, as drawing them one by one is slow.
    mutable TKeptPictures m_tabShapes{64};
    int m_tabRows = 1;
    int m_tabRowsShown = 1;
    int m_firstTabRow = 0;
    bool m_tabsDirty = true;
    QRect m_pageGeometry;
    QPoint m_pressPoint;
    bool m_pagePressed = false;
    int m_wheelRest = 0;
    QFileSystemWatcher* m_watcher = nullptr;
    QTimer* m_refreshTimer = nullptr;
    QStringList m_watchedFolders;
    QPointer<QMenu> m_popupMenu;
    QPointer<QMenu> m_commandMenu;
    QPointer<QObject> m_historyWindow;
    QPointer<QObject> m_mainWindow;
    TEditCallback m_editCallback;
};
