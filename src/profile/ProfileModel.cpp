#include "profile/ProfileModel.h"

#include "commands/Messages.h"
#include "history/RepositoryCommands.h"
#include "settings/Constants.h"
#include "settings/IniFile.h"
#include "settings/SharedFiles.h"
#include "settings/SystemSettings.h"
#include "text/Text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <climits>

namespace {
const QString CaptionKey = QStringLiteral("Caption");
const QString ImageIndexKey = QStringLiteral("ImageIndex");

quint64 placeKey(int page, int button)
{
    return (quint64(quint32(page)) << 32) | quint32(button);
}

// The names of page sections: a page number in decimal, nothing else.
bool isPageSection(const QString& name)
{
    bool ok = false;
    const int number = name.toInt(&ok);
    return ok && number >= 0 && QString::number(number) == name;
}

// Every live command, so that an address from a notice can be checked before it is used.
QSet<const void*>& liveCommands()
{
    static QSet<const void*> commands;
    return commands;
}
} // namespace

TProfileCommand::TProfileCommand(TProfileModel* model, int pageNumber, int buttonNumber,
                                 IniFile* file)
    : TCommandRecord(pageNumber, buttonNumber, file), m_model(model)
{
    liveCommands().insert(static_cast<const void*>(this));
}

TProfileCommand::~TProfileCommand()
{
    liveCommands().remove(static_cast<const void*>(this));
}

bool TProfileCommand::IsLive(const void* address)
{
    return address && liveCommands().contains(address);
}

TProfileCommand* TProfileCommand::FromParam(intptr_t value)
{
    const void* address = reinterpret_cast<const void*>(value);
    if (value == 0 || value == -1 || !IsLive(address))
        return nullptr;
    return static_cast<TProfileCommand*>(const_cast<void*>(address));
}

TProfileModel::TProfileModel(TSystemSettings* settings, IniFile* pagesFile, IniFile* commandsFile,
                             QObject* parent)
    : QObject(parent), m_settings(settings), m_pagesFile(pagesFile), m_commandsFile(commandsFile)
{
    if (TSystemSettings* s = Settings()) {
        m_colCount = s->ColCount();
        m_commandsCount = s->CommandsCount();
    }
}

TProfileModel::~TProfileModel()
{
    for (TProfilePage* page : std::as_const(m_pages)) {
        qDeleteAll(page->m_commands);
        delete page;
    }
}

std::unique_ptr<TProfileModel> TProfileModel::ReadFolder(const QString& folder)
{
    const QDir dir(folder);
    auto copy = [&dir](const QString& name) {
        QFile file(dir.filePath(name));
        // A file that cannot be read counts as empty, as at start.
        return IniFile::inMemory(file.open(QIODevice::ReadOnly) ? file.read(IniFile::MaxContentSize)
                                                                : QByteArray());
    };
    auto pages = copy(Constants::PagesFileName);
    auto commands = copy(Constants::CommandsFileName);
    auto stat = copy(Constants::RunStatFileName);
    auto model = std::make_unique<TProfileModel>(nullptr, pages.get(), commands.get());
    model->m_storedGrid =
        TSystemSettings::ReadGrid(IniFile(dir.filePath(Constants::OptionsFileName)));
    model->m_ownFiles.push_back(std::move(pages));
    model->m_ownFiles.push_back(std::move(commands));
    model->m_runStatFile = std::move(stat);
    // Without the picture list at hand, a page keeps the picture index it has stored.
    model->m_imageCount = INT_MAX;
    model->Load();
    return model;
}

TSystemSettings* TProfileModel::Settings() const
{
    // A profile read into memory has no settings to read from or store to.
    if (m_storedGrid)
        return nullptr;
    return m_settings ? m_settings : SystemSettings;
}

IniFile* TProfileModel::PagesIniFile() const
{
    return m_pagesFile ? m_pagesFile : PagesFile;
}

IniFile* TProfileModel::CommandsIniFile() const
{
    return m_commandsFile ? m_commandsFile : CommandsFile;
}

void TProfileModel::SetRunStatFile(const QString& fileName)
{
    m_runStatFile = fileName.isEmpty() ? nullptr : std::make_unique<IniFile>(fileName);
}

TProfileCommand* TProfileModel::Command(int page, int button) const
{
    const TProfilePage* p = Page(page);
    return p ? p->Command(button) : nullptr;
}

int TProfileModel::PageOf(const TProfileCommand* command) const
{
    if (!command || command->Model() != this)
        return -1;
    // Numbers equal positions once loaded; the search covers a load in progress.
    const TProfilePage* page = Page(command->PageNumber());
    if (page && page->m_commands.contains(const_cast<TProfileCommand*>(command)))
        return command->PageNumber();
    for (int i = 0; i < m_pages.size(); ++i)
        if (m_pages[i]->m_commands.contains(const_cast<TProfileCommand*>(command)))
            return i;
    return -1;
}

TProfilePage* TProfileModel::NewPage(int number, bool withPlaces)
{
    auto* page = new TProfilePage;
    page->m_model = this;
    page->m_number = number;
    page->m_colCount = m_colCount;
    page->m_commandsCount = m_commandsCount;
    if (withPlaces)
        AppendCommands(page, std::max(0, m_colCount) * std::max(0, m_commandsCount));
    else
        page->m_placesPending = true;
    m_pages.append(page);
    return page;
}

void TProfilePage::MakePlaces() const
{
    m_placesPending = false;
    // Part of the load the views heard of as a whole: no one is told of each place.
    QSignalBlocker quiet(m_model);
    auto* self = const_cast<TProfilePage*>(this);
    m_model->AppendCommands(self, std::max(0, m_colCount) * std::max(0, m_commandsCount));
}

void TProfileModel::AppendCommands(TProfilePage* page, int count)
{
    page->m_commands.reserve(page->m_commands.size() + count);
    for (int i = 0; i < count; ++i) {
        auto* command = new TProfileCommand(this, page->m_number, int(page->m_commands.size()),
                                            CommandsIniFile());
        page->m_commands.append(command);
        emit CommandAdded(command);
    }
}

void TProfileModel::DestroyCommand(TProfilePage* page, TProfileCommand* command)
{
    ClearCommand(command);
    emit CommandAboutToBeRemoved(command);
    page->m_commands.removeOne(command);
    delete command;
}

void TProfileModel::Unload()
{
    while (!m_pages.isEmpty()) {
        emit PageAboutToBeRemoved(int(m_pages.size()) - 1);
        TProfilePage* page = m_pages.takeLast();
        qDeleteAll(page->m_commands);
        delete page;
    }
    emit Reset();
}

void TProfileModel::LoadPage(TProfilePage* page)
{
    IniFile* file = PagesIniFile();
    const QString section = QString::number(page->m_number);
    page->m_caption = file->readString(section, CaptionKey, QString());
    if (m_imageCount <= 0)
        return;
    int index = file->readInteger(section, ImageIndexKey, -1);
    if (index > m_imageCount - 1)
        index = -1;
    page->m_imageIndex = index;
}

void TProfileModel::SavePage(const TProfilePage* page)
{
    IniFile* file = PagesIniFile();
    const QString section = QString::number(page->m_number);
    IniFile::Batch batch(*file);
    file->writeString(section, CaptionKey, page->m_caption);
    file->writeInteger(section, ImageIndexKey, page->m_imageIndex);
}

void TProfileModel::Load(const std::function<void(int done, int total)>& progress,
                         const std::function<void()>& firstPageLoaded)
{
    // Every write of the loading, repairs included, reaches the files together.
    IniFile::Transaction transaction;
    TStoredGrid grid;
    if (m_storedGrid)
        grid = *m_storedGrid;
    else if (const TSystemSettings* s = Settings())
        grid = {s->ColCount(), s->CommandsCount(), s->PagesCount()};
    else
        grid.pagesCount = 0;
    {
        QSignalBlocker quiet(this);
        if (m_storedGrid || Settings()) {
            SetColCount(grid.colCount);
            SetCommandsCount(grid.commandsCount);
        }
    }
    const int n = std::max(grid.pagesCount, 0);

    // A stored count far beyond the sections present must not keep us reading nothing for ever:
    // no page can live past the highest numbered section.
    int highest = -1;
    for (const QString& name : PagesIniFile()->sections())
        if (isPageSection(name))
            highest = std::max(highest, name.toInt());
    const int last = std::min(n, highest + 1);

    IniFile::Batch pagesBatch(*PagesIniFile());
    // The first page is read from its own sections of the commands file alone: the whole file,
    // thousands of commands, is read once the page is on the screen, and the page then takes what
    // that read finds, should it differ.
    std::unique_ptr<IniFile> firstPageText;
    {
        // The views look at the whole profile once it is read, not at each of its places.
        QSignalBlocker quiet(this);
        for (int k = 0; k < last; ++k) {
            const QString caption =
                PagesIniFile()->readString(QString::number(k), CaptionKey, QString());
            if (!caption.isEmpty()) {
                // Only the first page's commands now: it is the one shown first, and the other
                // pages' thousands of commands are made and read once it is on the screen.
                const bool first = m_pages.isEmpty();
                TProfilePage* page = NewPage(k, first);
                LoadPage(page);
                if (first) {
                    firstPageText = CommandsIniFile()->sectionsFromDisk(QString::number(k) + u'\\');
                    for (TProfileCommand* command : std::as_const(page->m_commands)) {
                        if (firstPageText)
                            command->SetCommandsIniFile(firstPageText.get());
                        command->Load();
                    }
                }
            }
            if (progress)
                progress(k + 1, last);
        }
    }
    const bool firstRunPage = m_pages.isEmpty();
    if (firstRunPage) {
        // Nothing to show would end every start at once, without a word. The program starts
        // with the page a first run has instead; every other file stays as it is.
        IniFile* pages = PagesIniFile();
        IniFile::Batch batch(*pages);
        pages->eraseSection(QStringLiteral("0"));
        pages->writeString(QStringLiteral("0"), CaptionKey, Constants::DefaultPageCaption);
        pages->writeInteger(QStringLiteral("0"), ImageIndexKey, -1);
        QSignalBlocker quiet(this);
        TProfilePage* page = NewPage(0);
        LoadPage(page);
        for (TProfileCommand* command : std::as_const(page->m_commands))
            command->Load();
    }
    emit Reset();
    if (firstPageLoaded)
        firstPageLoaded();
    IniFile::Batch commandsBatch(*CommandsIniFile());
    if (firstPageText && !m_pages.isEmpty()) {
        for (TProfileCommand* command : std::as_const(m_pages[0]->m_commands)) {
            TCommandRecord seen;
            seen.AssignFields(*command);
            command->SetCommandsIniFile(CommandsIniFile());
            command->Load();
            if (!command->SameFields(seen))
                emit CommandChanged(command);
        }
        firstPageText.reset();
    }
    {
        QSignalBlocker quiet(this);
        for (int i = 1; i < m_pages.size(); ++i)
            for (TProfileCommand* command : m_pages[i]->Commands())
                command->Load();
    }
    if (firstRunPage) {
        SaveCounts();
    } else if (m_pages.size() != n) {
        QSignalBlocker quiet(this);
        RenumberPages();
        SaveCounts();
    }
}

QList<TProfileCommand*> TProfileModel::CommandsWithProgram() const
{
    QList<TProfileCommand*> found;
    for (const TProfilePage* page : m_pages)
        for (TProfileCommand* command : page->m_commands)
            if (!command->ExePath().isEmpty() && QFileInfo(command->ExePath()).isFile())
                found.append(command);
    return found;
}

TProfileCommand* TProfileModel::FirstEmptyCommand(int page) const
{
    if (const TProfilePage* p = Page(page))
        for (TProfileCommand* command : p->m_commands)
            if (command->IsEmpty())
                return command;
    return nullptr;
}

void TProfileModel::SaveCounts()
{
    if (TSystemSettings* s = Settings()) {
        s->SetColCount(m_colCount);
        s->SetCommandsCount(m_commandsCount);
        s->SetPagesCount(int(m_pages.size()));
    }
}

void TProfileModel::SetColCount(int n)
{
    m_colCount = n;
    IniFile::Transaction transaction;
    // Without pages there is nothing to write, and the commands file is not read for it.
    if (!m_pages.isEmpty()) {
        IniFile::Batch batch(*CommandsIniFile());
        for (TProfilePage* page : std::as_const(m_pages))
            SetPageColCount(page, n);
    }
    NumberCommandsByPosition();
    emit GridChanged();
}

void TProfileModel::SetCommandsCount(int n)
{
    m_commandsCount = n;
    IniFile::Transaction transaction;
    // Without pages there is nothing to write, and the commands file is not read for it.
    if (!m_pages.isEmpty()) {
        IniFile::Batch batch(*CommandsIniFile());
        for (TProfilePage* page : std::as_const(m_pages))
            SetPageCommandsCount(page, n);
    }
    NumberCommandsByPosition();
    emit GridChanged();
}

void TProfileModel::SetPageColCount(TProfilePage* page, int n)
{
    if (n < 0)
        n = 0;
    IniFile::Batch batch(*CommandsIniFile());
    if (n < page->m_colCount) {
        const int keep = n * page->m_commandsCount;
        while (page->m_commands.size() > keep)
            DestroyCommand(page, page->m_commands.last());
    } else if (n > page->m_colCount) {
        AppendCommands(page, (n - page->m_colCount) * page->m_commandsCount);
    }
    page->m_colCount = n;
}

void TProfileModel::SetPageCommandsCount(TProfilePage* page, int n)
{
    if (n < 0)
        n = 0;
    const int old = page->m_commandsCount;
    if (n == old)
        return;
    IniFile::Batch batch(*CommandsIniFile());
    if (n < old) {
        // Positions are computed before anything is removed; bottom row first, column by column.
        QList<TProfileCommand*> removed;
        for (int col = 0; col < page->m_colCount; ++col)
            for (int row = old - 1; row >= n; --row)
                if (TProfileCommand* command = page->Command(col * old + row))
                    removed.append(command);
        for (TProfileCommand* command : std::as_const(removed))
            DestroyCommand(page, command);
    } else {
        AppendCommands(page, page->m_colCount * (n - old));
    }
    page->m_commandsCount = n;
}

int TProfileModel::FilledCommandsOutside(int colCount, int commandsCount) const
{
    int count = 0;
    for (const TProfilePage* page : m_pages) {
        const int rows = page->m_commandsCount;
        for (int i = 0; i < page->m_commands.size(); ++i) {
            const bool outside = rows <= 0 || i / rows >= colCount || i % rows >= commandsCount;
            if (outside && !page->m_commands[i]->IsEmpty())
                ++count;
        }
    }
    return count;
}

void TProfileModel::NumberCommandsByPosition()
{
    // Removing rows leaves gaps in the numbers, and growing again would give new places the
    // numbers of old ones: two places would share one section.
    const QHash<quint64, TProfileCommand*> before = Places();
    bool renumbered = false;
    for (TProfilePage* page : std::as_const(m_pages)) {
        for (int i = 0; i < page->m_commands.size(); ++i) {
            TProfileCommand* command = page->m_commands[i];
            if (command->ButtonNumber() != i) {
                command->TakeNumbers(page->m_number, i);
                renumbered = true;
            }
        }
    }
    if (renumbered)
        StoreAll(before, false);
}

QHash<quint64, TProfileCommand*> TProfileModel::Places() const
{
    QHash<quint64, TProfileCommand*> places;
    for (const TProfilePage* page : m_pages)
        for (TProfileCommand* command : page->m_commands)
            places.insert(placeKey(command->PageNumber(), command->ButtonNumber()), command);
    return places;
}

void TProfileModel::StoreAll(const QHash<quint64, TProfileCommand*>& before, bool withPages)
{
    IniFile::Transaction transaction;
    {
        IniFile::Batch pagesBatch(*PagesIniFile());
        IniFile::Batch commandsBatch(*CommandsIniFile());
        if (withPages) {
            const QStringList sections = PagesIniFile()->sections();
            for (const QString& section : sections)
                if (isPageSection(section))
                    PagesIniFile()->eraseSection(section);
        }
        const QStringList sections = CommandsIniFile()->sections();
        for (const QString& section : sections)
            if (!TRepositoryCommands::PlaceOfSection(section).IsNone())
                CommandsIniFile()->eraseSection(section);
        for (TProfilePage* page : std::as_const(m_pages)) {
            if (withPages)
                SavePage(page);
            for (TProfileCommand* command : std::as_const(page->m_commands))
                command->Save();
        }
    }
    if (IniFile* stat = RunStatIniFile()) {
        // A count belongs to the command on its place: it goes where the place went, and with
        // the command when the place was emptied or is gone.
        TRepositoryCommands::MoveStatistics(*stat, [&before](const TStatPlace& place) {
            const TProfileCommand* command = before.value(placeKey(place.page, place.command));
            if (!command || !TProfileCommand::IsLive(command) || command->IsEmpty())
                return TStatPlace();
            return TStatPlace{command->PageNumber(), command->ButtonNumber()};
        });
    }
}

void TProfileModel::RenumberPages()
{
    // Pages and commands are stored anew under the positions, and what was left under other
    // numbers goes: sections of pages that were skipped or deleted would otherwise come back on
    // the renumbered pages at the next start.
    const QHash<quint64, TProfileCommand*> before = Places();
    for (int i = 0; i < m_pages.size(); ++i) {
        TProfilePage* page = m_pages[i];
        page->m_number = i;
        for (TProfileCommand* command : std::as_const(page->m_commands))
            command->TakeNumbers(i, command->ButtonNumber());
    }
    StoreAll(before, true);
}

TProfilePage* TProfileModel::AddPage(const QString& caption, int imageIndex)
{
    const int pageNumber = int(m_pages.size());
    {
        // A new page holds nothing: commands and counts stored under its number long ago (by a
        // program that left them behind) must not turn up on it at the next start.
        IniFile::Transaction transaction;
        IniFile* commands = CommandsIniFile();
        IniFile::Batch batch(*commands);
        const QStringList sections = commands->sections();
        for (const QString& section : sections)
            if (TRepositoryCommands::PlaceOfSection(section).page == pageNumber)
                commands->eraseSection(section);
        if (IniFile* stat = RunStatIniFile())
            TRepositoryCommands::MoveStatistics(*stat, [pageNumber](const TStatPlace& place) {
                return place.page == pageNumber ? TStatPlace() : place;
            });
    }
    TProfilePage* page = nullptr;
    {
        QSignalBlocker quiet(this);
        page = NewPage(pageNumber);
    }
    page->m_caption = caption;
    page->m_imageIndex = imageIndex;
    SavePage(page);
    emit PageAdded(pageNumber);
    return page;
}

void TProfileModel::RenamePage(int position, const QString& caption)
{
    TProfilePage* page = Page(position);
    if (!page || caption == page->m_caption)
        return;
    page->m_caption = caption;
    SavePage(page);
    emit PageChanged(position);
}

void TProfileModel::SetPageImage(int position, int imageIndex)
{
    TProfilePage* page = Page(position);
    if (!page)
        return;
    page->m_imageIndex = imageIndex;
    SavePage(page);
    emit PageChanged(position);
}

void TProfileModel::DeletePage(int position)
{
    TProfilePage* page = Page(position);
    if (!page)
        return;
    // The files of the settings folder change together, also across a crash.
    IniFile::Transaction transaction;
    IniFile::Batch pagesBatch(*PagesIniFile());
    IniFile::Batch commandsBatch(*CommandsIniFile());
    PagesIniFile()->eraseSection(QString::number(page->m_number));
    for (TProfileCommand* command : std::as_const(page->m_commands))
        ClearCommand(command);
    emit PageAboutToBeRemoved(position);
    m_pages.removeAt(position);
    qDeleteAll(page->m_commands);
    delete page;
    SaveCounts();
    RenumberPages();
}

void TProfileModel::MovePage(int from, int to)
{
    if (from < 0 || from >= m_pages.size() || m_pages.isEmpty())
        return;
    to = std::clamp(to, 0, int(m_pages.size()) - 1);
    if (from == to)
        return;
    m_pages.move(from, to);
    emit PageMoved(from, to);
    RenumberPages();
}

void TProfileModel::RemapImageIndexes(const QList<int>& newIndexOf)
{
    auto remap = [&newIndexOf](int index) {
        return index >= 0 && index < newIndexOf.size() ? newIndexOf[index] : index;
    };
    IniFile* file = PagesIniFile();
    IniFile::Batch batch(*file);
    for (int i = 0; i < m_pages.size(); ++i) {
        TProfilePage* page = m_pages[i];
        const QString section = QString::number(page->m_number);
        // The stored index too: a page loaded without pictures shows none but keeps its own.
        const int stored = file->readInteger(section, ImageIndexKey, -1);
        if (remap(stored) != stored)
            file->writeInteger(section, ImageIndexKey, remap(stored));
        if (remap(page->m_imageIndex) != page->m_imageIndex) {
            page->m_imageIndex = remap(page->m_imageIndex);
            emit PageChanged(i);
        }
    }
}

bool TProfileModel::NameExists(const QString& caption) const
{
    const QString wanted = AsciiLowerCase(caption);
    return std::any_of(m_pages.begin(), m_pages.end(), [&](const TProfilePage* page) {
        return AsciiLowerCase(page->m_caption) == wanted;
    });
}

bool TProfileModel::ClearCommand(TProfileCommand* command)
{
    if (!command || command->IsEmpty())
        return true;
    command->ResetFields();
    emit CommandChanged(command);
    const bool erased = command->EraseStored();
    emit CommandCleared(command);
    return erased;
}

TCommandWrite TProfileModel::SetCommand(TProfileCommand* target, const TCommandRecord& fields)
{
    if (!TProfileCommand::IsLive(target))
        return TCommandWrite::Nothing;
    TCommandRecord previous;
    previous.AssignFields(*target);
    const bool wasEmpty = target->IsEmpty();
    // Every field emptied: the command goes, as a clear takes it, with its section and its
    // place in the run history; saved empty, the old section would bring it back.
    const bool emptied = fields.IsEmpty();
    bool saved = false;
    {
        // The command and its run count reach the files together, or neither does.
        IniFile::Transaction transaction;
        if (emptied) {
            saved = ClearCommand(target);
        } else {
            target->AssignFields(fields);
            emit CommandChanged(target);
            saved = target->Save();
        }
        saved = transaction.commit() && saved;
    }
    if (!saved) {
        RestoreCommand(target, previous, emptied);
        return TCommandWrite::Failed;
    }
    if (!emptied && !target->ExePath().isEmpty() && QFileInfo(target->ExePath()).isFile()) {
        if (wasEmpty)
            emit CommandFilled(target);
        else
            emit CommandEdited(target);
    }
    return TCommandWrite::Written;
}

void TProfileModel::RestoreCommand(TProfileCommand* target, const TCommandRecord& previous,
                                   bool cleared)
{
    if (!TProfileCommand::IsLive(target))
        return;
    target->AssignFields(previous);
    emit CommandChanged(target);
    // The file object may still hold the failed change: the place's own section is put back,
    // so that a later write of the file does not store it after all.
    if (previous.IsEmpty()) {
        target->EraseStored();
        return;
    }
    target->Save();
    // A clear took the command out of the history; it comes back with the command.
    if (cleared && QFileInfo(target->ExePath()).isFile())
        emit CommandFilled(target);
}

bool TProfileModel::FillCommands(const QList<TProfileCommand*>& targets,
                                 const QList<TCommandRecord>& commands)
{
    QList<QPair<TProfileCommand*, TCommandRecord>> changes;
    // Every command, and the run counts of those it replaces, in one write.
    IniFile::Transaction transaction;
    for (int i = 0; i < targets.size() && i < commands.size(); ++i) {
        TProfileCommand* target = targets[i];
        if (!TProfileCommand::IsLive(target))
            continue;
        TCommandRecord previous;
        previous.AssignFields(*target);
        changes.append({target, previous});
        ClearCommand(target);
        target->AssignFields(commands[i]);
        emit CommandChanged(target);
        target->Save();
        // Also onto a filled place: clearing it took its command out of the history, and the
        // new one must be counted from its first run on.
        if (QFileInfo(target->ExePath()).isFile())
            emit CommandFilled(target);
    }
    if (transaction.commit())
        return true;
    // The files keep what they held: so do the places, and the history follows them.
    IniFile::Transaction undo;
    for (const auto& [target, previous] : std::as_const(changes)) {
        if (!TProfileCommand::IsLive(target))
            continue;
        ClearCommand(target);
        if (!previous.IsEmpty())
            RestoreCommand(target, previous, true);
    }
    return false;
}

TCommandWrite TProfileModel::MoveCommand(TProfileCommand* source, TProfileCommand* target,
                                         bool copy)
{
    if (!TProfileCommand::IsLive(source) || !TProfileCommand::IsLive(target) || source == target ||
        source->IsEmpty())
        return TCommandWrite::Nothing;
    TCommandRecord previous;
    previous.AssignFields(*target);
    const bool wasEmpty = target->IsEmpty();
    // Both places' commands and their run counts reach the files together, or none of them.
    IniFile::Transaction transaction;
    target->AssignFields(*source);
    // The target is written first: a move clears its source only once the command is safe
    // in the file, so a failing write never loses it.
    if (!target->Save()) {
        RestoreCommand(target, previous, false);
        transaction.commit();
        return TCommandWrite::Failed;
    }
    emit CommandChanged(target);
    if (copy) {
        // The command the copy replaced is gone, and its run count with it: the copy starts
        // afresh.
        if (!wasEmpty)
            emit CommandCleared(target);
        emit CommandFilled(target);
    } else {
        emit CommandMoved(source, target);
        if (TProfileCommand::IsLive(source))
            ClearCommand(source);
    }
    return TCommandWrite::Written;
}

void ForwardHistoryNotices(TProfileModel* model, QObject* context,
                           std::function<QObject*()> receiver)
{
    auto notice = [receiver](int message) {
        return [receiver, message](TProfileCommand* command) {
            SendMessage(receiver(), message, toParam(command));
        };
    };
    QObject::connect(model, &TProfileModel::CommandCleared, context, notice(UM_COMMAND_CLEARED));
    QObject::connect(model, &TProfileModel::CommandFilled, context, notice(UM_COMMAND_FILLED));
    QObject::connect(model, &TProfileModel::CommandEdited, context, notice(UM_COMMAND_CHANGED));
    QObject::connect(model, &TProfileModel::CommandMoved, context,
                     [receiver](TProfileCommand* from, TProfileCommand* to) {
                         SendMessage(receiver(), UM_COMMAND_MOVED, toParam(from), toParam(to));
                     });
}
