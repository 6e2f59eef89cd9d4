#pragma once

#include "dialogs/Custom.h"

class QFrame;
class QPushButton;
class QTabWidget;

// The base of the program's dialogs: a page control above a line and the buttons "Справка",
// "Ок" and "Отмена". Escape acts as Cancel and Enter as OK wherever the focus is; the mouse
// wheel over the page control turns the pages without wrapping around.
class TfmCustomOptions : public TfmCustom
{
    Q_OBJECT
public:
    // Designed client size and the page control's designed bounds in it.
    static constexpr QSize DesignClientSize{261, 213};
    static constexpr QRect DesignPageControl{7, 6, 248, 158};

    explicit TfmCustomOptions(QWidget* owner = nullptr);

    // The client size of a page of a page control of the given size, as designed.
    static QSize TabSheetDesignSize(const QSize& pageControl);

    // The help topic the help button opens.
    void SetHelpKeyword(const QString& keyword) { m_helpKeyword = keyword; }
    QString HelpKeyword() const { return m_helpKeyword; }

    // Escape clicks Cancel, Enter clicks OK; true when the key was one of them.
    bool FormKeyDown(int key);

    QFrame* Bevel1;
    QTabWidget* MainPageControl;
    QWidget* TabSheet1;
    QFrame* Bevel2;
    QPushButton* OkButton;
    QPushButton* CancelButton;
    QPushButton* HelpButton;

protected:
    // OK closes the dialog with the OK result; dialogs that must do something first override it.
    virtual void OkButtonClick();
    void HelpButtonClick();
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool MainPageControlWheel(int delta);

    QString m_helpKeyword;
    int m_wheelRest = 0;
};
