#pragma once

#include "commands/Command.h"

#include <QList>
#include <QString>
#include <QWidget>

class IniFile;
class QMenu;
class TMyPageControl;

// One page of the page control: a tab with caption and optional image, holding a grid of
// ColCount columns of CommandsCount buttons, in column-major order.
class TCommandsPage : public QWidget
{
    Q_OBJECT

public:
    static constexpr int ButtonHeight = 41;
    static constexpr int ButtonWidth = 41;

    // Joins control as its last page and creates ColCount x CommandsCount empty buttons, or
    // none yet when withButtons is false (CreateButtons makes them later).
    TCommandsPage(TMyPageControl* control, QMenu* popupMenu, QObject* historyWindow,
                  int commandsCount, int colCount, int pageNumber, TEditCallback editCallback,
                  QObject* mainWindow, bool withButtons = true);
    ~TCommandsPage() override;

    int ColCount() const { return m_ColCount; }
    int CommandsCount() const { return m_CommandsCount; }
    int PageNumber() const { return m_pageNumber; }
    QString Caption() const { return m_caption; }
    int ImageIndex() const { return m_imageIndex; }
    void SetImageIndex(int index);
    TMyPageControl* PageControl() const { return m_control; }

    // Places the buttons, sharing the page's height out evenly above, between and below them.
    void Layout();
    void SetColCount(int n);
    void SetCommandsCount(int n);
    // Makes the page's empty buttons when it has none.
    void CreateButtons();
    // Loads every button's command from the commands file.
    void LoadCommands();
    void LoadPage();
    void SavePage();
    void RenamePage(const QString& caption);
    void EraseStoredPage();
    void SetPageNumber(int n);
    // Takes a new number, for the page and its buttons, without touching the files: the page
    // control stores every page anew afterwards.
    void TakePageNumber(int n);
    void SaveAllCommands();
    void ClearAllCommands();

    int ButtonCount() const { return int(m_buttons.size()); }
    TCommand* Button(int position) const;
    const QList<TCommand*>& Buttons() const { return m_buttons; }

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    TCommand* CreateButton();
    void DestroyButton(TCommand* button);

    TMyPageControl* m_control;
    int m_ColCount;
    int m_CommandsCount;
    QMenu* m_popupMenu;
    QObject* m_historyWindow;
    QObject* m_mainWindow;
    QString m_caption;
    int m_pageNumber;
    int m_imageIndex = -1;
    QList<TCommand*> m_buttons;
    TEditCallback m_editCallback;
};
