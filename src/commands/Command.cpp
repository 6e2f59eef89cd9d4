#include "commands/Command.h"

#include "actions/ShellActions.h"
#include "commands/Messages.h"
#include "images/KeptPictures.h"
#include "platform/MessageBoxes.h"
#include "settings/IniFile.h"
#include "settings/ProfileUndo.h"
#include "settings/SystemSettings.h"
#include "skin/SkinEngine.h"
#include "text/Text.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QSet>
#include <QTextDocument>
#include <QThread>
#include <QTimer>
#include <QToolTip>
#include <qdrawutil.h>

namespace {

// Every live button, so that an address from a notice can be checked before it is used.
QSet<const void*>& liveButtons()
{
    static QSet<const void*> buttons;
    return buttons;
}

// The button of each shown command.
QHash<const TProfileCommand*, TCommand*>& buttonsByRecord()
{
    static QHash<const TProfileCommand*, TCommand*> buttons;
    return buttons;
}

// Buttons show their command anew whenever the profile changes it; one connection per profile
// serves all its buttons, however many there are.
void followProfile(TProfileModel* model)
{
    static const char* const followed = "kestrolinButtonsFollow";
    if (!model || model->property(followed).toBool())
        return;
    model->setProperty(followed, true);
    QObject::connect(model, &TProfileModel::CommandChanged, model, [](TProfileCommand* command) {
        if (TCommand* button = TCommand::ButtonOf(command))
            button->Refresh();
    });
}

TCommand::TDragRunner& dragRunner()
{
    static TCommand::TDragRunner runner;
    return runner;
}

// Marks a drag as one of ours; only objects of this process can carry it.
class TCommandMimeData : public QMimeData
{
public:
    explicit TCommandMimeData(TCommand* source) : source(source)
    {
        setData(TCommand::MimeType(), QByteArray::number(qulonglong(toParam(source))));
    }
    QPointer<TCommand> source;
};

// Swallows keyboard and mouse input while a click shows its pressed frame, so nothing the user
// does in that time reaches any window; painting and timers go on.
class TInputHold : public QObject
{
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (IsMouseInputEvent(event->type()))
            return true;
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::InputMethod:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TouchCancel:
        case QEvent::TabletPress:
        case QEvent::TabletMove:
        case QEvent::TabletRelease:
            return true;
        default:
            return false;
        }
    }
};

bool holdingInput = false;

void holdInput(int milliseconds)
{
    TInputHold hold;
    qApp->installEventFilter(&hold);
    holdingInput = true;
    QElapsedTimer elapsed;
    elapsed.start();
    QEventLoop loop;
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
    // A timer may come back a little early; the pressed frame stays for the full time.
    const qint64 left = milliseconds - elapsed.elapsed();
    if (left > 0)
        QThread::msleep(static_cast<unsigned long>(left));
    holdingInput = false;
    qApp->removeEventFilter(&hold);
}

bool confirmReplaceOnDrop()
{
    // Without a settings store every confirmation is on, as on a first run.
    return !SystemSettings ||
           SystemSettings->Conformations()->Contains(TSys_Conformations::ReplaceCommandOnDrop);
}

} // namespace

TCommand::TCommand(TProfileCommand* record, QWidget* page, QMenu* popupMenu, QObject* hoverWindow,
                   QObject* historyWindow, TEditCallback editCallback, QObject* mainWindow)
    : QFrame(page), m_record(record), m_hoverWindow(hoverWindow), m_historyWindow(historyWindow),
      m_mainWindow(mainWindow), m_popupMenu(popupMenu), m_editCallback(std::move(editCallback))
{
    liveButtons().insert(static_cast<const void*>(this));
    buttonsByRecord().insert(record, this);
    followProfile(record->Model());
    resize(41, 41);
    setAutoFillBackground(true);
    setAcceptDrops(true);
    if (!m_record->IsEmpty())
        Refresh();
}

TCommand::~TCommand()
{
    liveButtons().remove(static_cast<const void*>(this));
    if (buttonsByRecord().value(m_record) == this)
        buttonsByRecord().remove(m_record);
}

TCommand* TCommand::ButtonOf(const TProfileCommand* record)
{
    return buttonsByRecord().value(record);
}

TCommand* TCommand::ButtonFor(TProfileCommand* record)
{
    if (!TProfileCommand::IsLive(record))
        return nullptr;
    if (TCommand* button = ButtonOf(record))
        return button;
    if (TProfileModel* model = record->Model())
        emit model->CommandWanted(record);
    return ButtonOf(record);
}

void TCommand::SetPopupMenu(QMenu* menu)
{
    m_popupMenu = menu;
}

QString TCommand::MimeType()
{
    return QStringLiteral("application/x-kestrolin-command");
}

bool TCommand::IsCommandButton(const void* object)
{
    return object && liveButtons().contains(object);
}

TCommand* TCommand::FromParam(intptr_t value)
{
    const void* address = reinterpret_cast<const void*>(value);
    if (value == 0 || value == -1 || !IsCommandButton(address))
        return nullptr;
    return static_cast<TCommand*>(const_cast<void*>(address));
}

TCommand::TDragRunner TCommand::SetDragRunner(TDragRunner runner)
{
    TDragRunner previous = std::move(dragRunner());
    dragRunner() = std::move(runner);
    return previous;
}

void TCommand::Refresh()
{
    if (IsEmpty()) {
        // An empty button shows nothing at all, not the picture of an unknown file.
        m_picture.hint.clear();
        m_picture.pixmap = QPixmap();
        m_iconPending = false;
        m_hintLinePending = false;
        m_filesSeen = -1;
        ShowPicture();
        return;
    }
    RefreshHint();
    RefreshIcon();
}

void TCommand::RefreshHint()
{
    m_picture.hint = DisplayName();
    m_hintLinePending = false;
    ShowPicture();
}

void TCommand::RefreshIcon()
{
    m_picture.size = PictureRect().width();
    if (isVisible()) {
        m_iconPending = false;
        m_filesSeen = FilesState();
        m_picture.targetSeen = (m_filesSeen & 2) != 0;
        DrawCommandIcon(IconPath(), ExePath(), IconIndex(), m_picture);
        m_picture.targetSeen = -1;
    } else {
        // Thousands of buttons on pages nobody has looked at yet: the picture and the hint's
        // missing-file line wait until someone wants them, each looking at the disk then.
        m_iconPending = true;
        m_hintLinePending = true;
        m_picture.pixmap = QPixmap();
    }
    ShowPicture();
}

QString TCommand::Hint() const
{
    if (m_hintLinePending) {
        m_hintLinePending = false;
        m_picture.hint += CommandIconHint(IconPath(), ExePath(), m_picture.size);
    }
    return m_picture.hint;
}

void TCommand::EnsureIconDrawn()
{
    if (!m_iconPending)
        return;
    m_iconPending = false;
    m_filesSeen = FilesState();
    // Drawing finds the missing-file line too; the hint takes it unless it has it already.
    TCommandPicture picture;
    picture.size = m_picture.size;
    // The look at the disk just made serves the drawing too.
    picture.targetSeen = (m_filesSeen & 2) != 0;
    DrawCommandIcon(IconPath(), ExePath(), IconIndex(), picture);
    m_picture.pixmap = picture.pixmap;
    if (m_hintLinePending) {
        m_hintLinePending = false;
        m_picture.hint += picture.hint;
    }
    update(PictureRect());
}

int TCommand::FilesState() const
{
    if (ExePath().isEmpty() && IconPath().isEmpty())
        return 0;
    const bool target = TargetExists(ExePath());
    const bool icon = IconPath() == ExePath() ? target : IconFileExists(IconPath());
    return 1 | (target ? 2 : 0) | (icon ? 4 : 0);
}

bool TCommand::RefreshIfFilesChanged()
{
    // A picture still waiting to be drawn will look at the disk when it is drawn.
    if (m_iconPending || m_filesSeen < 0 || FilesState() == m_filesSeen)
        return false;
    RefreshHint();
    RefreshIcon();
    return true;
}

void TCommand::showEvent(QShowEvent* event)
{
    QFrame::showEvent(event);
    EnsureIconDrawn();
}

void TCommand::ShowPicture()
{
    // The hint is made into a tool tip only when one is shown: thousands of buttons load.
    update(PictureRect());
}

QString TCommand::ToolTipText() const
{
    return ::ToolTipText(Hint());
}

bool TCommand::Clear()
{
    if (IsEmpty())
        return true;
    TProfileModel* model = m_record->Model();
    return model ? model->ClearCommand(m_record) : false;
}

bool TCommand::FileMissing(QString* which) const
{
    const bool program = !TargetExists(ExePath());
    if (!program && IconFileExists(IconPath()))
        return false;
    if (which)
        *which = program ? ExePath() : IconPath();
    return true;
}

void TCommand::Click()
{
    // A click that arrives while another one holds the interface, or during a drag, is not one.
    if (m_dragging || holdingInput)
        return;
    if (FileMissing()) {
        if (m_editCallback)
            m_editCallback(this);
        return;
    }
    QPointer<TCommand> self(this);
    SetPressed(true);
    holdInput(PressedTime);
    if (!self)
        return;
    PlayEventSound(SoundRunCommand);
    const bool launched = LaunchCommand(ExePath(), Parameters());
    // A failed run shows a message box; the button may have gone meanwhile.
    if (!self)
        return;
    if (launched) {
        SendMessage(m_historyWindow, UM_COMMAND_RUN, toParam(m_record));
        if (!self)
            return;
        SendMessage(m_mainWindow, UM_COMMAND_RUN, toParam(m_record));
        if (!self)
            return;
    }
    SetPressed(false);
}

std::function<void()> TCommand::ClickAction()
{
    return [button = QPointer<TCommand>(this)] {
        if (button)
            button->Click();
    };
}

void TCommand::SetPressed(bool pressed)
{
    m_pressed = pressed;
    // Painted now: the pressed look must show before the interface is held.
    repaint(FrameRect());
}

void TCommand::SetKeyFocus(bool on)
{
    if (on == m_keyFocus)
        return;
    m_keyFocus = on;
    update();
}

void TCommand::SetBevels(TBevel inner, TBevel outer)
{
    if (inner == m_innerBevel && outer == m_outerBevel)
        return;
    m_innerBevel = inner;
    m_outerBevel = outer;
    repaint();
}

void TCommand::enterEvent(QEnterEvent* event)
{
    QFrame::enterEvent(event);
    QPointer<TCommand> self(this);
    SendMessage(m_hoverWindow, UM_COMMAND_ENTER, toParam(this));
    if (self)
        SetBevels(BevelLowered, BevelRaised);
}

void TCommand::leaveEvent(QEvent* event)
{
    QFrame::leaveEvent(event);
    QPointer<TCommand> self(this);
    SendMessage(m_hoverWindow, UM_COMMAND_LEAVE, 0);
    if (self)
        SetBevels(BevelNone, BevelRaised);
}

void TCommand::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // A skin draws the button as a panel; without one, the bevels and the frame round the
    // picture are the same on most buttons of a page and are drawn once for them all.
    if (SkinHooks::drawPanel(&painter, this, rect(), m_outerBevel == BevelLowered,
                             m_innerBevel == BevelLowered))
        qDrawShadeRect(&painter, FrameRect(), palette(), !m_pressed, 1, 0);
    else
        painter.drawPixmap(0, 0, Edges());

    EnsureIconDrawn();
    if (!m_picture.pixmap.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(PictureRect(), m_picture.pixmap);
    }

    if (m_keyFocus) {
        // Over the panel's edge, which every look draws, skins included: the picture and its
        // frame stay as they are.
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
}

QPixmap TCommand::Edges() const
{
    // Keyed by everything the drawing looks at; a new palette or size makes new ones, and the
    // few kept stay few.
    static TKeptPictures drawn(32);
    const qreal ratio = devicePixelRatioF();
    const QString key = QStringLiteral("%1x%2 %3 %4 %5 %6 %7")
                            .arg(width())
                            .arg(height())
                            .arg(int(m_outerBevel))
                            .arg(int(m_innerBevel))
                            .arg(m_pressed)
                            .arg(palette().cacheKey())
                            .arg(ratio);
    return drawn.get(key, [&] {
        QPixmap edges(size() * ratio);
        edges.setDevicePixelRatio(ratio);
        edges.fill(Qt::transparent);
        QPainter painter(&edges);
        const QPalette& pal = palette();
        auto bevel = [&](QRect r, TBevel kind) {
            if (kind == BevelNone)
                return;
            const QColor topLeft =
                kind == BevelRaised ? pal.color(QPalette::Light) : pal.color(QPalette::Dark);
            const QColor bottomRight =
                kind == BevelRaised ? pal.color(QPalette::Dark) : pal.color(QPalette::Light);
            painter.setPen(topLeft);
            painter.drawLine(r.topLeft(), r.topRight());
            painter.drawLine(r.topLeft(), r.bottomLeft());
            painter.setPen(bottomRight);
            painter.drawLine(r.bottomLeft(), r.bottomRight());
            painter.drawLine(r.topRight(), r.bottomRight());
        };
        const QRect outer = rect();
        bevel(outer, m_outerBevel);
        bevel(outer.adjusted(1, 1, -1, -1), m_innerBevel);
        // The frame round the picture: sunken, raised while a click holds it.
        qDrawShadeRect(&painter, FrameRect(), pal, !m_pressed, 1, 0);
        painter.end();
        return edges;
    });
}

bool TCommand::event(QEvent* event)
{
    // Thousands of buttons wait on hidden pages: each is polished when its page first shows,
    // not all of them as soon as they are made.
    if (event->type() == QEvent::PolishRequest && !isVisible())
        return true;
    // The hint belongs to the picture, not to the panel round it.
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QString tip = ToolTipText();
        if (!PictureRect().contains(help->pos()) || tip.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), tip, this, PictureRect());
        }
        return true;
    }
    return QFrame::event(event);
}

void TCommand::mousePressEvent(QMouseEvent* event)
{
    if (!PictureRect().contains(event->position().toPoint())) {
        m_pressedButton = Qt::NoButton;
        QFrame::mousePressEvent(event);
        return;
    }
    m_pressedButton = event->button();
    if (CanStartDrag(event->button(), event->modifiers())) {
        m_pressedButton = Qt::NoButton;
        StartDrag();
    }
}

void TCommand::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = event->button() == Qt::LeftButton && m_pressedButton == Qt::LeftButton &&
                       PictureRect().contains(event->position().toPoint());
    m_pressedButton = Qt::NoButton;
    QPointer<TCommand> self(this);
    if (click)
        Click();
    // The hover look comes back after a click.
    if (self && event->button() != Qt::RightButton)
        SetBevels(BevelLowered, BevelRaised);
}

void TCommand::contextMenuEvent(QContextMenuEvent* event)
{
    if (!PictureRect().contains(event->pos())) {
        event->ignore();
        return;
    }
    if (QMenu* menu = PopupMenu())
        menu->popup(event->globalPos());
}

TCommand* TCommand::DragSource(const QDropEvent* event)
{
    if (QObject* source = event->source()) {
        auto* button = qobject_cast<TCommand*>(source);
        return button && IsCommandButton(button) ? button : nullptr;
    }
    // Events delivered without a running drag (tests) carry the source in our mime data.
    if (auto* data = dynamic_cast<const TCommandMimeData*>(event->mimeData()))
        return data->source && IsCommandButton(data->source.data()) ? data->source.data() : nullptr;
    return nullptr;
}

bool TCommand::AcceptDrag(QDropEvent* event, bool overPicture)
{
    if (!overPicture || !AcceptsDropFrom(DragSource(event))) {
        event->ignore();
        return false;
    }
    // The copy cursor while Ctrl is held, the plain drag cursor otherwise.
    event->setDropAction(event->modifiers().testFlag(Qt::ControlModifier) ? Qt::CopyAction
                                                                          : Qt::MoveAction);
    event->accept();
    return true;
}

void TCommand::dragEnterEvent(QDragEnterEvent* event)
{
    // Taken anywhere on the button, so that moves over it follow; only the picture drops.
    AcceptDrag(event, true);
}

void TCommand::dragMoveEvent(QDragMoveEvent* event)
{
    AcceptDrag(event, PictureRect().contains(event->position().toPoint()));
}

void TCommand::dropEvent(QDropEvent* event)
{
    if (!AcceptDrag(event, PictureRect().contains(event->position().toPoint())))
        return;
    DragDrop(DragSource(event), event->modifiers().testFlag(Qt::ControlModifier));
}

bool TCommand::CanStartDrag(Qt::MouseButton button, Qt::KeyboardModifiers modifiers) const
{
    return button == Qt::LeftButton &&
           (modifiers & (Qt::AltModifier | Qt::ControlModifier)) != Qt::NoModifier && !IsEmpty() &&
           !m_dragging;
}

void TCommand::StartDrag()
{
    m_dragging = true;
    QPointer<TCommand> self(this);
    QPointer<QDrag> drag = new QDrag(this);
    drag->setMimeData(new TCommandMimeData(this));
    EnsureIconDrawn();
    if (!m_picture.pixmap.isNull()) {
        drag->setPixmap(m_picture.pixmap);
        drag->setHotSpot(QPoint(m_picture.pixmap.width() / 2, m_picture.pixmap.height() / 2));
    }
    if (dragRunner())
        dragRunner()(*drag, *this);
    else
        drag->exec(Qt::MoveAction | Qt::CopyAction, Qt::MoveAction);
    // The drag machinery may already have scheduled this; a second request is harmless.
    if (drag)
        drag->deleteLater();
    if (self)
        EndDrag();
}

void TCommand::EndDrag()
{
    m_dragging = false;
}

bool TCommand::AcceptsDropFrom(const TCommand* source) const
{
    return source && source != this && IsCommandButton(source) && !source->IsEmpty();
}

void TCommand::DragDrop(TCommand* source, bool copy)
{
    if (!source || source == this || !IsCommandButton(source))
        return;
    QPointer<TCommand> self(this);
    QPointer<TCommand> from(source);
    PlayEventSound(SoundDropCommand);
    if (source->IsEmpty())
        return;
    if (confirmReplaceOnDrop() && !IsEmpty()) {
        const int answer = ShowMessage(QStringLiteral("Подтвердите замену содержимого кнопки!"),
                                       QStringLiteral("Замена содержимого кнопки"),
                                       MB::OKCANCEL | MB::ICONQUESTION | MB::DEFBUTTON2);
        if (answer != IDOK || !self || !from)
            return;
    }

    TUndoStep step((copy ? QStringLiteral("копирование команды «%1»")
                         : QStringLiteral("перемещение команды «%1»"))
                       .arg(source->DisplayName()));
    TProfileModel* model = m_record->Model();
    if (!model || model->MoveCommand(source->Record(), m_record, copy) != TCommandWrite::Failed)
        return;
    IniFile* file = m_record->CommandsIniFile();
    ShowError(QStringLiteral("Не удалось записать команду в файл\r\"%1\"\r%2")
                  .arg(file ? file->fileName() : QString(),
                       copy ? QStringLiteral("Команда не скопирована.")
                            : QStringLiteral("Команда осталась на прежнем месте.")),
              QStringLiteral("Ошибка сохранения команды"));
}

bool IsInputHeld()
{
    return holdingInput;
}

bool IsMouseInputEvent(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::NonClientAreaMouseMove:
    case QEvent::Wheel:
        return true;
    default:
        return false;
    }
}
