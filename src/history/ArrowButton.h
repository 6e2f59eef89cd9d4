#pragma once

#include "history/RepositoryCommands.h"

#include <QAction>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class QMenu;
class QToolButton;
class QWidgetAction;
class TCommand;
class TProfileCommand;

// A history item of the quick-launch menu: it runs its command exactly as a click on the
// command's own button does.
class THistoryMenuItem : public QAction
{
    Q_OBJECT

public:
    THistoryMenuItem(TProfileCommand* command, QObject* parent);

    TProfileCommand* Command() const { return m_command; }
    void SetCommand(TProfileCommand* command);

private:
    TProfileCommand* m_command;
};

// The header of the quick-launch menu: a caption-coloured gradient with the menu's title,
// measured from the quick-launch button's font.
class THistoryMenuHeader : public QWidget
{
    Q_OBJECT

public:
    static inline const QString Text = QStringLiteral("-=< История запуска команд >=-");
    // The font the caption is drawn in.
    static QFont CaptionFont();

    THistoryMenuHeader(QWidget* measureFrom, QWidget* parent = nullptr);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    // The colour of column j of a gradient w columns wide, per component truncated.
    static QColor GradientColor(const QColor& left, const QColor& right, int j, int w);
    // Caption colours of this desktop: left and right end of the gradient, text.
    static QColor LeftColor(const QPalette& palette);
    static QColor RightColor(const QPalette& palette);
    static QColor TextColor(const QPalette& palette);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPointer<QWidget> m_measureFrom;
};

// The two-part quick-launch button: the wide first part runs the command run last, the
// narrow arrow part drops down the history menu of the most-run commands. It owns the run
// history and keeps the menu in step with it as the command notices arrive.
class TArrowButton : public QWidget
{
    Q_OBJECT

public:
    struct TMenuIndexEntry
    {
        TProfileCommand* key; // null for the header and the separator
        QAction* item;
    };

    // statFileName: the RunStat.ini the history keeps its counts in.
    explicit TArrowButton(const QString& statFileName, QWidget* parent = nullptr);
    ~TArrowButton() override;

    QMenu* HistoryMenu() const { return m_historyMenu; }
    const QList<TMenuIndexEntry>& MenuIndex() const { return m_menuIndex; }
    TRepositoryCommands* History() const { return m_history.get(); }
    QToolButton* FirstButton() const { return m_firstButton; }
    QToolButton* SecondButton() const { return m_secondButton; }

    int MaxCount() const { return m_maxCount; }
    bool Descending() const { return m_descending; }
    // The command the first part shows; null when there is none.
    TProfileCommand* ShownCommand() const;
    QObject* HoverWindow() const { return m_hoverWindow; }
    void SetHoverWindow(QObject* window) { m_hoverWindow = window; }

    QMenu* FirstButtonPopupMenu() const { return m_firstButtonPopupMenu; }
    void SetFirstButtonPopupMenu(QMenu* menu) { m_firstButtonPopupMenu = menu; }
    QMenu* SecondButtonPopupMenu() const { return m_secondButtonPopupMenu; }
    void SetSecondButtonPopupMenu(QMenu* menu) { m_secondButtonPopupMenu = menu; }
    QPixmap Glyph() const { return m_glyph; }
    void SetGlyph(const QPixmap& glyph);

    // Start-up, in this order: SetHistoryCount, SetDescending, SetHoverWindow, LoadHistory,
    // ShowInitialCommand.
    void SetHistoryCount(int n);
    void SetDescending(bool descending);
    void LoadHistory(const QList<TProfileCommand*>& commands);
    void ShowInitialCommand();

    void SetCurrent(TProfileCommand* command);
    void ClearCurrent();
    void AddMenuItem(TProfileCommand* command);
    void RemoveMenuItem(TProfileCommand* command);
    bool UpdateMenuItem(TProfileCommand* command, bool withPicture);
    void PlaceMenuItem(QAction* item);
    void PlaceMenuItem(TProfileCommand* command);
    void SyncMenu();
    // Lets go of every command and menu item without writing anything, before the history is
    // loaded again from files that were replaced.
    void ForgetHistory();

    // Runs a command as a click on its button does.
    static void Click(TProfileCommand* command);
    // The hint of a command as the quick-launch button shows it: its display name and any
    // missing-file line.
    static QString HintText(TProfileCommand* command);
    // The 16 x 16 icon of a command on the button-face colour.
    QPixmap RenderCommandIcon(TProfileCommand* command) const;
    // Drops every mouse event that is waiting to be delivered, so that the click that closed
    // the menu does nothing more.
    static void PurgeMouseMessages();

    static constexpr int DefaultWidth = 40;
    static constexpr int DefaultHeight = 23;
    static constexpr int ArrowWidth = 14;
    QSize sizeHint() const override { return QSize(DefaultWidth, DefaultHeight); }

public slots:
    void ArrowClick();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    class TCommandInfo;

    void HandleMessage(int message, intptr_t wParam, intptr_t lParam);
    void CommandRun(TProfileCommand* command);
    void CommandCleared(TProfileCommand* command);
    void CommandChanged(TProfileCommand* command);
    void CommandMoved(TProfileCommand* oldCommand, TProfileCommand* newCommand);
    void HistoryClear();
    void SendEnter();
    void SendLeave();
    int IndexOfKey(const TProfileCommand* command) const;
    // Tells the history the order the menu shows, which it stores at the end of the session.
    void NoteMenuOrder();
    int HistoryItemCount() const { return int(m_menuIndex.size()) - 2; }
    QString ItemCaption(TProfileCommand* command) const;
    void ShowPopup(QMenu* menu, QWidget* part, const QPoint& pos);

    std::unique_ptr<TCommandInfo> m_info;
    std::unique_ptr<TRepositoryCommands> m_history;
    QToolButton* m_firstButton;
    QToolButton* m_secondButton;
    QMenu* m_historyMenu;
    QWidgetAction* m_headerItem;
    QAction* m_separatorItem;
    QList<TMenuIndexEntry> m_menuIndex;
    int m_maxCount = 10;
    bool m_descending = true;
    TProfileCommand* m_shownCommand = nullptr;
    QPixmap m_glyph;
    QPointer<QObject> m_hoverWindow;
    QPointer<QMenu> m_firstButtonPopupMenu;
    QPointer<QMenu> m_secondButtonPopupMenu;
};
