#pragma once

#include "commands/Command.h"

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
class TCommandsPage;
class TSystemSettings;

// The page control of the main window: one tab per commands page, tabs on the right-hand side
// in as many rows as they need. It loads and stores the pages, keeps every page's grid equal,
// scrolls pages with the wheel, reorders them when a tab is dragged with Alt held, keeps page
// numbers equal to tab positions, and knows the button under the mouse (CurrentCommand).
class TMyPageControl : public QWidget
{
    Q_OBJECT

public:
    // Width of one row of tabs.
    static constexpr int TabRowWidth = 24;
    // The border drawn around the page area.
    static constexpr int FrameWidth = 2;

    // settings, pagesFile and commandsFile default to the program's own.
    explicit TMyPageControl(QWidget* parent = nullptr, TSystemSettings* settings = nullptr,
                            IniFile* pagesFile = nullptr, IniFile* commandsFile = nullptr);
    ~TMyPageControl() override;

    int ColCount() const { return m_ColCount; }
    int CommandsCount() const { return m_CommandsCount; }
    void SetColCount(int n);
    void SetCommandsCount(int n);

    // Adds an empty page; what an earlier page of that number left in the files goes.
    TCommandsPage* AddPage(QMenu* popupMenu, QObject* historyWindow, QObject* mainWindow,
                           TEditCallback editCallback, int pageNumber);
    // Loads the stored pages. When none can be read (a count of 0, no Pages.ini, no section with
    // a caption) the first run's page "Новая" is stored and loaded instead. firstPageShown is
    // called once the first page shows with its commands, before the other pages' buttons are
    // made.
    bool LoadPages(QMenu* popupMenu, QObject* historyWindow, QProgressBar* gauge,
                   TEditCallback editCallback, QObject* mainWindow,
                   const std::function<void()>& firstPageShown = {});
    // Every button whose program path names an existing file (not a folder), page by page and
    // within a page in button order.
    QList<TCommand*> CommandsWithProgram() const;
    void SaveCounts();
    void ApplyStoredCounts();
    void RenumberPages();
    void SaveAllPagesCommands();
    void LayoutPages();
    void DeleteActivePage();
    // Lets go of every page and button without touching the files, before LoadPages shows
    // what they hold now.
    void UnloadPages();
    bool NameExists(const QString& caption) const;
    TCommand* GetCommand(int page, int button) const;
    // How many filled buttons a grid of that size would no longer hold.
    int FilledButtonsOutside(int colCount, int commandsCount) const;
    // After page pictures were deleted: newIndexOf[i] is the new place of picture i, -1 when it
    // is gone. Every page follows, in memory and in Pages.ini.
    void RemapImageIndexes(const QList<int>& newIndexOf);

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

    TSystemSettings* Settings() const;
    IniFile* PagesIniFile() const;
    IniFile* CommandsIniFile() const;
    // The run statistics, which move with the commands whenever they change places; none when
    // not set.
    void SetRunStatFile(const QString& fileName);
    IniFile* RunStatIniFile() const { return m_runStatFile.get(); }

    // Used by pages: a page joins as the last one, leaves, or moves to another position.
    void InsertPage(TCommandsPage* page);
    void RemovePage(TCommandsPage* page);
    void MovePage(TCommandsPage* page, int position);
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
    void EnsureTabs() const;
    void ActivateByClick(int position);
    // Puts the keyboard's mark on the button at m_keyFocus of the active page.
    void ShowKeyFocus();
    void StartPageDrag();
    bool AcceptsPageDrag(const QMimeData* data) const;
    // Every button by its page and button number, taken before a renumbering.
    QHash<quint64, TCommand*> ButtonPlaces() const;
    // Stores every page (withPages) and every command under its present numbers, each file in
    // one write, and moves the run statistics of the buttons placed as before says; whatever
    // the files held under numbers no button has now goes.
    void StoreAll(const QHash<quint64, TCommand*>& before, bool withPages);
    // After a grid change: buttons numbered by position, their sections moving along.
    void NumberButtonsByPosition();

    QList<TCommandsPage*> m_pages;
    int m_active = -1;
    int m_ColCount = 1;
    int m_CommandsCount = 5;
    QPointer<TCommand> m_currentCommand;
    int m_keyFocus = -1;
    QPointer<TCommand> m_keyFocusButton;
    QList<QPixmap> m_images;
    QList<QRect> m_tabRects;
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
    TSystemSettings* m_settings;
    IniFile* m_pagesFile;
    IniFile* m_commandsFile;
    std::unique_ptr<IniFile> m_runStatFile;
};
