// The main window's drops: files, folders, links and desktop shortcuts dragged onto a button or
// a page's tab become commands.

#include "actions/ShellActions.h"
#include "app/Main.h"

#include "commands/Messages.h"
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
#include "text/Paths.h"
#include "text/Text.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QMimeData>

namespace {

// The five fields a dropped item gives a command.
struct TDropCommand
{
    QString exePath;
    QString parameters;
    QString iconPath;
    int iconIndex = 0;
    QString description;
};

QString cutAtZero(const QString& text)
{
    const qsizetype zero = text.indexOf(QChar(0));
    return zero < 0 ? text : text.left(zero);
}

// A desktop shortcut: what it starts, with its icon and texts. False, with the reason in the
// user's words, for one that can't start anything.
bool shortcutCommand(const QString& file, TDropCommand& command, QString* refusal)
{
    QString damage;
    if (!CheckShortcut(file, &damage)) {
        *refusal = QStringLiteral("Ярлык не может стать командой:\r\"%1\"\r%2").arg(file, damage);
        return false;
    }
    const TShortcutInfo link = ReadShortcut(file);
    command.exePath = cutAtZero(link.targetPath);
    // A shortcut that can't be read, or one to a web page, is kept as the shortcut itself.
    if (command.exePath.isEmpty())
        command.exePath = file;
    command.iconPath = ExpandSystemRoot(cutAtZero(link.iconPath));
    command.iconIndex = link.iconIndex;
    if (command.iconPath.isEmpty() || !IconFileExists(command.iconPath)) {
        command.iconPath = command.exePath;
        command.iconIndex = 0;
    }
    command.parameters = cutAtZero(link.arguments);
    command.description = cutAtZero(link.description);
    return true;
}

// What the parameters dialog's file and folder buttons would make of an item; a link opens its
// address with the globe of the icon library and its title (or host) as description.
bool droppedCommand(const TDroppedItem& item, TDropCommand& command, QString* refusal)
{
    if (item.link) {
        command.exePath = item.path;
        command.iconPath = Folders::shell32Path();
        command.iconIndex = LinkIconIndex();
        command.description = LinkDescription(item.path, item.title);
        return true;
    }
    const QFileInfo info(item.path);
    if (info.isDir()) {
        QString folder = item.path;
        if (!folder.endsWith(PathSeparator))
            folder += PathSeparator;
        command.exePath = folder;
        command.iconPath = Folders::shell32Path();
        command.iconIndex = 3;
        // A folder's name has no extension to drop; the root has no name but its path.
        const QString name = QDir(item.path).dirName();
        command.description = name.isEmpty() || name == u"." ? folder : name;
        return true;
    }
    if (!info.isFile()) {
        *refusal = QStringLiteral("Файл не найден:\r\"%1\"").arg(item.path);
        return false;
    }
    if (AsciiLowerCase(ExtractFileExt(item.path)) == Constants::ShortcutExtension)
        return shortcutCommand(item.path, command, refusal);
    command.exePath = item.path;
    command.iconPath = item.path;
    command.iconIndex = 0;
    command.description = CommandDisplayName(QString(), item.path);
    return true;
}

} // namespace

int TfmMain::TabAt(const QPoint& globalPoint) const
{
    const QPoint point = MainMyPageControl->mapFromGlobal(globalPoint);
    for (int i = 0; i < MainMyPageControl->PageCount(); ++i)
        if (MainMyPageControl->TabRect(i).contains(point))
            return i;
    return -1;
}

TCommand* TfmMain::TrackDragTarget(const QPoint& localPoint)
{
    // No enter and leave notices come while a drag is under way: tell the page control which
    // button is under the pointer, so the drop lands where the user sees it.
    TCommand* command = CommandAt(mapToGlobal(localPoint));
    if (command)
        SendMessage(MainMyPageControl, UM_COMMAND_ENTER, toParam(command));
    else
        SendMessage(MainMyPageControl, UM_COMMAND_LEAVE);
    return command;
}

void TfmMain::dragEnterEvent(QDragEnterEvent* event)
{
    // Read once per drag: another program's data comes over the display connection.
    m_dragUsable = !DroppedItems(event->mimeData()).isEmpty();
    if (m_dragUsable)
        event->acceptProposedAction();
}

void TfmMain::dragMoveEvent(QDragMoveEvent* event)
{
    if (!m_dragUsable)
        return event->ignore();
    const QPoint point = event->position().toPoint();
    // Over a button or a tab the drop makes commands; elsewhere the refusal shows.
    if (TrackDragTarget(point) || TabAt(mapToGlobal(point)) >= 0)
        event->acceptProposedAction();
    else
        event->ignore();
}

void TfmMain::dropEvent(QDropEvent* event)
{
    const QList<TDroppedItem> items = DroppedItems(event->mimeData());
    if (items.isEmpty())
        return event->ignore();
    event->acceptProposedAction();
    const QPoint point = event->position().toPoint();
    const int tab = TrackDragTarget(point) ? -1 : TabAt(mapToGlobal(point));
    if (tab >= 0)
        DropItemsOnPage(items, tab);
    else
        DropItems(items, MainMyPageControl->CurrentCommand());
}

void TfmMain::DropFiles(const QStringList& files, TCommand* target)
{
    QList<TDroppedItem> items;
    for (const QString& file : files)
        items.append({file, QString(), false});
    DropItems(items, target);
}

void TfmMain::DropItems(const QList<TDroppedItem>& items, TCommand* target)
{
    if (items.isEmpty())
        return;
    // The drop sound, for every drop, also one that lands nowhere.
    PlayEventSound(SoundDropShortCut);
    if (!TCommand::IsCommandButton(target))
        return;
    TCommandsPage* page = MainMyPageControl->Page(target->PageNumber());
    const int first = page ? int(page->Buttons().indexOf(target)) : -1;
    if (first < 0)
        return;
    FillFromDrop(items, page, first);
}

void TfmMain::DropItemsOnPage(const QList<TDroppedItem>& items, int page)
{
    if (items.isEmpty())
        return;
    PlayEventSound(SoundDropShortCut);
    if (TCommandsPage* p = MainMyPageControl->Page(page))
        FillFromDrop(items, p, -1);
}

TfmMain::TDropResult TfmMain::FillFromDrop(const QList<TDroppedItem>& items, TCommandsPage* page,
                                           int first, bool ask)
{
    TDropResult result;
    const QList<TCommand*> buttons = page->Buttons();
    const bool single = first >= 0 && items.size() == 1;
    QList<TCommand*> room;
    if (single) {
        // One item onto a button: that button, replacing its command only when confirmed.
        room.append(buttons[first]);
    } else {
        // Several items, or a drop on a tab: the empty buttons from there on, in button order.
        // Filled ones are passed over without a question: one box for one of many buttons
        // would stop the drop half done.
        for (int i = qMax(first, 0); i < buttons.size(); ++i)
            if (buttons[i]->IsEmpty())
                room.append(buttons[i]);
    }

    // Items are looked at only while there is room for them: a drop of a whole disk must not
    // read every file on it.
    QList<TDropCommand> commands;
    QStringList refusals;
    qsizetype next = 0;
    for (; next < items.size() && commands.size() < room.size(); ++next) {
        TDropCommand command;
        QString refusal;
        if (droppedCommand(items[next], command, &refusal))
            commands.append(command);
        else
            refusals.append(refusal);
    }
    result.refusals = refusals;
    result.left = int(items.size() - next);
    // Told before anything is asked or changed, as one box for the whole drop.
    if (ask && !refusals.isEmpty()) {
        constexpr int Listed = 10;
        QString text = QStringList(refusals.mid(0, Listed)).join(QStringLiteral("\r\r"));
        if (refusals.size() > Listed)
            text += QStringLiteral("\r\rИ ещё не принято: %1").arg(refusals.size() - Listed);
        ShowError(text, QStringLiteral("Ошибка"));
    }
    if (single && !commands.isEmpty() &&
        SystemSettings->Conformations()->Contains(TSys_Conformations::ReplaceCommandOnDrop) &&
        !room[0]->IsEmpty() &&
        !Confirm(QStringLiteral("Подтвердите замену содержимого кнопки!"),
                 QStringLiteral("Замена содержимого кнопки")))
        return result;
    const QList<TCommand*> targets = room.mid(0, commands.size());

    {
        const QString shown =
            commands.isEmpty() ? QString()
                               : CommandDisplayName(commands[0].description, commands[0].exePath);
        TUndoStep step(commands.size() > 1
                           ? QStringLiteral("добавление команд: %1").arg(commands.size())
                       : !targets.isEmpty() && !targets[0]->IsEmpty()
                           ? QStringLiteral("замену команды «%1»").arg(targets[0]->DisplayName())
                           : QStringLiteral("добавление команды «%1»").arg(shown));
        QList<TProfileCommand*> places;
        QList<TCommandRecord> records;
        for (int i = 0; i < targets.size(); ++i) {
            const TDropCommand& command = commands[i];
            TCommandRecord record;
            record.SetExePath(command.exePath);
            record.SetIconIndex(command.iconIndex);
            record.SetIconPath(command.iconPath);
            record.SetParameters(command.parameters);
            record.SetDescription(command.description);
            places.append(targets[i]->Record());
            records.append(record);
        }
        // The failed file itself is told by the write-failure report.
        if (!MainMyPageControl->Model()->FillCommands(places, records)) {
            result.refusals.append(QStringLiteral("Не удалось записать файл команд."));
            return result;
        }
    }
    result.placed = int(targets.size());

    // What was left when the room ran out did not fit.
    if (ask && result.left > 0)
        ShowMessage(QStringLiteral("Не поместилось на страницу: %1").arg(result.left),
                    QStringLiteral("Нет пустых кнопок"), MB::OK | MB::ICONWARNING);
    return result;
}
