// The main window's keys that no action holds: Escape, and typing, which opens the find box.
#include "app/FindBox.h"
#include "app/Main.h"

#include "history/ArrowButton.h"
#include "history/RepositoryCommands.h"
#include "pages/CommandsPage.h"
#include "pages/MyPageControl.h"

#include "settings/IniFile.h"

#include <QKeyEvent>

#include <optional>

void TfmMain::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (event->key() == Qt::Key_Escape && modifiers == Qt::NoModifier &&
        !event->modifiers().testFlag(Qt::ShiftModifier)) {
        HideToTray();
        return;
    }
    // The page keys also when something else in the window has the focus.
    if (MainMyPageControl->HandleKey(event))
        return;
    const QString text = event->text();
    if (modifiers == Qt::NoModifier && !text.isEmpty() && text.front().isLetterOrNumber() &&
        OpenFindBox(text))
        return;
    QWidget::keyPressEvent(event);
}

TFindBox* TfmMain::OpenFindBox(const QString& typed)
{
    // Not before the pages are loaded, nor while a click holds the window.
    if (m_FirstActivation || IsInputHeld())
        return nullptr;
    TRepositoryCommands* history = QuickLaunchArrowButton->History();
    auto runCount = [history](TProfileCommand* command) {
        return history ? history->GetRunCount(command) : 0;
    };
    // The counts are read from RunStat.ini, one for every command: looked at on the disk once,
    // not once per count.
    std::optional<IniFile::Batch> counts;
    if (history && history->StatFile())
        counts.emplace(*history->StatFile());
    auto* box = new TFindBox(this, MainMyPageControl, runCount);
    counts.reset();
    box->Start(typed);
    return box;
}
