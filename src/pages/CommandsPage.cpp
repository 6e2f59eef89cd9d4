#include "pages/CommandsPage.h"

#include "pages/MyPageControl.h"
#include "settings/IniFile.h"

namespace {
const QString CaptionKey = QStringLiteral("Caption");
const QString ImageIndexKey = QStringLiteral("ImageIndex");
} // namespace

TCommandsPage::TCommandsPage(TMyPageControl* control, QMenu* popupMenu, QObject* historyWindow,
                             int commandsCount, int colCount, int pageNumber,
                             TEditCallback editCallback, QObject* mainWindow, bool withButtons)
    : QWidget(control), m_control(control), m_ColCount(colCount), m_CommandsCount(commandsCount),
      m_popupMenu(popupMenu), m_historyWindow(historyWindow), m_mainWindow(mainWindow),
      m_pageNumber(pageNumber), m_editCallback(std::move(editCallback))
{
    setAutoFillBackground(false);
    control->InsertPage(this);
    if (withButtons)
        CreateButtons();
}

void TCommandsPage::CreateButtons()
{
    if (!m_buttons.isEmpty())
        return;
    const int count = qMax(0, m_ColCount) * qMax(0, m_CommandsCount);
    m_buttons.reserve(count);
    for (int i = 0; i < count; ++i)
        m_buttons.append(CreateButton());
}

void TCommandsPage::LoadCommands()
{
    for (TCommand* button : std::as_const(m_buttons))
        button->Load();
}

TCommandsPage::~TCommandsPage()
{
    // Buttons go last to first; the settings files are not touched.
    while (!m_buttons.isEmpty())
        delete m_buttons.takeLast();
    if (m_control)
        m_control->RemovePage(this);
}

TCommand* TCommandsPage::CreateButton()
{
    auto* button = new TCommand(this, m_popupMenu, m_control, m_historyWindow, m_pageNumber,
                                ButtonHeight, ButtonWidth, int(m_buttons.size()), m_editCallback,
                                m_mainWindow, m_control->CommandsIniFile());
    // Buttons of a hidden page show with it; showing each now would polish thousands.
    if (isVisible())
        button->show();
    return button;
}

void TCommandsPage::DestroyButton(TCommand* button)
{
    button->Clear();
    delete button;
}

TCommand* TCommandsPage::Button(int position) const
{
    return position >= 0 && position < m_buttons.size() ? m_buttons[position] : nullptr;
}

void TCommandsPage::SetImageIndex(int index)
{
    m_imageIndex = index;
    m_control->UpdateTabs();
}

void TCommandsPage::Layout()
{
    const int rows = m_CommandsCount;
    if (rows <= 0)
        return;
    // Truncating division: negative on a page too low for its buttons, so they overlap.
    const int gap = (height() - rows * ButtonHeight) / (rows + 1);
    for (int col = 0; col < m_ColCount; ++col) {
        for (int row = 0; row < rows; ++row) {
            if (TCommand* button = Button(col * rows + row))
                button->setGeometry(col * (ButtonWidth + 2), gap + row * (ButtonHeight + gap),
                                    ButtonWidth, ButtonHeight);
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

void TCommandsPage::SetColCount(int n)
{
    if (n < 0)
        n = 0;
    IniFile::Batch batch(*m_control->CommandsIniFile());
    if (n < m_ColCount) {
        const int keep = n * m_CommandsCount;
        while (m_buttons.size() > keep)
            DestroyButton(m_buttons.takeLast());
    } else if (n > m_ColCount) {
        for (int i = 0; i < (n - m_ColCount) * m_CommandsCount; ++i)
            m_buttons.append(CreateButton());
    }
    m_ColCount = n;
}

void TCommandsPage::SetCommandsCount(int n)
{
    if (n < 0)
        n = 0;
    const int old = m_CommandsCount;
    if (n == old)
        return;
    IniFile::Batch batch(*m_control->CommandsIniFile());
    if (n < old) {
        // Positions are computed before anything is removed; bottom row first, column by column.
        QList<TCommand*> removed;
        for (int col = 0; col < m_ColCount; ++col)
            for (int row = old - 1; row >= n; --row)
                if (TCommand* button = Button(col * old + row))
                    removed.append(button);
        for (TCommand* button : removed) {
            m_buttons.removeOne(button);
            DestroyButton(button);
        }
    } else {
        for (int col = 0; col < m_ColCount; ++col)
            for (int i = 0; i < n - old; ++i)
                m_buttons.append(CreateButton());
    }
    m_CommandsCount = n;
}

void TCommandsPage::LoadPage()
{
    IniFile* file = m_control->PagesIniFile();
    const QString section = QString::number(m_pageNumber);
    m_caption = file->readString(section, CaptionKey, QString());
    if (!m_control->HasImages()) {
        m_control->UpdateTabs();
        return;
    }
    int index = file->readInteger(section, ImageIndexKey, -1);
    if (index > int(m_control->Images().size()) - 1)
        index = -1;
    SetImageIndex(index);
}

void TCommandsPage::SavePage()
{
    IniFile* file = m_control->PagesIniFile();
    const QString section = QString::number(m_pageNumber);
    IniFile::Batch batch(*file);
    file->writeString(section, CaptionKey, m_caption);
    file->writeInteger(section, ImageIndexKey, m_imageIndex);
}

void TCommandsPage::RenamePage(const QString& caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    m_control->UpdateTabs();
    SavePage();
}

void TCommandsPage::EraseStoredPage()
{
    IniFile::Batch batch(*m_control->CommandsIniFile());
    m_control->PagesIniFile()->eraseSection(QString::number(m_pageNumber));
    for (TCommand* button : std::as_const(m_buttons))
        button->Clear();
}

void TCommandsPage::SetPageNumber(int n)
{
    if (n == m_pageNumber)
        return;
    IniFile::Batch batch(*m_control->CommandsIniFile());
    m_pageNumber = n;
    m_control->MovePage(this, n);
    for (TCommand* button : std::as_const(m_buttons))
        button->SetPageNumber(n);
    SaveAllCommands();
}

void TCommandsPage::TakePageNumber(int n)
{
    m_pageNumber = n;
    for (TCommand* button : std::as_const(m_buttons))
        button->TakeNumbers(n, button->ButtonNumber());
}

void TCommandsPage::SaveAllCommands()
{
    IniFile::Batch batch(*m_control->CommandsIniFile());
    for (TCommand* button : std::as_const(m_buttons))
        button->Save();
}

void TCommandsPage::ClearAllCommands()
{
    IniFile::Batch batch(*m_control->CommandsIniFile());
    for (TCommand* button : std::as_const(m_buttons))
        button->Clear();
}
