#pragma once

#include "dialogs/CustomOptions.h"

#include <QPointer>

class QComboBox;
class QLabel;
class QLineEdit;
class QToolButton;
class TClickImage;
class TCommand;
class TMyPageControl;

// "Параметры команды": edits the path, parameters, description and icon of one command. The two
// lists at the top move on to any other button of any page; the command being left is saved
// first, after a confirmation when it was changed.
class TfmCommandOptions : public TfmCustomOptions
{
    Q_OBJECT
public:
    static constexpr QSize DesignClientSize{445, 385};

    // historyWindow receives UM_COMMAND_FILLED and UM_COMMAND_CHANGED for saved commands.
    TfmCommandOptions(QWidget* owner, TCommand* command, TMyPageControl* pageControl);

    // The command the fields show (null when the page control has no such button).
    TCommand* Command() const { return m_command; }
    QString ChosenIconFile() const { return m_chosenIconFile; }
    int ChosenIconIndex() const { return m_chosenIconIndex; }
    // True when the fields differ from the command.
    bool Changed() const;
    // Stores the fields in the command, after the confirmation when that switch is on; fields
    // emptied all together clear it. False when the file could not be written: the user has
    // been told, the command keeps what the file holds and the fields keep what was typed.
    bool Save();

    void PagesNamesComboBoxChange();
    void LaunchButtonsComboBoxChange();
    void IconPreviewImageClick();
    void btnFileClick();
    void btnFolderClick();

    QComboBox* PagesNamesComboBox;
    QComboBox* LaunchButtonsComboBox;
    QLineEdit* ExePathEdit;
    QToolButton* btnFile;
    QToolButton* btnFolder;
    QLineEdit* ParametersEdit;
    QLineEdit* DescriptionEdit;
    TClickImage* IconPreviewImage;
    QLineEdit* IconPathEdit;

protected:
    void OkButtonClick() override;
    void showEvent(QShowEvent* event) override;

private:
    // Saves the command being left and shows the selected one; false, with the command being
    // left still on show, when it could not be saved.
    bool LeaveForSelection();
    void FillButtonsList(int page);
    void Show(int page, int position);
    void RefreshPreview();
    // The icon a save stores: the chosen one, or for an empty icon field the one the file and
    // folder buttons give the path in the command field.
    void IconToSave(QString* path, int* index) const;
    void ExePathEditChange(QLineEdit* edit);
    void SelectSilently(QComboBox* box, int index);

    TMyPageControl* m_pageControl;
    QPointer<TCommand> m_command;
    QString m_chosenIconFile;
    int m_chosenIconIndex = 0;
};
