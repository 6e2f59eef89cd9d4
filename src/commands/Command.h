#pragma once

#include "platform/Shell.h"
#include "profile/ProfileModel.h"

#include <QEvent>
#include <QFrame>
#include <QMenu>
#include <QPointer>

#include <cstdint>
#include <functional>

class QDrag;
class TCommand;

// Called when a click finds the command's files missing (the main window opens the command
// parameters dialog for the sender).
// Mouse buttons, moves and the wheel: what must not reach a window while input is held.
bool IsMouseInputEvent(QEvent::Type type);
// True while a click holds the interface to show its pressed frame: no box may come up then, as
// it could take no input until the hold ends, and the hold would not end while it is up.
bool IsInputHeld();

using TEditCallback = std::function<void(TCommand* sender)>;

// One launch button of a page: a 41 x 41 raised panel with a lowered frame and the command's
// 32 x 32 icon, the display name as hint. It shows one command of the profile and passes what is
// done to it (a clear, a drop) to the profile. It is one widget that draws its frame and picture
// itself: pages hold thousands of buttons, and every child widget costs start-up time. The
// picture's square alone takes clicks, drops, the context menu and shows the hint. A click runs the
// command; Alt or Ctrl with the left button drags it onto another button (moving it, or copying it
// with Ctrl). The button tells its partner windows about hovering and runs through synchronous
// notices; a run names the command, a hover the button.
class TCommand : public QFrame
{
    Q_OBJECT

public:
    enum TBevel
    {
        BevelNone,
        BevelLowered,
        BevelRaised
    };

    // record: the command shown, which must outlive the button. page: owner and parent.
    // hoverWindow gets UM_COMMAND_ENTER/LEAVE, historyWindow and mainWindow UM_COMMAND_RUN.
    TCommand(TProfileCommand* record, QWidget* page, QMenu* popupMenu, QObject* hoverWindow,
             QObject* historyWindow, TEditCallback editCallback, QObject* mainWindow);
    ~TCommand() override;

    TProfileCommand* Record() const { return m_record; }
    // What the button shows, read from its command.
    QString ExePath() const { return m_record->ExePath(); }
    QString IconPath() const { return m_record->IconPath(); }
    int IconIndex() const { return m_record->IconIndex(); }
    QString Description() const { return m_record->Description(); }
    QString Parameters() const { return m_record->Parameters(); }
    int PageNumber() const { return m_record->PageNumber(); }
    int ButtonNumber() const { return m_record->ButtonNumber(); }
    bool IsEmpty() const { return m_record->IsEmpty(); }
    QString DisplayName() const { return m_record->DisplayName(); }
    // The button showing a command; null when there is none.
    static TCommand* ButtonOf(const TProfileCommand* record);
    // The same, asking the views of the command's profile to make it when its page has not been
    // shown yet.
    static TCommand* ButtonFor(TProfileCommand* record);

    // Partners, normally given at creation; pages set them again when they load.
    void SetHoverWindow(QObject* window) { m_hoverWindow = window; }
    void SetHistoryWindow(QObject* window) { m_historyWindow = window; }
    void SetMainWindow(QObject* window) { m_mainWindow = window; }
    void SetEditCallback(TEditCallback callback) { m_editCallback = std::move(callback); }
    void SetPopupMenu(QMenu* menu);
    QObject* HoverWindow() const { return m_hoverWindow; }
    QObject* HistoryWindow() const { return m_historyWindow; }
    QObject* MainWindow() const { return m_mainWindow; }
    QMenu* PopupMenu() const { return m_popupMenu; }

    // Hint := display name. Call before RefreshIcon, which may add a missing-file line.
    void RefreshHint();
    // Draws the icon from IconPath/ExePath/IconIndex into the picture. While the button is not
    // on screen (a hidden page, a window still loading) only the hint's missing-file line is
    // worked out; the drawing waits until the button is first shown or EnsureIconDrawn.
    void RefreshIcon();
    // Draws the icon now if RefreshIcon left it for later.
    void EnsureIconDrawn();
    // Draws the picture and the hint again when the command's file or icon file appeared or
    // went away since they were drawn; true when it did.
    bool RefreshIfFilesChanged();
    // The hint: the display name plus any missing-file line ("\r" between lines).
    QString Hint() const;
    // The hint as the picture's tool tip shows it.
    QString ToolTipText() const;
    // What the picture shows (null when nothing); draws a pending icon first.
    QPixmap Icon() const
    {
        const_cast<TCommand*>(this)->EnsureIconDrawn();
        return m_picture.pixmap;
    }

    // Empties the command through its profile. Nothing for an empty command. False when the
    // section could not be erased from the file.
    bool Clear();
    // Shows the command anew after it changed.
    void Refresh();

    // Whether the command's file or its icon file is gone (an empty button's is); which names
    // the first one gone.
    bool FileMissing(QString* which = nullptr) const;
    // The click: runs the command, or calls the edit callback when a file is missing.
    void Click();
    // The click as a callable for the quick-launch button; safe to call after the button is gone.
    std::function<void()> ClickAction();

    // Drag and drop between buttons. A drag starts at once on a left press with Alt or Ctrl
    // held on a non-empty button.
    bool Dragging() const { return m_dragging; }
    bool CanStartDrag(Qt::MouseButton button, Qt::KeyboardModifiers modifiers) const;
    // Whether a drag from source may be dropped here: another live, non-empty button.
    bool AcceptsDropFrom(const TCommand* source) const;
    // A drop of source on this button: moves its command here, or copies it when copy is set.
    void DragDrop(TCommand* source, bool copy);

    // Where the frame and the picture sit in the button.
    static QRect FrameRect() { return QRect(2, 2, 37, 37); }
    static QRect PictureRect() { return QRect(4, 4, 32, 32); }
    TBevel InnerBevel() const { return m_innerBevel; }
    TBevel OuterBevel() const { return m_outerBevel; }
    // True while a click holds the pressed frame.
    bool Pressed() const { return m_pressed; }
    // The keyboard's mark: the button that Enter runs shows a frame round its edge.
    void SetKeyFocus(bool on);
    bool HasKeyFocus() const { return m_keyFocus; }

    // True only for the address of a live TCommand; any other value, null included, is false.
    static bool IsCommandButton(const void* object);
    // The button a notice parameter refers to, or null for 0, -1 and anything not a button.
    static TCommand* FromParam(intptr_t value);

    // How a drag is carried out; the default runs QDrag::exec. Tests replace it, as a real
    // drag waits for the user. Returns the previous runner; an empty one restores the default.
    using TDragRunner = std::function<Qt::DropAction(QDrag& drag, TCommand& source)>;
    static TDragRunner SetDragRunner(TDragRunner runner);

    // Mime type of a button drag (in-process only).
    static QString MimeType();

    // How long a click holds the pressed frame, in milliseconds.
    static constexpr int PressedTime = 300;

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    // The bevels and the frame round the picture, as drawn without a skin.
    QPixmap Edges() const;
    void showEvent(QShowEvent* event) override;

private:
    void SetBevels(TBevel inner, TBevel outer);
    void SetPressed(bool pressed);
    void ShowPicture();
    int FilesState() const;
    void StartDrag();
    void EndDrag();
    // Whether a drag event may end here, setting its action; false ignores it.
    bool AcceptDrag(QDropEvent* event, bool overPicture);
    // The button a drag comes from, when it is a live command button of this process.
    static TCommand* DragSource(const QDropEvent* event);

    TProfileCommand* m_record;
    // Mutable: the hint's missing-file line of a button not yet shown is worked out when asked.
    mutable TCommandPicture m_picture;
    mutable bool m_hintLinePending = false;
    QPointer<QObject> m_hoverWindow;
    QPointer<QObject> m_historyWindow;
    QPointer<QObject> m_mainWindow;
    QPointer<QMenu> m_popupMenu;
    TEditCallback m_editCallback;
    TBevel m_innerBevel = BevelNone;
    TBevel m_outerBevel = BevelRaised;
    bool m_dragging = false;
    bool m_pressed = false;
    bool m_keyFocus = false;
    bool m_iconPending = false;
    // Which of the command's files were there when the picture was drawn; -1 not drawn yet.
    int m_filesSeen = -1;
    Qt::MouseButton m_pressedButton = Qt::NoButton;
};
