#include "history/ArrowButton.h"

#include "commands/Command.h"
#include "commands/Messages.h"
#include "platform/Shell.h"
#include "profile/ProfileModel.h"
#include "settings/IniFile.h"
#include "text/Text.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QEnterEvent>
#include <QFontDatabase>
#include <QMenu>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionMenuItem>
#include <QTextDocument>
#include <QToolButton>
#include <QWidgetAction>

#include <algorithm>

// The history reads positions and program paths from the profile's commands. An address whose
// command is gone reads as no position, so a stale entry can never be dereferenced.
class TArrowButton::TCommandInfo : public IHistoryCommandInfo
{
public:
    static TProfileCommand* live(THistoryCommand command)
    {
        return TProfileCommand::IsLive(command) ? static_cast<TProfileCommand*>(command) : nullptr;
    }
    int PageIndex(THistoryCommand command) const override
    {
        TProfileCommand* c = live(command);
        return c ? c->PageNumber() : -1;
    }
    int CommandIndex(THistoryCommand command) const override
    {
        TProfileCommand* c = live(command);
        return c ? c->ButtonNumber() : -1;
    }
    QString ProgramPath(THistoryCommand command) const override
    {
        TProfileCommand* c = live(command);
        return c ? c->ExePath() : QString();
    }
};

THistoryMenuItem::THistoryMenuItem(TProfileCommand* command, QObject* parent)
    : QAction(parent), m_command(command)
{
    connect(this, &QAction::triggered, this, [this] { TArrowButton::Click(m_command); });
}

void THistoryMenuItem::SetCommand(TProfileCommand* command)
{
    m_command = command;
}

QFont THistoryMenuHeader::CaptionFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    if (font.family().isEmpty()) {
        font = QApplication::font();
        font.setPixelSize(11);
    }
    return font;
}

THistoryMenuHeader::THistoryMenuHeader(QWidget* measureFrom, QWidget* parent)
    : QWidget(parent), m_measureFrom(measureFrom)
{
    setEnabled(false);
}

QSize THistoryMenuHeader::sizeHint() const
{
    // The width comes from the quick-launch button's font, the height is that of an ordinary
    // menu item.
    // The caption is drawn in another font, which may need more room: it is never cut.
    const QFontMetrics controlMetrics(m_measureFrom ? m_measureFrom->font() : font());
    const QFontMetrics drawnMetrics(CaptionFont());
    const int width =
        std::max(controlMetrics.horizontalAdvance(Text), drawnMetrics.horizontalAdvance(Text) + 8) +
        35;
    QStyleOptionMenuItem option;
    option.initFrom(this);
    option.menuItemType = QStyleOptionMenuItem::Normal;
    option.text = Text;
    option.fontMetrics = fontMetrics();
    const QSize content(width, fontMetrics().height());
    const int height =
        style()->sizeFromContents(QStyle::CT_MenuItem, &option, content, this).height();
    return QSize(width, std::max({height, content.height(), drawnMetrics.height() + 2}));
}

QColor THistoryMenuHeader::GradientColor(const QColor& left, const QColor& right, int j, int w)
{
    if (w <= 1)
        return left;
    auto mix = [j, w](int l, int r) { return l + (r - l) * j / (w - 1); };
    return QColor(mix(left.red(), right.red()), mix(left.green(), right.green()),
                  mix(left.blue(), right.blue()));
}

// This desktop has no caption colours of its own; the selection colour stands in for the
// active caption, and its gradient runs towards white as gradient captions do.
QColor THistoryMenuHeader::LeftColor(const QPalette& palette)
{
    return palette.color(QPalette::Active, QPalette::Highlight);
}

QColor THistoryMenuHeader::RightColor(const QPalette& palette)
{
    const QColor left = LeftColor(palette);
    return QColor(left.red() + (255 - left.red()) * 3 / 5,
                  left.green() + (255 - left.green()) * 3 / 5,
                  left.blue() + (255 - left.blue()) * 3 / 5);
}

QColor THistoryMenuHeader::TextColor(const QPalette& palette)
{
    return palette.color(QPalette::Active, QPalette::HighlightedText);
}

void THistoryMenuHeader::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect r = rect();
    const QColor left = LeftColor(palette());
    const QColor right = RightColor(palette());
    const int w = r.width();
    for (int j = 0; j < w; ++j) {
        painter.setPen(QPen(GradientColor(left, right, j, w), 1));
        painter.drawLine(r.left() + j, r.top(), r.left() + j, r.bottom());
    }
    painter.setFont(CaptionFont());
    painter.setPen(TextColor(palette()));
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.drawText(r.adjusted(0, 2, 0, 0), Qt::AlignCenter | Qt::TextDontClip, Text);
}

TArrowButton::TArrowButton(const QString& statFileName, QWidget* parent)
    : QWidget(parent), m_info(std::make_unique<TCommandInfo>())
{
    resize(DefaultWidth, DefaultHeight);
    m_history = std::make_unique<TRepositoryCommands>(std::make_unique<IniFile>(statFileName),
                                                      m_info.get());
    m_history->SetNotifyWindow(this);
    m_history->StoreMaxCount(m_maxCount);

    m_firstButton = new QToolButton(this);
    m_firstButton->setObjectName(QStringLiteral("FirstButton"));
    m_firstButton->setIconSize(QSize(16, 16));
    m_firstButton->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_secondButton = new QToolButton(this);
    m_secondButton->setObjectName(QStringLiteral("SecondButton"));
    m_secondButton->setArrowType(Qt::DownArrow);
    for (QToolButton* part : {m_firstButton, m_secondButton}) {
        part->setFocusPolicy(Qt::NoFocus);
        part->setContextMenuPolicy(Qt::CustomContextMenu);
        part->installEventFilter(this);
    }
    connect(m_firstButton, &QToolButton::clicked, this, [this] { Click(ShownCommand()); });
    connect(m_secondButton, &QToolButton::clicked, this, &TArrowButton::ArrowClick);
    connect(m_firstButton, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { ShowPopup(m_firstButtonPopupMenu, m_firstButton, pos); });
    connect(m_secondButton, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { ShowPopup(m_secondButtonPopupMenu, m_secondButton, pos); });

    m_historyMenu = new QMenu(this);
    m_historyMenu->setObjectName(QStringLiteral("HistoryMenu"));
    // The press that closes the menu outside of it must not reach the window below.
    m_historyMenu->setAttribute(Qt::WA_NoMouseReplay);
    m_headerItem = new QWidgetAction(m_historyMenu);
    m_headerItem->setDefaultWidget(new THistoryMenuHeader(this));
    m_headerItem->setEnabled(false);
    m_historyMenu->addAction(m_headerItem);
    m_separatorItem = m_historyMenu->addSeparator();
    m_separatorItem->setEnabled(false);
    m_menuIndex.append({nullptr, m_headerItem});
    m_menuIndex.append({nullptr, m_separatorItem});
}

TArrowButton::~TArrowButton() = default;

void TArrowButton::NoteMenuOrder()
{
    QList<THistoryCommand> order;
    const QList<QAction*> items = m_historyMenu->actions();
    for (int p = 2; p < items.size(); ++p) {
        auto* item = qobject_cast<THistoryMenuItem*>(items[p]);
        order.append(item ? item->Command() : nullptr);
    }
    m_history->SetMenuOrder(order);
}

void TArrowButton::ForgetHistory()
{
    ClearCurrent();
    while (m_menuIndex.size() > 2)
        delete m_menuIndex.takeLast().item;
    const QString statFile = m_history->StatFile()->fileName();
    m_history =
        std::make_unique<TRepositoryCommands>(std::make_unique<IniFile>(statFile), m_info.get());
    m_history->SetNotifyWindow(this);
    m_history->StoreMaxCount(m_maxCount);
}

TProfileCommand* TArrowButton::ShownCommand() const
{
    return TProfileCommand::IsLive(m_shownCommand) ? m_shownCommand : nullptr;
}

void TArrowButton::Click(TProfileCommand* command)
{
    // The command's button runs it, so that a run from here is a click in every way; a button
    // on a page not shown yet is made for it.
    if (TCommand* button = TCommand::ButtonFor(command))
        button->Click();
}

void TArrowButton::resizeEvent(QResizeEvent*)
{
    const int arrow = std::min(ArrowWidth, width());
    m_firstButton->setGeometry(0, 0, width() - arrow, height());
    m_secondButton->setGeometry(width() - arrow, 0, arrow, height());
}

void TArrowButton::SetGlyph(const QPixmap& glyph)
{
    m_glyph = glyph;
    m_firstButton->setIcon(glyph.isNull() ? QIcon() : QIcon(glyph));
}

QString TArrowButton::HintText(TProfileCommand* command)
{
    if (!TProfileCommand::IsLive(command))
        return QString();
    // The button's own hint when it is on a page already, which knows what it drew.
    if (TCommand* button = TCommand::ButtonOf(command))
        return button->Hint();
    return command->DisplayName() + CommandIconHint(command->IconPath(), command->ExePath(),
                                                    TCommand::PictureRect().width());
}

QPixmap TArrowButton::RenderCommandIcon(TProfileCommand* command) const
{
    if (!command || m_history->IndexOfCommand(command) < 0)
        return QPixmap();
    TCommandPicture buffer;
    buffer.size = 16;
    DrawCommandIcon(command->IconPath(), command->ExePath(), command->IconIndex(), buffer);
    QPixmap result(16, 16);
    result.fill(palette().color(QPalette::Button));
    if (!buffer.pixmap.isNull()) {
        QPainter painter(&result);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(QRect(0, 0, 16, 16), buffer.pixmap);
    }
    return result;
}

void TArrowButton::SetCurrent(TProfileCommand* command)
{
    if (!command || m_history->IndexOfCommand(command) < 0)
        return;
    SetGlyph(RenderCommandIcon(command));
    m_firstButton->setToolTip(ToolTipText(HintText(command)));
    m_shownCommand = command;
}

void TArrowButton::ClearCurrent()
{
    SetGlyph(QPixmap());
    m_firstButton->setToolTip(QString());
    m_shownCommand = nullptr;
}

int TArrowButton::IndexOfKey(const TProfileCommand* command) const
{
    if (!command)
        return -1;
    for (int i = 2; i < m_menuIndex.size(); ++i)
        if (m_menuIndex[i].key == command)
            return i;
    return -1;
}

QString TArrowButton::ItemCaption(TProfileCommand* command) const
{
    // A missing-file line would break the menu line; it is joined with a space. A single "&"
    // would mark a mnemonic and a tab would start the shortcut column.
    QString hint = OneLine(HintText(command));
    hint.replace(u'&', QStringLiteral("&&")).replace(u'\t', u' ');
    return hint + QStringLiteral(" [") + QString::number(m_history->GetRunCount(command)) +
           QLatin1Char(']');
}

void TArrowButton::AddMenuItem(TProfileCommand* command)
{
    // Only commands the history selected for the menu get an item, so a stale name in the
    // history's last added list can never add a command that is not among the most run.
    if (!command || m_history->IndexInTop(command) < 0 || IndexOfKey(command) >= 0)
        return;
    auto* item = new THistoryMenuItem(command, m_historyMenu);
    item->setText(ItemCaption(command));
    item->setIcon(QIcon(RenderCommandIcon(command)));
    const QList<QAction*> items = m_historyMenu->actions();
    if (m_descending || items.size() <= 2)
        m_historyMenu->addAction(item);
    else
        m_historyMenu->insertAction(items[2], item);
    m_menuIndex.append({command, item});
    NoteMenuOrder();
}

void TArrowButton::RemoveMenuItem(TProfileCommand* command)
{
    const int index = IndexOfKey(command);
    if (index < 0)
        return;
    delete m_menuIndex.takeAt(index).item;
    NoteMenuOrder();
}

bool TArrowButton::UpdateMenuItem(TProfileCommand* command, bool withPicture)
{
    const int index = IndexOfKey(command);
    if (index < 0)
        return false;
    if (m_history->IndexInTop(command) >= 0) {
        QAction* item = m_menuIndex[index].item;
        item->setText(ItemCaption(command));
        if (withPicture)
            item->setIcon(QIcon(RenderCommandIcon(command)));
    }
    return true;
}

void TArrowButton::PlaceMenuItem(TProfileCommand* command)
{
    const int index = IndexOfKey(command);
    if (index >= 0)
        PlaceMenuItem(m_menuIndex[index].item);
}

void TArrowButton::PlaceMenuItem(QAction* item)
{
    auto* historyItem = qobject_cast<THistoryMenuItem*>(item);
    if (!historyItem)
        return;
    const QList<QAction*> items = m_historyMenu->actions();
    int pos = int(items.indexOf(item));
    if (pos < 2)
        return;
    auto countOf = [this](QAction* a) {
        auto* h = qobject_cast<THistoryMenuItem*>(a);
        return h ? m_history->GetRunCount(h->Command()) : INT_MAX;
    };
    const int c = m_history->GetRunCount(historyItem->Command());
    if (m_descending) {
        int target = pos;
        while (target - 1 >= 2 && countOf(items[target - 1]) < c)
            --target;
        if (target != pos)
            m_historyMenu->insertAction(items[target], item);
    } else {
        int target = pos;
        while (target + 1 < items.size() && countOf(items[target + 1]) < c)
            ++target;
        if (target != pos)
            m_historyMenu->insertAction(target + 1 < items.size() ? items[target + 1] : nullptr,
                                        item);
    }
    NoteMenuOrder();
}

void TArrowButton::SyncMenu()
{
    const int m = HistoryItemCount();
    if (m_history->Count() == 0 || m == m_maxCount)
        return;
    if (m < m_maxCount) {
        QList<TProfileCommand*> added;
        for (THistoryCommand c : m_history->AddedCommands())
            added.append(static_cast<TProfileCommand*>(c));
        // Items go in under the separator when the lowest count is on top; going in backwards
        // keeps the order the list gives, so the saved order of equal counts comes back.
        if (m_descending) {
            for (TProfileCommand* c : added)
                AddMenuItem(c);
        } else {
            for (auto it = added.crbegin(); it != added.crend(); ++it)
                AddMenuItem(*it);
        }
        for (TProfileCommand* c : added)
            PlaceMenuItem(c);
    } else {
        const QList<THistoryCommand> removed = m_history->RemovedCommands();
        for (THistoryCommand c : removed)
            RemoveMenuItem(static_cast<TProfileCommand*>(c));
        const QList<TMenuIndexEntry> remaining = m_menuIndex;
        for (int i = 2; i < remaining.size(); ++i)
            PlaceMenuItem(remaining[i].item);
    }
}

void TArrowButton::SetHistoryCount(int n)
{
    if (n == m_maxCount)
        return;
    m_maxCount = n;
    // Also while the history is empty: the commands that join it later see the new size.
    m_history->SetMaxCount(n);
    SyncMenu();
}

void TArrowButton::SetDescending(bool descending)
{
    // Only a change of the order turns the menu round; setting the same order again keeps it.
    if (descending == m_descending)
        return;
    m_descending = descending;
    if (m_history->Count() < 2)
        return;
    QList<QAction*> items = m_historyMenu->actions().mid(2);
    std::reverse(items.begin(), items.end());
    for (QAction* item : items)
        m_historyMenu->addAction(item); // moves it to the end
    NoteMenuOrder();
}

void TArrowButton::LoadHistory(const QList<TProfileCommand*>& commands)
{
    QList<THistoryCommand> list;
    list.reserve(commands.size());
    for (TProfileCommand* c : commands)
        list.append(c);
    m_history->AddCommands(list);
    m_history->StoreMaxCount(m_maxCount);
    m_history->LoadLastState();
}

void TArrowButton::ShowInitialCommand()
{
    SyncMenu();
    THistoryCommand command = m_history->GetLastRunCommand();
    if (!command && m_history->Count() > 0)
        command = m_history->LastTopCommand();
    if (command)
        SetCurrent(TProfileCommand::FromParam(reinterpret_cast<intptr_t>(command)));
}

void TArrowButton::ArrowClick()
{
    m_secondButton->setDown(true);
    m_historyMenu->exec(mapToGlobal(QPoint(0, height())));
    PurgeMouseMessages();
    if (QWidget* grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
    m_secondButton->setDown(false);
}

namespace {

class TMouseEater : public QObject
{
public:
    bool eventFilter(QObject*, QEvent* event) override { return IsMouseInputEvent(event->type()); }
};

} // namespace

void TArrowButton::PurgeMouseMessages()
{
    static const QEvent::Type types[] = {
        QEvent::MouseButtonPress,
        QEvent::MouseButtonRelease,
        QEvent::MouseButtonDblClick,
        QEvent::MouseMove,
        QEvent::NonClientAreaMouseButtonPress,
        QEvent::NonClientAreaMouseButtonRelease,
        QEvent::NonClientAreaMouseButtonDblClick,
        QEvent::NonClientAreaMouseMove,
        QEvent::Wheel,
    };
    for (QEvent::Type type : types)
        QCoreApplication::removePostedEvents(nullptr, type);
    // Input from the window system is not among the posted events: let what is already
    // queued arrive now and drop its mouse part on the way.
    TMouseEater eater;
    qApp->installEventFilter(&eater);
    QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers);
    qApp->removeEventFilter(&eater);
}

void TArrowButton::ShowPopup(QMenu* menu, QWidget* part, const QPoint& pos)
{
    if (menu)
        menu->popup(part->mapToGlobal(pos));
}

void TArrowButton::SendEnter()
{
    if (m_hoverWindow)
        SendMessage(m_hoverWindow, UM_COMMAND_ENTER,
                    ShownCommand() ? toParam(ShownCommand()) : intptr_t(-1));
}

void TArrowButton::SendLeave()
{
    if (m_hoverWindow)
        SendMessage(m_hoverWindow, UM_COMMAND_LEAVE, 0, 0);
}

void TArrowButton::enterEvent(QEnterEvent* event)
{
    SendEnter();
    QWidget::enterEvent(event);
}

void TArrowButton::leaveEvent(QEvent* event)
{
    SendLeave();
    QWidget::leaveEvent(event);
}

bool TArrowButton::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_firstButton || watched == m_secondButton) {
        if (event->type() == QEvent::Enter)
            SendEnter();
        else if (event->type() == QEvent::Leave)
            SendLeave();
    }
    return QWidget::eventFilter(watched, event);
}

bool TArrowButton::event(QEvent* event)
{
    if (event->type() == TMessageEvent::eventType()) {
        auto* message = static_cast<TMessageEvent*>(event);
        HandleMessage(message->message(), message->wParam(), message->lParam());
        message->result = 0;
        return true;
    }
    return QWidget::event(event);
}

void TArrowButton::HandleMessage(int message, intptr_t wParam, intptr_t lParam)
{
    switch (message) {
    case UM_COMMAND_RUN:
        CommandRun(TProfileCommand::FromParam(wParam));
        break;
    case UM_COMMAND_CLEARED:
        CommandCleared(TProfileCommand::FromParam(wParam));
        break;
    case UM_COMMAND_CHANGED:
        CommandChanged(TProfileCommand::FromParam(wParam));
        break;
    case UM_COMMAND_FILLED:
        if (TProfileCommand* command = TProfileCommand::FromParam(wParam))
            m_history->AddIfFileExists(command);
        break;
    case UM_COMMAND_MOVED:
        CommandMoved(TProfileCommand::FromParam(wParam), TProfileCommand::FromParam(lParam));
        break;
    case UM_HISTORY_REPLACE:
        // The leaving command is only compared, never used; the entering one must be live.
        RemoveMenuItem(reinterpret_cast<TProfileCommand*>(wParam));
        AddMenuItem(TProfileCommand::FromParam(lParam));
        break;
    case UM_HISTORY_CLEAR:
        HistoryClear();
        break;
    default:
        break;
    }
}

void TArrowButton::CommandRun(TProfileCommand* command)
{
    if (!command)
        return;
    if (command != m_shownCommand)
        SetCurrent(command);
    m_history->RecordRun(command);
    if (UpdateMenuItem(command, false))
        PlaceMenuItem(command);
    SyncMenu();
}

void TArrowButton::CommandCleared(TProfileCommand* command)
{
    if (!command)
        return;
    RemoveMenuItem(command);
    m_history->RemoveCommand(command);
    if (command == m_shownCommand) {
        TProfileCommand* successor = nullptr;
        const QList<QAction*> items = m_historyMenu->actions();
        QAction* pick = nullptr;
        if (m_descending)
            pick = items.size() > 2 ? items[2] : nullptr;
        else
            pick = items.size() > 2 ? items.last() : nullptr;
        if (auto* item = qobject_cast<THistoryMenuItem*>(pick))
            successor = item->Command();
        ClearCurrent();
        if (successor)
            SetCurrent(successor);
    }
    SyncMenu();
}

void TArrowButton::CommandChanged(TProfileCommand* command)
{
    if (!command)
        return;
    if (m_history->IndexOfCommand(command) < 0) {
        SendMessage(this, UM_COMMAND_FILLED, toParam(command));
        SyncMenu();
        return;
    }
    UpdateMenuItem(command, true);
    if (command == m_shownCommand)
        SetCurrent(command);
}

void TArrowButton::CommandMoved(TProfileCommand* oldCommand, TProfileCommand* newCommand)
{
    if (!oldCommand || !newCommand || oldCommand == newCommand)
        return;
    const bool targetKnown = m_history->IndexOfCommand(newCommand) >= 0;
    const bool targetShown = newCommand == m_shownCommand;
    if (oldCommand == m_shownCommand) {
        m_shownCommand = newCommand;
    }
    if (targetKnown) {
        // The target button had a history entry of its own, for the command the move replaced;
        // the history keeps at most the moved one, so the menu item is rebuilt from what the
        // history selected.
        RemoveMenuItem(oldCommand);
        RemoveMenuItem(newCommand);
        m_history->MoveCommand(oldCommand, newCommand);
        AddMenuItem(newCommand);
        PlaceMenuItem(newCommand);
        SyncMenu();
    } else {
        const int index = IndexOfKey(oldCommand);
        if (index >= 0) {
            m_menuIndex[index].key = newCommand;
            if (auto* item = qobject_cast<THistoryMenuItem*>(m_menuIndex[index].item))
                item->SetCommand(newCommand);
        }
        m_history->MoveCommand(oldCommand, newCommand);
    }
    // The first part showed the command the move replaced: it shows what the button holds now,
    // when the history knows it.
    if (targetShown) {
        if (m_history->IndexOfCommand(newCommand) >= 0)
            SetCurrent(newCommand);
        else
            ClearCurrent();
    }
    NoteMenuOrder();
}

void TArrowButton::HistoryClear()
{
    m_history->ClearStatFile();
    for (int i = int(m_menuIndex.size()) - 1; i >= 2; --i)
        delete m_menuIndex.takeAt(i).item;
    ClearCurrent();
    m_history->ClearTop();
    NoteMenuOrder();
}
