#pragma once

#include "commands/Command.h"

#include <QList>
#include <QString>
#include <QWidget>

class QMenu;
class TMyPageControl;

// One page of the page control: it shows a page of the profile, a grid of ColCount columns of
// CommandsCount buttons in column-major order. Its buttons are made when they are first needed
// (the page shown, or one of its buttons asked for), so that pages nobody looks at cost nothing.
class TCommandsPage : public QWidget
{
    Q_OBJECT

public:
    static constexpr int ButtonHeight = 41;
    static constexpr int ButtonWidth = 41;

    // Joins control as its last page.
    TCommandsPage(TMyPageControl* control, TProfilePage* page);
    ~TCommandsPage() override;

    TProfilePage* ProfilePage() const { return m_page; }
    int ColCount() const { return m_page->ColCount(); }
    int CommandsCount() const { return m_page->CommandsCount(); }
    int PageNumber() const { return m_page->PageNumber(); }
    QString Caption() const { return m_page->Caption(); }
    int ImageIndex() const { return m_page->ImageIndex(); }
    TMyPageControl* PageControl() const { return m_control; }

    // Places the buttons, sharing the page's height out evenly above, between and below them.
    void Layout();
    // Makes the page's buttons when it has none.
    void CreateButtons();
    bool HasButtons() const { return m_made; }
    // A command joined the page or is about to leave it.
    void CommandAdded(TProfileCommand* command);
    void CommandRemoved(TProfileCommand* command);

    // The buttons, made first when they are not there yet.
    int ButtonCount() const { return m_page->CommandCount(); }
    TCommand* Button(int position) const;
    const QList<TCommand*>& Buttons() const;

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    TCommand* CreateButton(TProfileCommand* command);

    TMyPageControl* m_control;
    TProfilePage* m_page;
    QList<TCommand*> m_buttons;
    bool m_made = false;
};
