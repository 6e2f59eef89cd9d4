#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <climits>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class IniFile;

// A command as the history knows it: the address of its button. The history never
// dereferences it; it asks IHistoryCommandInfo about it and passes it back in notices.
using THistoryCommand = void*;

// What the history needs to know about a command: where its button sits (the run count is
// stored under that position) and which program it starts.
class IHistoryCommandInfo
{
public:
    virtual ~IHistoryCommandInfo() = default;
    virtual int PageIndex(THistoryCommand command) const = 0;
    virtual int CommandIndex(THistoryCommand command) const = 0;
    virtual QString ProgramPath(THistoryCommand command) const = 0;
};

// A position whose run statistics RunStat.ini keeps: page index and command index.
struct TStatPlace
{
    int page = -1;
    int command = -1;
    bool IsNone() const { return page < 0 || command < 0; }
    bool operator==(const TStatPlace&) const = default;
};

// One command the history knows. It keeps no count of its own: the count lives in the stat
// file under the command's current position and is read whenever it is needed.
class TRepositoryCommand
{
public:
    TRepositoryCommand(THistoryCommand command, IniFile* statFile, const IHistoryCommandInfo* info);

    THistoryCommand Command() const { return m_command; }
    void SetCommand(THistoryCommand command) { m_command = command; }

    int PageIndex() const;
    int CommandIndex() const;
    // "page\command", e.g. "2\7".
    QString SectionName() const;

    int RunCount() const;
    // Adds n to the stored count (never past INT_MAX, never below 0) and makes this position
    // the last run command. Returns false when the count had to be held at INT_MAX.
    bool AddRunCount(int n);
    void EraseStat();

    // A stored count as the history uses it: damaged text and negative values read as 0, a
    // decimal number too large for an int reads as INT_MAX.
    static int parseCount(const QString& text);

private:
    THistoryCommand m_command;
    IniFile* m_statFile;
    const IHistoryCommandInfo* m_info;
};

// The run history: every command that may be run from the quick-launch button (Entries) and
// the most-run ones that its menu shows (TopEntries).
class TRepositoryCommands
{
public:
    static inline const QString LastRunSection = QStringLiteral("LastRunCommand");
    static inline const QString LastStateSection = QStringLiteral("LastStateMenuItem");
    static inline const QString RunCountKey = QStringLiteral("RunCount");
    static inline const QString PageIndexKey = QStringLiteral("PageIndex");
    static inline const QString CommandIndexKey = QStringLiteral("CommandIndex");

    // The history reads and writes counts through statFile (RunStat.ini) and learns about
    // commands from info, which must outlive it.
    TRepositoryCommands(std::unique_ptr<IniFile> statFile, const IHistoryCommandInfo* info);
    ~TRepositoryCommands();
    TRepositoryCommands(const TRepositoryCommands&) = delete;
    TRepositoryCommands& operator=(const TRepositoryCommands&) = delete;

    void AddCommand(THistoryCommand command);
    void AddCommands(const QList<THistoryCommand>& commands);
    void AddIfFileExists(THistoryCommand command);
    void RemoveCommand(THistoryCommand command);
    void MoveCommand(THistoryCommand oldCommand, THistoryCommand newCommand);
    void RecordRun(THistoryCommand command);
    void SetMaxCount(int count);
    void LoadLastState();
    void SaveStateItem(THistoryCommand command, int k);
    // Stores the history menu's order, in one write: order[k] is the command of item k, none
    // for an item whose command is gone (that place keeps what an earlier call stored).
    void SaveMenuOrder(const QList<THistoryCommand>& order);
    // The menu's order as it is shown now, kept in memory; StoreMenuOrder writes it (at the end
    // of a session), each command under the place it has then.
    void SetMenuOrder(const QList<THistoryCommand>& order) { m_menuOrder = order; }
    const QList<THistoryCommand>& MenuOrder() const { return m_menuOrder; }
    void StoreMenuOrder();
    THistoryCommand GetLastRunCommand() const;
    THistoryCommand LastTopCommand() const;
    int GetRunCount(THistoryCommand command) const;
    int IndexOfCommand(THistoryCommand command) const;
    int IndexInTop(THistoryCommand command) const;
    TRepositoryCommand* FindEntry(THistoryCommand command) const;
    TRepositoryCommand* Entry(int index) const { return m_entries.at(index); }
    TRepositoryCommand* TopEntry(int index) const { return m_topEntries.at(index); }
    int Count() const { return int(m_entries.size()); }
    int TopCount() const { return int(m_topEntries.size()); }
    const QList<THistoryCommand>& AddedCommands() const { return m_addedCommands; }
    const QList<THistoryCommand>& RemovedCommands() const { return m_removedCommands; }

    QObject* NotifyWindow() const { return m_notifyWindow; }
    void SetNotifyWindow(QObject* window) { m_notifyWindow = window; }
    int MaxCount() const { return m_maxCount; }
    // Stores the size without trimming or filling (start-up, before LoadLastState).
    void StoreMaxCount(int count);
    void ClearTop();

    // Moves the statistics of positions: where() gives each position's new place, the position
    // itself to leave it, or none when its command is gone. The counts move, and the last run
    // command and the saved menu order follow them (naming no command once theirs is gone).
    static void MoveStatistics(IniFile& statFile,
                               const std::function<TStatPlace(const TStatPlace&)>& where);
    // The same for a few positions: each pair is a position and its new place (none: gone);
    // every other position stays.
    static void MoveStatistics(IniFile& statFile,
                               const QList<QPair<TStatPlace, TStatPlace>>& moves);
    // The position a "page\command" section names, or none.
    static TStatPlace PlaceOfSection(const QString& section);

    // Deletes the stat file and nothing else; every count then reads 0.
    bool ClearStatFile(QString* error = nullptr);
    IniFile* StatFile() const { return m_statFile.get(); }

    static bool IsNone(THistoryCommand command)
    {
        return command == nullptr || command == reinterpret_cast<THistoryCommand>(intptr_t(-1));
    }

private:
    // Sorts by run count, lowest first; returns the counts in the new order.
    std::vector<int> sortAscending(QList<TRepositoryCommand*>& list) const;
    // Appends the highest-count entries that are not shown yet until the menu holds n.
    void fillTop(int n);
    TRepositoryCommand* findAt(int pageIndex, int commandIndex) const;
    TStatPlace placeOf(THistoryCommand command) const;

    std::unique_ptr<IniFile> m_statFile;
    const IHistoryCommandInfo* m_info;
    QList<TRepositoryCommand*> m_entries; // owned
    // The entries by command, so that thousands of buttons are found without a search.
    QHash<THistoryCommand, TRepositoryCommand*> m_byCommand;
    QList<TRepositoryCommand*> m_topEntries;
    QList<THistoryCommand> m_addedCommands;
    QList<THistoryCommand> m_removedCommands;
    QList<THistoryCommand> m_menuOrder;
    QPointer<QObject> m_notifyWindow;
    int m_maxCount = 10;
};
