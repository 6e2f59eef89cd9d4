#include "pages/CommandsPage.h"

#include "pages/MyPageControl.h"

TCommandsPage::TCommandsPage(TMyPageControl* control, TProfilePage* page)
    : QWidget(control), m_control(control), m_page(page)
{
    setAutoFillBackground(false);
    control->InsertPage(this);
}

TCommandsPage::~TCommandsPage()
{
    // Buttons go last to first; the profile is not touched.
    while (!m_buttons.isEmpty())
        delete m_buttons.takeLast();
    if (m_control)
        m_control->RemovePage(this);
}

void TCommandsPage::CreateButtons()
{
    if (m_made)
        return;
    m_made = true;
    const QList<TProfileCommand*>& commands = m_page->Commands();
    m_buttons.reserve(commands.size());
    for (TProfileCommand* command : commands)
        m_buttons.append(CreateButton(command));
    Layout();
}

TCommand* TCommandsPage::CreateButton(TProfileCommand* command)
{
    auto* button =
        new TCommand(command, this, m_control->CommandMenu(), m_control, m_control->HistoryWindow(),
                     m_control->EditCallback(), m_control->MainWindow());
    // Buttons of a hidden page show with it; showing each now would polish thousands.
    if (isVisible())
        button->show();
    return button;
}

void TCommandsPage::CommandAdded(TProfileCommand* command)
{
    if (m_made)
        m_buttons.append(CreateButton(command));
}

void TCommandsPage::CommandRemoved(TProfileCommand* command)
{
    for (int i = 0; i < m_buttons.size(); ++i) {
        if (m_buttons[i]->Record() == command) {
            delete m_buttons.takeAt(i);
            return;
        }
    }
}

TCommand* TCommandsPage::Button(int position) const
{
    const QList<TCommand*>& buttons = Buttons();
    return position >= 0 && position < buttons.size() ? buttons[position] : nullptr;
}

const QList<TCommand*>& TCommandsPage::Buttons() const
{
    const_cast<TCommandsPage*>(this)->CreateButtons();
    return m_buttons;
}

void TCommandsPage::Layout()
{
    const int rows = m_page->CommandsCount();
    if (rows <= 0 || !m_made)
        return;
    // Truncating division: negative on a page too low for its buttons, so they overlap.
    const int gap = (height() - rows * ButtonHeight) / (rows + 1);
    for (int col = 0; col < m_page->ColCount(); ++col) {
        for (int row = 0; row < rows; ++row) {
            const int position = col * rows + row;
            if (position < m_buttons.size())
                m_buttons[position]->setGeometry(col * (ButtonWidth + 2),
                                                 gap + row * (ButtonHeight + gap), ButtonWidth,
                                                 ButtonHeight);
        }
    }
}

bool TCommandsPage::event(QEvent* event)
{
    // Polishing a page polishes all its buttons; a hidden page is polished when it first shows.
    if (event->type() == QEvent::PolishRequest && !isVisible())
        return true;
    return QWidget::event(event);
}

void TCommandsPage::resizeEvent(QResizeEvent*)
{
    Layout();
}

void TCommandsPage::showEvent(QShowEvent* event)
{
    CreateButtons();
    QWidget::showEvent(event);
}
