#include "history/RepositoryCommands.h"

#include "commands/Messages.h"
#include "settings/IniFile.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <vector>

TRepositoryCommand::TRepositoryCommand(THistoryCommand command, IniFile* statFile,
                                       const IHistoryCommandInfo* info)
    : m_command(command), m_statFile(statFile), m_info(info)
{}

int TRepositoryCommand::PageIndex() const
{
    return m_info->PageIndex(m_command);
}

int TRepositoryCommand::CommandIndex() const
{
    return m_info->CommandIndex(m_command);
}

QString TRepositoryCommand::SectionName() const
{
    return QString::number(PageIndex()) + QLatin1Char('\\') + QString::number(CommandIndex());
}

int TRepositoryCommand::parseCount(const QString& text)
{
    int value = 0;
    if (IniFile::parseInteger(text, &value))
        return std::max(value, 0);
    // A count past the int range can only come from an edited file; treat it as the largest
    // count rather than as none, so the command keeps its place at the top.
    const QString digits = text.trimmed();
    const qsizetype start = digits.startsWith(u'+') ? 1 : 0;
    if (digits.size() <= start)
        return 0;
    for (qsizetype i = start; i < digits.size(); ++i)
        if (digits[i] < u'0' || digits[i] > u'9')
            return 0;
    return INT_MAX;
}

int TRepositoryCommand::RunCount() const
{
    return parseCount(
        m_statFile->readString(SectionName(), TRepositoryCommands::RunCountKey, QString()));
}

bool TRepositoryCommand::AddRunCount(int n)
{
    const qint64 sum = qint64(RunCount()) + n;
    const int count = int(std::clamp<qint64>(sum, 0, INT_MAX));
    const int page = PageIndex();
    const int index = CommandIndex();
    IniFile::Batch batch(*m_statFile);
    m_statFile->writeInteger(SectionName(), TRepositoryCommands::RunCountKey, count);
    m_statFile->writeInteger(TRepositoryCommands::LastRunSection, TRepositoryCommands::PageIndexKey,
                             page);
    m_statFile->writeInteger(TRepositoryCommands::LastRunSection,
                             TRepositoryCommands::CommandIndexKey, index);
    return sum <= INT_MAX;
}

void TRepositoryCommand::EraseStat()
{
    m_statFile->eraseSection(SectionName());
}

TRepositoryCommands::TRepositoryCommands(std::unique_ptr<IniFile> statFile,
                                         const IHistoryCommandInfo* info)
    : m_statFile(std::move(statFile)), m_info(info)
{}

TRepositoryCommands::~TRepositoryCommands()
{
    qDeleteAll(m_entries);
}

void TRepositoryCommands::AddCommand(THistoryCommand command)
{
    if (IsNone(command))
        return;
    if (TRepositoryCommand* entry = FindEntry(command))
        entry->AddRunCount(1);
    else
        m_entries.append(m_byCommand[command] =
                             new TRepositoryCommand(command, m_statFile.get(), m_info));
}

void TRepositoryCommands::AddCommands(const QList<THistoryCommand>& commands)
{
    // One look at the disk for the lot, not one per count read.
    IniFile::Batch batch(*m_statFile);
    for (THistoryCommand command : commands)
        AddCommand(command);
}

void TRepositoryCommands::AddIfFileExists(THistoryCommand command)
{
    if (IsNone(command))
        return;
    const QString path = m_info->ProgramPath(command);
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;
    AddCommand(command);
    SetMaxCount(m_maxCount);
}

void TRepositoryCommands::RemoveCommand(THistoryCommand command)
{
    if (IsNone(command))
        return;
    // The command is gone, and its count with it, also when the history did not know it (its
    // program was missing): the next command put on that button starts afresh, and the last run
    // command names it no more.
    const TStatPlace at = placeOf(command);
    if (!at.IsNone())
        MoveStatistics(*m_statFile, {{at, TStatPlace()}});
    TRepositoryCommand* entry = FindEntry(command);
    if (!entry)
        return;
    m_entries.removeAll(entry);
    m_byCommand.remove(command);
    m_topEntries.removeAll(entry);
    delete entry;
    SetMaxCount(m_maxCount);
}

void TRepositoryCommands::MoveCommand(THistoryCommand oldCommand, THistoryCommand newCommand)
{
    if (IsNone(oldCommand) || IsNone(newCommand) || oldCommand == newCommand)
        return;
    // The count goes with the contents. The target's own command is replaced, and its count goes
    // with it; a move is no run, so the last run command only follows the command it names.
    const TStatPlace from = placeOf(oldCommand);
    const TStatPlace to = placeOf(newCommand);
    if (!from.IsNone() && !to.IsNone())
        MoveStatistics(*m_statFile, {{from, to}, {to, TStatPlace()}});
    TRepositoryCommand* entry = FindEntry(oldCommand);
    TRepositoryCommand* target = FindEntry(newCommand);
    m_byCommand.remove(oldCommand);
    m_byCommand.remove(newCommand);
    if (entry) {
        entry->SetCommand(newCommand);
        m_byCommand.insert(newCommand, entry);
    }
    if (!target || target == entry)
        return;

    // The target button was known already. Two entries for one button would outlive it: when
    // the button is emptied only one of them goes, and the other keeps the address of a
    // destroyed button. The target's entry goes, and the menu is filled again from the counts.
    const bool targetInTop = m_topEntries.removeAll(target) > 0;
    m_entries.removeAll(target);
    delete target;
    if (targetInTop)
        SetMaxCount(m_maxCount);
}

void TRepositoryCommands::RecordRun(THistoryCommand command)
{
    TRepositoryCommand* entry = FindEntry(command);
    if (!entry)
        return;
    entry->AddRunCount(1);
    if (m_topEntries.contains(entry))
        return;
    sortAscending(m_topEntries);
    if (m_topEntries.isEmpty() || m_topEntries.size() < m_maxCount) {
        SetMaxCount(m_maxCount);
        return;
    }
    TRepositoryCommand* lowest = m_topEntries.first();
    if (entry->RunCount() <= lowest->RunCount())
        return;
    m_topEntries.removeFirst();
    m_topEntries.append(entry);
    SendMessage(m_notifyWindow, UM_HISTORY_REPLACE, reinterpret_cast<intptr_t>(lowest->Command()),
                reinterpret_cast<intptr_t>(entry->Command()));
}

void TRepositoryCommands::SetMaxCount(int count)
{
    m_maxCount = std::max(count, 0);
    if (m_topEntries.size() > m_maxCount) {
        m_removedCommands.clear();
        sortAscending(m_topEntries);
        while (m_topEntries.size() > m_maxCount)
            m_removedCommands.append(m_topEntries.takeFirst()->Command());
        return;
    }
    m_addedCommands.clear();
    fillTop(m_maxCount);
}

void TRepositoryCommands::fillTop(int n)
{
    qsizetype missing = n - m_topEntries.size();
    if (missing <= 0)
        return;
    const std::vector<int> counts = sortAscending(m_entries);
    for (qsizetype i = m_entries.size() - 1; i >= 0 && missing > 0; --i) {
        TRepositoryCommand* entry = m_entries[i];
        // Sorted: from the first command never run on, none below has been run either.
        if (counts[size_t(i)] == 0)
            break;
        if (m_topEntries.contains(entry))
            continue;
        m_topEntries.append(entry);
        m_addedCommands.append(entry->Command());
        --missing;
    }
}

void TRepositoryCommands::LoadLastState()
{
    if (m_entries.isEmpty())
        return;
    IniFile::Batch batch(*m_statFile);
    for (int k = 0; k < m_maxCount; ++k) {
        const QString section = LastStateSection + QString::number(k);
        const int page = m_statFile->readInteger(section, PageIndexKey, -1);
        const int index = m_statFile->readInteger(section, CommandIndexKey, -1);
        if (page == -1 || index == -1)
            continue;
        TRepositoryCommand* entry = findAt(page, index);
        if (!entry || entry->RunCount() == 0 || m_topEntries.contains(entry))
            continue;
        m_topEntries.append(entry);
        m_addedCommands.append(entry->Command());
    }
    fillTop(m_maxCount);
}

void TRepositoryCommands::SaveStateItem(THistoryCommand command, int k)
{
    TRepositoryCommand* entry = FindEntry(command);
    if (!entry)
        return;
    const QString section = LastStateSection + QString::number(k);
    IniFile::Batch batch(*m_statFile);
    m_statFile->writeInteger(section, PageIndexKey, entry->PageIndex());
    m_statFile->writeInteger(section, CommandIndexKey, entry->CommandIndex());
}

void TRepositoryCommands::SaveMenuOrder(const QList<THistoryCommand>& order)
{
    IniFile::Batch batch(*m_statFile);
    for (int k = 0; k < order.size(); ++k)
        if (!IsNone(order[k]))
            SaveStateItem(order[k], k);
}

void TRepositoryCommands::StoreMenuOrder()
{
    // A command gone since it was shown keeps nothing in the order.
    QList<THistoryCommand> order;
    for (THistoryCommand command : std::as_const(m_menuOrder))
        order.append(!IsNone(command) && m_info->PageIndex(command) >= 0 ? command : nullptr);
    SaveMenuOrder(order);
}

THistoryCommand TRepositoryCommands::GetLastRunCommand() const
{
    const int page = m_statFile->readInteger(LastRunSection, PageIndexKey, -1);
    const int index = m_statFile->readInteger(LastRunSection, CommandIndexKey, -1);
    if (page == -1 || index == -1)
        return nullptr;
    TRepositoryCommand* entry = findAt(page, index);
    return entry ? entry->Command() : nullptr;
}

THistoryCommand TRepositoryCommands::LastTopCommand() const
{
    return m_topEntries.isEmpty() ? nullptr : m_topEntries.last()->Command();
}

int TRepositoryCommands::GetRunCount(THistoryCommand command) const
{
    TRepositoryCommand* entry = FindEntry(command);
    return entry ? entry->RunCount() : 0;
}

int TRepositoryCommands::IndexOfCommand(THistoryCommand command) const
{
    if (IsNone(command) || !m_byCommand.contains(command))
        return -1;
    for (int i = 0; i < m_entries.size(); ++i)
        if (m_entries[i]->Command() == command)
            return i;
    return -1;
}

int TRepositoryCommands::IndexInTop(THistoryCommand command) const
{
    if (IsNone(command))
        return -1;
    for (int i = 0; i < m_topEntries.size(); ++i)
        if (m_topEntries[i]->Command() == command)
            return i;
    return -1;
}

TRepositoryCommand* TRepositoryCommands::FindEntry(THistoryCommand command) const
{
    return IsNone(command) ? nullptr : m_byCommand.value(command);
}

TRepositoryCommand* TRepositoryCommands::findAt(int pageIndex, int commandIndex) const
{
    for (TRepositoryCommand* entry : m_entries)
        if (entry->PageIndex() == pageIndex && entry->CommandIndex() == commandIndex)
            return entry;
    return nullptr;
}

TStatPlace TRepositoryCommands::placeOf(THistoryCommand command) const
{
    return TStatPlace{m_info->PageIndex(command), m_info->CommandIndex(command)};
}

TStatPlace TRepositoryCommands::PlaceOfSection(const QString& section)
{
    const qsizetype slash = section.indexOf(u'\\');
    if (slash < 0)
        return {};
    bool pageOk = false, commandOk = false;
    const int page = section.left(slash).toInt(&pageOk);
    const int command = section.mid(slash + 1).toInt(&commandOk);
    // Only the names the history writes: no signs, spaces or leading zeros.
    if (!pageOk || !commandOk || page < 0 || command < 0 ||
        section != QString::number(page) + u'\\' + QString::number(command))
        return {};
    return {page, command};
}

namespace {

QString sectionOf(const TStatPlace& place)
{
    return QString::number(place.page) + u'\\' + QString::number(place.command);
}

struct TMovedSection
{
    QString section;
    QList<QPair<QString, QString>> values;
};

// Takes a position's section out of the file, keeping what it held for its new place.
void takeSection(IniFile& statFile, const QString& section, const TStatPlace& to,
                 std::vector<TMovedSection>& moved)
{
    if (!to.IsNone()) {
        TMovedSection m{sectionOf(to), {}};
        for (const QString& key : statFile.keys(section))
            m.values.append({key, statFile.readString(section, key, QString())});
        moved.push_back(std::move(m));
    }
    statFile.eraseSection(section);
}

// Written once every old place is cleared: positions may trade places.
void putSections(IniFile& statFile, const std::vector<TMovedSection>& moved)
{
    for (const TMovedSection& m : moved) {
        statFile.eraseSection(m.section);
        for (const auto& [key, value] : m.values)
            statFile.writeString(m.section, key, value);
    }
}

// The last run command and the saved menu order name positions too.
void movePointers(IniFile& statFile, const QStringList& sections,
                  const std::function<TStatPlace(const TStatPlace&)>& where)
{
    for (const QString& section : sections) {
        if (section.compare(TRepositoryCommands::LastRunSection, Qt::CaseInsensitive) != 0 &&
            !section.startsWith(TRepositoryCommands::LastStateSection, Qt::CaseInsensitive))
            continue;
        const TStatPlace named{
            statFile.readInteger(section, TRepositoryCommands::PageIndexKey, -1),
            statFile.readInteger(section, TRepositoryCommands::CommandIndexKey, -1)};
        if (named.IsNone())
            continue;
        const TStatPlace to = where(named);
        if (to == named)
            continue;
        statFile.writeInteger(section, TRepositoryCommands::PageIndexKey,
                              to.IsNone() ? -1 : to.page);
        statFile.writeInteger(section, TRepositoryCommands::CommandIndexKey,
                              to.IsNone() ? -1 : to.command);
    }
}

} // namespace

void TRepositoryCommands::MoveStatistics(IniFile& statFile,
                                         const std::function<TStatPlace(const TStatPlace&)>& where)
{
    IniFile::Batch batch(statFile);
    std::vector<TMovedSection> moved;
    const QStringList sections = statFile.sections();
    for (const QString& section : sections) {
        const TStatPlace place = PlaceOfSection(section);
        if (place.IsNone())
            continue;
        const TStatPlace to = where(place);
        if (to != place)
            takeSection(statFile, section, to, moved);
    }
    putSections(statFile, moved);
    movePointers(statFile, sections, where);
}

void TRepositoryCommands::MoveStatistics(IniFile& statFile,
                                         const QList<QPair<TStatPlace, TStatPlace>>& moves)
{
    IniFile::Batch batch(statFile);
    std::vector<TMovedSection> moved;
    for (const auto& [from, to] : moves)
        if (from != to && statFile.sectionExists(sectionOf(from)))
            takeSection(statFile, sectionOf(from), to, moved);
    putSections(statFile, moved);
    movePointers(statFile, statFile.sections(), [&moves](const TStatPlace& p) {
        for (const auto& [from, to] : moves)
            if (p == from)
                return to;
        return p;
    });
}

void TRepositoryCommands::StoreMaxCount(int count)
{
    m_maxCount = std::max(count, 0);
}

void TRepositoryCommands::ClearTop()
{
    m_topEntries.clear();
}

bool TRepositoryCommands::ClearStatFile(QString* error)
{
    QFile file(m_statFile->fileName());
    if (!file.exists() || file.remove())
        return true;
    if (error)
        *error = QStringLiteral("Не удалось удалить файл статистики «%1»: %2")
                     .arg(QFileInfo(file).fileName(), file.errorString());
    return false;
}

std::vector<int> TRepositoryCommands::sortAscending(QList<TRepositoryCommand*>& list) const
{
    // Each count is read once per sort: the comparisons then see one consistent state.
    IniFile::Batch batch(*m_statFile);
    std::vector<std::pair<int, TRepositoryCommand*>> keyed;
    keyed.reserve(list.size());
    for (TRepositoryCommand* entry : list)
        keyed.emplace_back(entry->RunCount(), entry);
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<int> counts;
    counts.reserve(keyed.size());
    for (qsizetype i = 0; i < list.size(); ++i) {
        list[i] = keyed[size_t(i)].second;
        counts.push_back(keyed[size_t(i)].first);
    }
    return counts;
}
