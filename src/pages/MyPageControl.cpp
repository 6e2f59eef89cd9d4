#include "pages/MyPageControl.h"

#include "actions/ShellActions.h"
#include "commands/Messages.h"
#include "history/RepositoryCommands.h"
#include "pages/CommandsPage.h"
#include "platform/Shell.h"
#include "settings/Constants.h"
#include "settings/ProfileUndo.h"
#include "settings/SharedFiles.h"
#include "settings/SystemSettings.h"
#include "text/Text.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QProgressBar>
#include <QStyle>
#include <QStyleOptionTab>
#include <QStyleOptionTabWidgetFrame>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>

namespace {
const QString PageMimeType = QStringLiteral("application/x-kestrolin-page");
} // namespace

TMyPageControl::TMyPageControl(QWidget* parent, TSystemSettings* settings, IniFile* pagesFile,
                               IniFile* commandsFile)
    : QWidget(parent), m_model(new TProfileModel(settings, pagesFile, commandsFile, this))
{
    setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);
    // Changes on disk arrive in bursts (a copy, an uninstall): one look once they settle.
    m_refreshTimer = new QTimer(this);
    m_refreshTimer->setSingleShot(true);
    m_refreshTimer->setInterval(150);
    connect(m_refreshTimer, &QTimer::timeout, this, &TMyPageControl::RefreshShownPage);

    connect(m_model, &TProfileModel::Reset, this, &TMyPageControl::ShowProfile);
    connect(m_model, &TProfileModel::PageAdded, this, &TMyPageControl::PageAdded);
    connect(m_model, &TProfileModel::PageAboutToBeRemoved, this,
            &TMyPageControl::PageAboutToBeRemoved);
    connect(m_model, &TProfileModel::PageMoved, this, &TMyPageControl::PageMoved);
    connect(m_model, &TProfileModel::PageChanged, this, [this] { UpdateTabs(); });
    connect(m_model, &TProfileModel::GridChanged, this, [this] {
        LayoutPages();
        // The mark follows its place in the new grid, so that Enter runs what is marked.
        ShowKeyFocus();
    });
    connect(m_model, &TProfileModel::CommandAdded, this, [this](TProfileCommand* command) {
        if (TCommandsPage* page = PageOf(command))
            page->CommandAdded(command);
    });
    connect(m_model, &TProfileModel::CommandAboutToBeRemoved, this,
            [this](TProfileCommand* command) {
                if (TCommandsPage* page = PageOf(command))
                    page->CommandRemoved(command);
            });
    // The history window hears of the commands' changes as notices, as it hears of their runs.
    ForwardHistoryNotices(m_model, this, [this] { return m_historyWindow.data(); });
    connect(m_model, &TProfileModel::CommandWanted, this, [this](TProfileCommand* command) {
        if (TCommandsPage* page = PageOf(command))
            page->CreateButtons();
    });
}

TMyPageControl::~TMyPageControl()
{
    // The pages' buttons show the profile's commands: they go first.
    m_currentCommand = nullptr;
    while (!m_pages.isEmpty())
        delete m_pages.takeLast();
}

void TMyPageControl::SetButtonPartners(QMenu* commandMenu, QObject* historyWindow,
                                       TEditCallback editCallback, QObject* mainWindow)
{
    m_commandMenu = commandMenu;
    m_historyWindow = historyWindow;
    m_editCallback = std::move(editCallback);
    m_mainWindow = mainWindow;
}

void TMyPageControl::UnloadPages()
{
    m_model->Unload();
}

void TMyPageControl::ShowProfile()
{
    m_currentCommand = nullptr;
    while (!m_pages.isEmpty())
        delete m_pages.takeLast();
    m_active = -1;
    for (int i = 0; i < m_model->PageCount(); ++i)
        new TCommandsPage(this, m_model->Page(i));
    UpdateTabs();
}

void TMyPageControl::PageAdded(int position)
{
    auto* page = new TCommandsPage(this, m_model->Page(position));
    m_pages.move(m_pages.indexOf(page), position);
    UpdateTabs();
}

void TMyPageControl::PageAboutToBeRemoved(int position)
{
    TCommandsPage* page = Page(position);
    if (!page)
        return;
    if (m_currentCommand && m_currentCommand->parent() == page)
        m_currentCommand = nullptr;
    delete page;
}

void TMyPageControl::PageMoved(int from, int to)
{
    TCommandsPage* active = ActivePage();
    m_pages.move(from, to);
    if (active)
        m_active = int(m_pages.indexOf(active));
    UpdateTabs();
}

TCommandsPage* TMyPageControl::PageOf(const TProfileCommand* command) const
{
    return Page(m_model->PageOf(command));
}

TCommandsPage* TMyPageControl::Page(int position) const
{
    return position >= 0 && position < m_pages.size() ? m_pages[position] : nullptr;
}

TCommandsPage* TMyPageControl::ActivePage() const
{
    return Page(m_active);
}

void TMyPageControl::SetActivePageIndex(int position)
{
    if (position < 0 || position >= m_pages.size())
        return;
    const int previous = m_active;
    if (TCommandsPage* old = ActivePage(); old && old != m_pages[position])
        old->setVisible(false);
    m_active = position;
    // Made before the page shows, so that they show with it.
    m_pages[position]->CreateButtons();
    m_pages[position]->setVisible(true);
    ShowKeyFocus();
    // A strip that scrolls follows the active page's tab. Otherwise only the two tabs change;
    // the pages shown and hidden repaint their own place.
    if (m_tabRowsShown < m_tabRows)
        m_tabsDirty = true;
    if (m_tabsDirty) {
        update();
    } else {
        for (const int tab : {previous, position})
            if (tab >= 0 && tab < m_tabRects.size() && !m_tabRects[tab].isNull())
                update(TabPaintRect(tab, true));
    }
    // The page's files may have changed while it was hidden; looked at once its buttons are in.
    m_refreshTimer->start(0);
}

void TMyPageControl::RefreshShownPage()
{
    TCommandsPage* page = ActivePage();
    if (!page)
        return;
    QStringList folders;
    for (TCommand* button : page->Buttons()) {
        button->RefreshIfFilesChanged();
        for (const QString& path : {button->ExePath(), button->IconPath()}) {
            if (path.isEmpty())
                continue;
            const QString folder = QFileInfo(path).absolutePath();
            if (!folders.contains(folder) && QFileInfo(folder).isDir())
                folders.append(folder);
        }
    }
    if (folders == m_watchedFolders)
        return;
    if (!m_watcher) {
        m_watcher = new QFileSystemWatcher(this);
        connect(m_watcher, &QFileSystemWatcher::directoryChanged, this,
                [this] { m_refreshTimer->start(); });
    }
    if (!m_watchedFolders.isEmpty())
        m_watcher->removePaths(m_watchedFolders);
    m_watchedFolders = folders;
    if (!folders.isEmpty())
        m_watcher->addPaths(folders);
}

TCommand* TMyPageControl::CurrentCommand() const
{
    TCommand* command = m_currentCommand.data();
    return TCommand::IsCommandButton(command) ? command : nullptr;
}

void TMyPageControl::SetColCount(int n)
{
    m_model->SetColCount(n);
}

void TMyPageControl::SetCommandsCount(int n)
{
    m_model->SetCommandsCount(n);
}

TCommandsPage* TMyPageControl::AddPage(const QString& caption, int imageIndex)
{
    m_model->AddPage(caption, imageIndex);
    SetActivePageIndex(int(m_pages.size()) - 1);
    return ActivePage();
}

namespace {
constexpr int GaugeRepaintMs = 40;
} // namespace

bool TMyPageControl::LoadPages(QMenu* popupMenu, QObject* historyWindow, QProgressBar* gauge,
                               TEditCallback editCallback, QObject* mainWindow,
                               const std::function<void()>& firstPageShown)
{
    SetButtonPartners(popupMenu, historyWindow, std::move(editCallback), mainWindow);
    hide();
    QElapsedTimer gaugeShown;
    m_model->Load(
        [&](int done, int total) {
            if (!gauge)
                return;
            // Drawn at a pace the eye can follow, not once per page: a new value repaints the
            // gauge at once, so it is set only when the gauge is to be drawn.
            if (gaugeShown.isValid() && gaugeShown.elapsed() < GaugeRepaintMs)
                return;
            if (done == 1)
                gauge->setMaximum(std::max(1, total));
            gauge->setValue(done);
            gauge->show();
            gauge->repaint();
            gaugeShown.start();
        },
        [&] {
            if (gauge)
                gauge->hide();
            // The first page's icons are looked up on another thread while the window measures
            // its tabs and lays itself out.
            if (TProfilePage* first = m_model->Page(0)) {
                QList<std::pair<QString, int>> icons;
                for (const TProfileCommand* command : first->Commands())
                    if (!command->IconPath().isEmpty())
                        icons.append({command->IconPath(), command->IconIndex()});
                PrepareCommandIcons(icons, TCommand::PictureRect().width());
            }
            SetActivePageIndex(0);
            show();
            // Showing drew the icons.
            EndPreparedCommandIcons();
            if (firstPageShown)
                firstPageShown();
        });
    // Every page just made asked to be polished; each is polished when it first shows, and
    // requests on their way through the event queue cost more.
    QCoreApplication::removePostedEvents(nullptr, QEvent::PolishRequest);
    return true;
}

void TMyPageControl::LayoutPages()
{
    LayoutTabs();
    for (TCommandsPage* page : std::as_const(m_pages))
        page->Layout();
}

void TMyPageControl::DeleteActivePage()
{
    if (!ActivePage())
        return;
    const int position = m_active;
    m_model->DeletePage(position);
    if (!m_pages.isEmpty())
        SetActivePageIndex(std::min<int>(position, int(m_pages.size()) - 1));
    else
        m_active = -1;
    UpdateTabs();
}

TCommand* TMyPageControl::GetCommand(int page, int button) const
{
    TCommandsPage* p = Page(page);
    return p ? p->Button(button) : nullptr;
}

void TMyPageControl::SetImages(const QList<QPixmap>& images)
{
    m_images = images;
    m_model->SetImageCount(int(images.size()));
    UpdateTabs();
}

void TMyPageControl::ScrollNext()
{
    const int n = int(m_pages.size());
    const bool circle = Settings() && Settings()->UseCircleScroll();
    if (circle && n > 0 && m_active == n - 1) {
        SetActivePageIndex(0);
        PlayEventSound(SoundScrollPage);
    } else if (m_active + 1 < n) {
        SetActivePageIndex(m_active + 1);
        PlayEventSound(SoundScrollPage);
    }
}

void TMyPageControl::ScrollPrevious()
{
    const int n = int(m_pages.size());
    const bool circle = Settings() && Settings()->UseCircleScroll();
    if (circle && n > 0 && m_active == 0) {
        SetActivePageIndex(n - 1);
        PlayEventSound(SoundScrollPage);
    } else if (m_active > 0) {
        SetActivePageIndex(m_active - 1);
        PlayEventSound(SoundScrollPage);
    }
}

TCommand* TMyPageControl::KeyFocusCommand() const
{
    TCommandsPage* page = ActivePage();
    if (!page || m_keyFocus < 0 || page->ButtonCount() == 0)
        return nullptr;
    return page->Button(std::min(m_keyFocus, page->ButtonCount() - 1));
}

void TMyPageControl::ShowKeyFocus()
{
    TCommand* marked = KeyFocusCommand();
    if (m_keyFocusButton && m_keyFocusButton != marked)
        m_keyFocusButton->SetKeyFocus(false);
    m_keyFocusButton = marked;
    if (marked)
        marked->SetKeyFocus(true);
}

bool TMyPageControl::HandleKey(QKeyEvent* event)
{
    // The keypad's flag is left out: arrows and Enter of the number block act as the others.
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() &
        (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const int key = event->key();
    if (modifiers == Qt::ControlModifier) {
        if (key == Qt::Key_PageDown || key == Qt::Key_Tab) {
            ScrollNext();
            return true;
        }
        if (key == Qt::Key_PageUp) {
            ScrollPrevious();
            return true;
        }
    }
    // Ctrl+Shift+Tab comes as Backtab on most systems, as Tab with Shift on some.
    if (modifiers == (Qt::ControlModifier | Qt::ShiftModifier) &&
        (key == Qt::Key_Backtab || key == Qt::Key_Tab)) {
        ScrollPrevious();
        return true;
    }
    if (modifiers != Qt::NoModifier)
        return false;

    TCommandsPage* page = ActivePage();
    const int count = page ? page->ButtonCount() : 0;
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        TCommand* marked = KeyFocusCommand();
        if (!marked)
            return false;
        // A held key runs the command once, not once per repeat.
        if (!event->isAutoRepeat())
            marked->Click();
        return true;
    }
    int step = 0;
    const int rows = page ? std::max(1, page->CommandsCount()) : 1;
    switch (key) {
    case Qt::Key_Up:
        step = -1;
        break;
    case Qt::Key_Down:
        step = 1;
        break;
    case Qt::Key_Left:
        step = -rows;
        break;
    case Qt::Key_Right:
        step = rows;
        break;
    default:
        return false;
    }
    if (count == 0)
        return true;
    if (m_keyFocus < 0) {
        // The first arrow shows the mark where the pointer is, or on the first button.
        TCommand* hovered = CurrentCommand();
        const int at = hovered ? int(page->Buttons().indexOf(hovered)) : -1;
        m_keyFocus = std::max(at, 0);
    } else {
        m_keyFocus = std::min(m_keyFocus, count - 1);
        if (m_keyFocus + step >= 0 && m_keyFocus + step < count)
            m_keyFocus += step;
    }
    ShowKeyFocus();
    return true;
}

void TMyPageControl::keyPressEvent(QKeyEvent* event)
{
    if (HandleKey(event))
        event->accept();
    else
        QWidget::keyPressEvent(event);
}

void TMyPageControl::DropPage(const QPoint& point)
{
    PlayEventSound(SoundDropPage);
    EnsureTabs();
    int target = -1;
    for (int i = 0; i < m_tabRects.size(); ++i) {
        if (m_tabRects[i].contains(point)) {
            target = i;
            break;
        }
    }
    TCommandsPage* active = ActivePage();
    if (target < 0 || !active || target == m_active)
        return;
    TUndoStep step(QStringLiteral("перемещение страницы «%1»").arg(active->Caption()));
    // The page takes the tab it was dropped on, the pages in between move up one place, and
    // every page's commands and run counts go with it.
    m_model->MovePage(m_active, target);
    SetActivePageIndex(int(m_pages.indexOf(active)));
}

void TMyPageControl::InsertPage(TCommandsPage* page)
{
    m_pages.append(page);
    page->setVisible(false);
    page->setGeometry(m_pageGeometry);
    UpdateTabs();
}

void TMyPageControl::RemovePage(TCommandsPage* page)
{
    const int index = int(m_pages.indexOf(page));
    if (index < 0)
        return;
    m_pages.removeAt(index);
    if (m_active >= m_pages.size())
        m_active = int(m_pages.size()) - 1;
    UpdateTabs();
}

QRect TMyPageControl::TabPaintRect(int position, bool selected) const
{
    const int side = selected ? TabRowWidth : TabOverdraw;
    return m_tabRects[position].adjusted(-side, -TabOverdraw, side, TabOverdraw);
}

int TMyPageControl::TabLength(int position) const
{
    TCommandsPage* page = Page(position);
    if (!page)
        return 0;
    const QString caption = page->Caption();
    auto width = m_captionWidths.constFind(caption);
    if (width == m_captionWidths.constEnd()) {
        // Renamed pages leave their old captions behind.
        if (m_captionWidths.size() > 2 * m_pages.size() + 64)
            m_captionWidths.clear();
        width = m_captionWidths.insert(caption, fontMetrics().horizontalAdvance(caption));
    }
    int length = *width + 21;
    if (page->ImageIndex() != -1)
        length += 16;
    return length;
}

QRect TMyPageControl::TabRect(int position) const
{
    EnsureTabs();
    return position >= 0 && position < m_tabRects.size() ? m_tabRects[position] : QRect();
}

QRect TMyPageControl::PageArea() const
{
    EnsureTabs();
    return QRect(0, 0, std::max(0, width() - m_tabRowsShown * TabRowWidth), height());
}

void TMyPageControl::UpdateTabs()
{
    // Laid out when next needed: loading thousands of pages must not lay the tabs out each time.
    m_tabsDirty = true;
    update();
}

void TMyPageControl::EnsureTabs() const
{
    if (m_tabsDirty)
        const_cast<TMyPageControl*>(this)->LayoutTabs();
}

int TMyPageControl::TabRowsFor(int height) const
{
    int rows = 1, y = 0;
    for (int i = 0; i < m_pages.size(); ++i) {
        const int length = TabLength(i);
        if (y > 0 && y + length > height) {
            ++rows;
            y = 0;
        }
        y += length;
    }
    return rows;
}

void TMyPageControl::LayoutTabs()
{
    m_tabsDirty = false;
    // Tabs run down the right-hand side; a tab that does not fit below the last one opens a
    // further row to the right.
    m_tabRects.clear();
    QList<int> rows;
    int row = 0, y = 0;
    for (int i = 0; i < m_pages.size(); ++i) {
        const int length = TabLength(i);
        if (y > 0 && y + length > height()) {
            ++row;
            y = 0;
        }
        rows.append(row);
        m_tabRects.append(QRect(0, y, TabRowWidth, length));
        y += length;
    }
    m_tabRows = row + 1;
    // The rows of tabs never cover the grid: what does not fit beside it scrolls, following the
    // active page.
    const int grid =
        m_model->ColCount() * (TCommandsPage::ButtonWidth + Constants::ButtonGap) + 2 * FrameWidth;
    const int fit = std::max(1, (width() - grid) / TabRowWidth);
    m_tabRowsShown = std::min(m_tabRows, fit);
    const int activeRow = m_active >= 0 && m_active < rows.size() ? rows[m_active] : 0;
    m_firstTabRow = std::clamp(m_firstTabRow, 0, m_tabRows - m_tabRowsShown);
    if (activeRow < m_firstTabRow)
        m_firstTabRow = activeRow;
    else if (activeRow >= m_firstTabRow + m_tabRowsShown)
        m_firstTabRow = activeRow - m_tabRowsShown + 1;
    const int left = width() - m_tabRowsShown * TabRowWidth;
    for (int i = 0; i < m_tabRects.size(); ++i) {
        const int shownRow = rows[i] - m_firstTabRow;
        if (shownRow < 0 || shownRow >= m_tabRowsShown)
            m_tabRects[i] = QRect();
        else
            m_tabRects[i].moveLeft(left + shownRow * TabRowWidth);
    }
    m_pageGeometry = QRect(0, 0, std::max(0, width() - m_tabRowsShown * TabRowWidth), height())
                         .adjusted(FrameWidth, FrameWidth, -FrameWidth, -FrameWidth);
    for (TCommandsPage* page : std::as_const(m_pages))
        if (page->geometry() != m_pageGeometry)
            page->setGeometry(m_pageGeometry);
}

void TMyPageControl::resizeEvent(QResizeEvent*)
{
    LayoutTabs();
}

void TMyPageControl::paintEvent(QPaintEvent* event)
{
    EnsureTabs();
    QPainter painter(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.rect = PageArea();
    frame.shape = QTabBar::RoundedEast;
    frame.tabBarSize = QSize(m_tabRowsShown * TabRowWidth, height());
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &painter, this);

    // The selected tab is drawn last: styles draw it larger, and its neighbours must not
    // paint over it.
    // Only the tabs in the part being painted: a new active page or a button's picture repaints
    // a small part, and fifty tabs cost more to draw than a page of buttons.
    const QRegion& dirty = event->region();
    auto painted = [&](int i) {
        return !m_tabRects[i].isNull() && dirty.intersects(TabPaintRect(i, i == m_active));
    };
    QList<int> order;
    for (int i = 0; i < m_tabRects.size(); ++i)
        if (i != m_active && painted(i))
            order.append(i);
    if (m_active >= 0 && m_active < m_tabRects.size() && painted(m_active))
        order.append(m_active);
    // What all tabs share, taken from the control once.
    QStyleOptionTab common;
    common.initFrom(this);
    common.shape = QTabBar::RoundedEast;
    for (const int i : std::as_const(order)) {
        TCommandsPage* page = m_pages[i];
        QStyleOptionTab tab = common;
        // Styles turn the shape of a side tab about the painter's origin, as a tab bar of one
        // row at its own left edge would: each tab is drawn from its own corner.
        tab.rect = QRect(QPoint(0, 0), m_tabRects[i].size());
        tab.position = m_tabRects.size() == 1       ? QStyleOptionTab::OnlyOneTab
                       : i == 0                     ? QStyleOptionTab::Beginning
                       : i == m_tabRects.size() - 1 ? QStyleOptionTab::End
                                                    : QStyleOptionTab::Middle;
        if (i == m_active)
            tab.state |= QStyle::State_Selected;
        else
            tab.state &= ~QStyle::State_Selected;
        // The style draws the tab; the picture and the caption, read from top to bottom, are
        // placed here: the styles' own label leaves too little room in a narrow row of tabs.
        if (i == m_active) {
            painter.save();
            // Styles draw the selected tab larger, reaching toward the page: over the page's
            // edge it joins the page, over the next row of tabs it would hide a tab there.
            const QRect row(m_tabRects[i].left(), 0, m_tabRects[i].width(), height());
            painter.setClipRegion(QRegion(row) + QRegion(PageArea()));
            painter.translate(m_tabRects[i].topLeft());
            style()->drawControl(QStyle::CE_TabBarTabShape, &tab, &painter, this);
            painter.restore();
        } else {
            painter.drawPixmap(m_tabRects[i].topLeft() - QPoint(TabOverdraw, TabOverdraw),
                               TabShape(tab));
        }
        QRect inside = m_tabRects[i].adjusted(0, 3, 0, -3);
        const int image = page->ImageIndex();
        if (image >= 0 && image < m_images.size()) {
            const QRect picture(inside.center().x() - 7, inside.top() + 2, 16, 16);
            painter.drawPixmap(picture, m_images[image]);
            inside.setTop(picture.bottom() + 1);
        }
        painter.save();
        painter.setPen(palette().color(QPalette::WindowText));
        painter.translate(inside.center().x() + 1, inside.center().y());
        painter.rotate(90);
        const QRect text(-inside.height() / 2, -inside.width() / 2, inside.height(),
                         inside.width());
        painter.drawText(text, Qt::AlignCenter | Qt::TextSingleLine, page->Caption());
        painter.restore();
    }
}

QPixmap TMyPageControl::TabShape(const QStyleOptionTab& tab) const
{
    const qreal ratio = devicePixelRatioF();
    const QString key = QStringLiteral("%1x%2 %3 %4 %5 %6")
                            .arg(tab.rect.width())
                            .arg(tab.rect.height())
                            .arg(int(tab.position))
                            .arg(int(tab.state))
                            .arg(tab.palette.cacheKey())
                            .arg(ratio);
    // Hover and focus make shapes of their own; the few kept stay few all the same.
    return m_tabShapes.get(key, [&] {
        const QSize size = tab.rect.size() + QSize(2 * TabOverdraw, 2 * TabOverdraw);
        QPixmap drawn(size * ratio);
        drawn.setDevicePixelRatio(ratio);
        drawn.fill(Qt::transparent);
        QPainter painter(&drawn);
        painter.translate(TabOverdraw, TabOverdraw);
        style()->drawControl(QStyle::CE_TabBarTabShape, &tab, &painter, this);
        painter.end();
        return drawn;
    });
}

bool TMyPageControl::event(QEvent* event)
{
    if (event->type() == TMessageEvent::eventType()) {
        auto* message = static_cast<TMessageEvent*>(event);
        if (message->message() == UM_COMMAND_ENTER) {
            // A button, or a command of the profile (the quick-launch button's).
            TCommand* button = TCommand::FromParam(message->wParam());
            if (!button)
                button = TCommand::ButtonFor(TProfileCommand::FromParam(message->wParam()));
            m_currentCommand = button;
            message->result = 0;
            return true;
        }
        if (message->message() == UM_COMMAND_LEAVE) {
            m_currentCommand = nullptr;
            message->result = 0;
            return true;
        }
    }
    // Text is measured anew in another font or on another screen.
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange ||
        event->type() == QEvent::ScreenChangeInternal)
        m_captionWidths.clear();
    // A skin, palette or screen of its own draws other shapes.
    if (event->type() == QEvent::StyleChange || event->type() == QEvent::PaletteChange ||
        event->type() == QEvent::ScreenChangeInternal)
        m_tabShapes.clear();
    return QWidget::event(event);
}

void TMyPageControl::wheelEvent(QWheelEvent* event)
{
    // A mouse notch is 120; the small steps of a fine wheel or a touchpad add up to one.
    m_wheelRest += event->angleDelta().y();
    while (m_wheelRest <= -120) {
        m_wheelRest += 120;
        ScrollNext();
    }
    while (m_wheelRest >= 120) {
        m_wheelRest -= 120;
        ScrollPrevious();
    }
    event->accept();
}

void TMyPageControl::contextMenuEvent(QContextMenuEvent* event)
{
    if (m_popupMenu)
        m_popupMenu->popup(event->globalPos());
    event->accept();
}

void TMyPageControl::ActivateByClick(int position)
{
    if (position == m_active)
        return;
    SetActivePageIndex(position);
    emit Change();
}

void TMyPageControl::mousePressEvent(QMouseEvent* event)
{
    m_pagePressed = false;
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    EnsureTabs();
    for (int i = 0; i < m_tabRects.size(); ++i) {
        if (m_tabRects[i].contains(event->position().toPoint())) {
            ActivateByClick(i);
            // With Alt held the press may start dragging the page once the pointer moves on.
            m_pagePressed = event->modifiers() & Qt::AltModifier;
            m_pressPoint = event->position().toPoint();
            break;
        }
    }
    event->accept();
}

void TMyPageControl::mouseMoveEvent(QMouseEvent* event)
{
    if (m_pagePressed && (event->buttons() & Qt::LeftButton) &&
        (event->position().toPoint() - m_pressPoint).manhattanLength() >=
            QApplication::startDragDistance()) {
        m_pagePressed = false;
        StartPageDrag();
    }
}

void TMyPageControl::mouseReleaseEvent(QMouseEvent*)
{
    m_pagePressed = false;
}

void TMyPageControl::StartPageDrag()
{
    auto* drag = new QDrag(this);
    auto* data = new QMimeData;
    data->setData(PageMimeType, QByteArray::number(quintptr(this)));
    drag->setMimeData(data);
    drag->exec(Qt::MoveAction);
}

bool TMyPageControl::AcceptsPageDrag(const QMimeData* data) const
{
    return data && data->hasFormat(PageMimeType);
}

void TMyPageControl::dragEnterEvent(QDragEnterEvent* event)
{
    // Only a page of a control of this kind may be dropped here.
    if (AcceptsPageDrag(event->mimeData()) && qobject_cast<TMyPageControl*>(event->source()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TMyPageControl::dragMoveEvent(QDragMoveEvent* event)
{
    if (AcceptsPageDrag(event->mimeData()) && qobject_cast<TMyPageControl*>(event->source()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TMyPageControl::dropEvent(QDropEvent* event)
{
    if (!AcceptsPageDrag(event->mimeData()) || !qobject_cast<TMyPageControl*>(event->source()))
        return event->ignore();
    event->acceptProposedAction();
    DropPage(event->position().toPoint());
}
