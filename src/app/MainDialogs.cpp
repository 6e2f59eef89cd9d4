// The main window's handlers that open a dialog: command parameters, page name, settings, About.
#include "app/Main.h"
#include "app/ProgramHotkey.h"
#include "commands/Messages.h"
#include "dialogs/About.h"
#include "dialogs/AddRenamePage.h"
#include "dialogs/CommandOptions.h"
#include "dialogs/Custom.h"
#include "dialogs/SystemOptions.h"
#include "history/ArrowButton.h"
#include "pages/CommandsPage.h"
#include "pages/MyPageControl.h"
#include "platform/MessageBoxes.h"
#include "platform/Shell.h"
#include "settings/Constants.h"
#include "settings/Folders.h"
#include "settings/IniFile.h"
#include "settings/ProfileUndo.h"
#include "settings/SystemSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>

namespace {

// Brings an open dialog to the front; true when there was one.
bool BringToFront(QWidget* dialog)
{
    if (!dialog)
        return false;
    dialog->raise();
    dialog->activateWindow();
    return true;
}

} // namespace

void TfmMain::Buttons_ParametersActionExecute()
{
    if (BringToFront(CommandOptionsDialog))
        return;
    TCommand* command = HoveredCommand();
    if (!command)
        return;
    auto* dialog = new TfmCommandOptions(this, command, MainMyPageControl);
    CommandOptionsDialog = dialog;
    PlaceBesideMainWindow(this, dialog);
    QPointer<TCommand> edited(command);
    TUndoStep step(QStringLiteral("изменение параметров команды"));
    dialog->exec();
    if (edited)
        step.SetLabel(
            QStringLiteral("изменение параметров команды «%1»").arg(edited->DisplayName()));
    delete dialog;
}

bool TfmMain::ExecutePageDialog(int mode, const QString& initialName)
{
    TMyPageControl* pc = MainMyPageControl;
    auto* dialog = new TfmAddRenamePage(this, TfmAddRenamePage::TMode(mode), PageImageNames,
                                        CommandsPagesImageList, initialName);
    PlaceBesideMainWindow(this, dialog);
    bool result = false;
    TUndoStep step(mode == TfmAddRenamePage::AddPage ? QStringLiteral("добавление страницы")
                   : mode == TfmAddRenamePage::RenamePage
                       ? QStringLiteral("переименование страницы «%1»").arg(initialName)
                       : QStringLiteral("смену рисунка страницы «%1»").arg(initialName));
    if (mode == TfmAddRenamePage::ChangeImage) {
        TCommandsPage* page = pc->ActivePage();
        const int preselected = page ? page->ImageIndex() + 1 : 0;
        dialog->PagesImagesImageComboBox->setCurrentIndex(preselected);
        if (page && dialog->exec() == QDialog::Accepted) {
            const int selected = dialog->SelectedImageEntry();
            if (selected != preselected) {
                pc->Model()->SetPageImage(pc->ActivePageIndex(), selected <= 0 ? -1 : selected - 1);
                result = true;
                SetMinHeightAndWidth();
            }
        }
        delete dialog;
        return result;
    }

    while (dialog->exec() == QDialog::Accepted) {
        const QString name = dialog->PageName();
        const bool exists = pc->NameExists(name);
        if (mode == TfmAddRenamePage::RenamePage && name == initialName)
            break;
        if (!exists) {
            if (mode == TfmAddRenamePage::AddPage) {
                step.SetLabel(QStringLiteral("добавление страницы «%1»").arg(name));
                const int selected = dialog->SelectedImageEntry();
                pc->AddPage(name, selected <= 0 ? -1 : selected - 1);
                pc->SaveCounts();
            } else if (pc->ActivePage()) {
                pc->Model()->RenamePage(pc->ActivePageIndex(), name);
            }
            result = true;
            SetMinHeightAndWidth();
            break;
        }
        ShowError(QStringLiteral("Страница с таким именем уже существует!\rВведите другое!"),
                  QStringLiteral("Ошибка"));
    }
    delete dialog;
    return result;
}

void TfmMain::Pages_AddActionExecute()
{
    ExecutePageDialog(TfmAddRenamePage::AddPage, Constants::DefaultPageCaption);
}

void TfmMain::Pages_RenameActionExecute()
{
    if (TCommandsPage* page = MainMyPageControl->ActivePage())
        ExecutePageDialog(TfmAddRenamePage::RenamePage, page->Caption());
}

void TfmMain::Pages_ChangeImageActionExecute()
{
    if (TCommandsPage* page = MainMyPageControl->ActivePage())
        ExecutePageDialog(TfmAddRenamePage::ChangeImage, page->Caption());
}

void TfmMain::Options_MainOptionsActionExecute()
{
    if (BringToFront(SystemOptionsDialog))
        return;
    TSystemSettings& s = *SystemSettings;
    auto* dialog = new TfmSystemOptions(this, QuickLaunchArrowButton, Folders::appFolder());
    SystemOptionsDialog = dialog;
    PlaceBesideMainWindow(this, dialog);

    // Fill the dialog, keeping each value for the comparison afterwards.
    const int colCount = s.ColCount();
    const int commandsCount = s.CommandsCount();
    const bool circle = s.UseCircleScroll();
    const bool autorun = AutorunShortcutIsOurs();
    const int historyCount = s.HistoryCommandsCount();
    const int alpha = s.AlphaBlendValue();
    const bool useAlpha = s.UseAlphaBlend();
    const bool stayOnTop = s.UseStayOnTop();
    const bool ascSort = s.UseAscSort();
    dialog->ColCountSpinEdit->setValue(colCount);
    dialog->CommandsCountSpinEdit->setValue(commandsCount);
    dialog->CircleScrollCheckBox->setChecked(circle);
    dialog->AutoRunCheckBox->setChecked(autorun);
    QCheckBox* confirmations[] = {dialog->DelPageCheckBox, dialog->ClearButtonCheckBox,
                                  dialog->ReplaceButtonCheckBox, dialog->ChangePropertiesCheckBox,
                                  dialog->chbReplaceLnk};
    QCheckBox* sounds[] = {dialog->DropShortCutCheckBox, dialog->ScrollPageCheckBox,
                           dialog->ClickButtonCheckBox, dialog->DragButtonCheckBox,
                           dialog->DragPageCheckBox};
    for (int i = 0; i < 5; ++i) {
        confirmations[i]->setChecked(s.Conformations()->Contains(i));
        sounds[i]->setChecked(s.Sounds()->Contains(i));
    }
    dialog->MuteAllCheckBox->setChecked(!s.Sounds()->Contains(TSys_Sounds::MuteAll));
    dialog->MuteAllCheckBoxClick();
    dialog->HystoryCommandCountSpinEdit->setValue(historyCount);
    dialog->AlphaBlendTrackBar->setValue(alpha);
    dialog->UseAlphaBlendCheckBox->setChecked(useAlpha);
    dialog->StayOnTopCheckBox->setChecked(stayOnTop);
    dialog->AscSortRadioButton->setChecked(ascSort);
    dialog->DescSortRadioButton->setChecked(!ascSort);
    if (ascSort)
        dialog->AscSortRadioButtonClick();
    else
        dialog->DescSortRadioButtonClick();
    dialog->MinimizeToTrayAfterRunCommandCheckBox->setChecked(s.AfterRunCommand());
    dialog->MinimizeToTrayAfterLoadCheckBox->setChecked(s.AfterLoad());
    dialog->SetHotkey(s.GlobalHotkey());

    if (dialog->exec() == QDialog::Accepted) {
        bool layoutChanged = false;
        // The grid and circular scrolling. A smaller grid takes the commands off the
        // buttons it no longer has: the user is told how many and may keep the old grid.
        const int newColCount = dialog->ColCountSpinEdit->value();
        const int newCommandsCount = dialog->CommandsCountSpinEdit->value();
        if (newColCount != colCount || newCommandsCount != commandsCount) {
            const int lost = MainMyPageControl->FilledButtonsOutside(newColCount, newCommandsCount);
            if (lost == 0 ||
                Confirm(QStringLiteral("Кнопок с командами за пределами новой сетки: %1.\r"
                                       "Их команды будут удалены!\rИзменить сетку ?")
                            .arg(lost),
                        QStringLiteral("Подтвердите изменение сетки"))) {
                // Of all the settings only the grid changes the pages: it alone can be undone.
                TUndoStep step(QStringLiteral("изменение сетки"));
                // The renumbered commands and the new counts reach the files together.
                IniFile::Transaction transaction;
                if (newColCount != colCount)
                    MainMyPageControl->SetColCount(newColCount);
                if (newCommandsCount != commandsCount)
                    MainMyPageControl->SetCommandsCount(newCommandsCount);
                MainMyPageControl->SaveCounts();
                layoutChanged = true;
            }
        }
        if (dialog->CircleScrollCheckBox->isChecked() != circle) {
            s.SetUseCircleScroll(dialog->CircleScrollCheckBox->isChecked());
            layoutChanged = true;
        }
        // The autorun shortcut is written or removed only when the choice changed, so an
        // unchanged dialog never touches the startup folder.
        if (dialog->AutoRunCheckBox->isChecked() != autorun) {
            if (dialog->AutoRunCheckBox->isChecked())
                CreateAutorunShortcut();
            else
                RemoveAutorunShortcut();
        }
        // The confirmation and sound switches, each saved only when it changes.
        for (int i = 0; i < 5; ++i) {
            if (confirmations[i]->isChecked())
                s.Conformations()->Include(i);
            else
                s.Conformations()->Exclude(i);
            if (sounds[i]->isChecked())
                s.Sounds()->Include(i);
            else
                s.Sounds()->Exclude(i);
        }
        if (dialog->MuteAllCheckBox->isChecked())
            s.Sounds()->Exclude(TSys_Sounds::MuteAll);
        else
            s.Sounds()->Include(TSys_Sounds::MuteAll);
        // Translucency shows at once and is stored with it.
        if (dialog->UseAlphaBlendCheckBox->isChecked() != useAlpha ||
            dialog->AlphaBlendTrackBar->value() != alpha) {
            ApplyAlphaBlend(dialog->UseAlphaBlendCheckBox->isChecked(),
                            dialog->AlphaBlendTrackBar->value());
            s.SetUseAlphaBlend(dialog->UseAlphaBlendCheckBox->isChecked());
            s.SetAlphaBlendValue(dialog->AlphaBlendTrackBar->value());
        }
        // Stored from the window's flags, so the file says what the window does.
        if (dialog->StayOnTopCheckBox->isChecked() != stayOnTop) {
            ApplyStayOnTop(dialog->StayOnTopCheckBox->isChecked());
            s.SetUseStayOnTop(IsStayOnTop());
        }
        // The quick-launch history: the button holds the order and the size; the file follows it.
        if (dialog->AscSortRadioButton->isChecked() != ascSort) {
            QuickLaunchArrowButton->SetDescending(!dialog->AscSortRadioButton->isChecked());
            s.SetUseAscSort(!QuickLaunchArrowButton->Descending());
        }
        if (dialog->HystoryCommandCountSpinEdit->value() != historyCount) {
            QuickLaunchArrowButton->SetHistoryCount(dialog->HystoryCommandCountSpinEdit->value());
            s.SetHistoryCommandsCount(QuickLaunchArrowButton->MaxCount());
        }
        s.SetAfterRunCommand(dialog->MinimizeToTrayAfterRunCommandCheckBox->isChecked());
        s.SetAfterLoad(dialog->MinimizeToTrayAfterLoadCheckBox->isChecked());
        if (dialog->Hotkey() != s.GlobalHotkey()) {
            s.SetGlobalHotkey(dialog->Hotkey());
            if (TProgramHotkey* hotkey = TProgramHotkey::Instance())
                hotkey->Apply(true);
        }
        // A changed grid or scrolling rule needs new counts on disk and a new window size.
        if (layoutChanged) {
            MainMyPageControl->SaveCounts();
            SetMinHeightAndWidth();
        }
    }
    delete dialog;
}

void TfmMain::AboutProgActionExecute()
{
    if (BringToFront(AboutDialog))
        return;
    auto* dialog = new TfmAbout(this);
    AboutDialog = dialog;
    PlaceBesideMainWindow(this, dialog);
    dialog->exec();
    delete dialog;
}
