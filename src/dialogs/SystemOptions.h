#pragma once

#include "dialogs/CustomOptions.h"

#include <QPointer>

class QCheckBox;
class QKeySequenceEdit;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSlider;
class QSpinBox;

// "Настройки": every option of the program on five pages. The dialog only shows values and
// takes the user's choices; its creator fills the controls before showing it and reads them back
// after OK. Clearing the run history happens at once, through the quick-launch button.
class TfmSystemOptions : public TfmCustomOptions
{
    Q_OBJECT
public:
    static constexpr QSize DesignClientSize{338, 363};

    // historyWindow: the quick-launch button, which clears the run history on UM_HISTORY_CLEAR;
    // appFolder: the settings folder (with its trailing separator) that may hold RunStat.ini.
    TfmSystemOptions(QWidget* owner, QObject* historyWindow, const QString& appFolder);

    // Enables the five event boxes exactly when sounds are used; their ticks stay as they are.
    void MuteAllCheckBoxClick();
    void DescSortRadioButtonClick();
    void AscSortRadioButtonClick();
    void ClearRunHistoryButtonClick();

    // The global hotkey in Qt's portable text; empty: switched off.
    void SetHotkey(const QString& portableText);
    QString Hotkey() const;

    // "Общие"
    QSpinBox* ColCountSpinEdit;
    QSpinBox* CommandsCountSpinEdit;
    QCheckBox* CircleScrollCheckBox;
    QCheckBox* MinimizeToTrayAfterRunCommandCheckBox;
    QCheckBox* MinimizeToTrayAfterLoadCheckBox;
    QCheckBox* StayOnTopCheckBox;
    QCheckBox* AutoRunCheckBox;
    // "Подтверждения"
    QWidget* TabSheet2;
    QCheckBox* DelPageCheckBox;
    QCheckBox* ClearButtonCheckBox;
    QCheckBox* ReplaceButtonCheckBox;
    QCheckBox* ChangePropertiesCheckBox;
    QCheckBox* chbReplaceLnk;
    // "Прозрачность"
    QWidget* TabSheet3;
    QCheckBox* UseAlphaBlendCheckBox;
    QSlider* AlphaBlendTrackBar;
    // The hotkey that shows and hides the main window; where the desktop binds keys itself
    // (Wayland) only the command to bind there is shown.
    QCheckBox* HotkeyCheckBox;
    QKeySequenceEdit* HotkeyEdit;
    QLabel* HotkeyDesktopLabel;
    QLineEdit* HotkeyCommandEdit;
    // "История"
    QWidget* TabSheet4;
    QSpinBox* HystoryCommandCountSpinEdit;
    QRadioButton* DescSortRadioButton;
    QRadioButton* AscSortRadioButton;
    QLabel* DescSortImage;
    QLabel* AscSortImage;
    QPushButton* ClearRunHistoryButton;
    // "Звуки"
    QWidget* TabSheet5;
    QCheckBox* MuteAllCheckBox;
    QCheckBox* DropShortCutCheckBox;
    QCheckBox* ScrollPageCheckBox;
    QCheckBox* ClickButtonCheckBox;
    QCheckBox* DragButtonCheckBox;
    QCheckBox* DragPageCheckBox;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* AddSheet(const QString& caption, const QString& name);
    void FormCreate(const QString& appFolder);

    QPointer<QObject> m_historyWindow;
};
