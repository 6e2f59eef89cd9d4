#pragma once

#include "commands/CommandRecord.h"
#include "settings/SystemSettings.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class IniFile;
class TProfileModel;

// The command of one button place of the profile. It lives as long as its place: moving a page
// or a command renumbers it, a smaller grid or a deleted page ends it. Its address names the
// command to the run history and in notices.
class TProfileCommand : public TCommandRecord
{
public:
    TProfileCommand(TProfileModel* model, int pageNumber, int buttonNumber, IniFile* file);
    ~TProfileCommand() override;
    TProfileCommand(const TProfileCommand&) = delete;
    TProfileCommand& operator=(const TProfileCommand&) = delete;

    // The model that holds it; null for one made on its own.
    TProfileModel* Model() const { return m_model; }

    // True only for the address of a live command; any other value, null included, is false.
    static bool IsLive(const void* address);
    // The command a notice parameter refers to, or null for 0, -1 and anything not live.
    static TProfileCommand* FromParam(intptr_t value);

private:
    TProfileModel* m_model;
};

// One page of the profile: its caption, picture and the commands of its grid, ColCount columns
// of CommandsCount places in column-major order. Its number names its sections in the files;
// it equals its position except while a load is in progress.
class TProfilePage
{
public:
    QString Caption() const { return m_caption; }
    int ImageIndex() const { return m_imageIndex; }
    int PageNumber() const { return m_number; }
    int ColCount() const { return m_colCount; }
    int CommandsCount() const { return m_commandsCount; }
    int CommandCount() const { return int(Commands().size()); }
    TProfileCommand* Command(int position) const
    {
        const QList<TProfileCommand*>& commands = Commands();
        return position >= 0 && position < commands.size() ? commands[position] : nullptr;
    }
    const QList<TProfileCommand*>& Commands() const
    {
        if (m_placesPending)
            MakePlaces();
        return m_commands;
    }

private:
    friend class TProfileModel;
    // A loading page's places are made when first asked for, at the latest once the first page
    // is on the screen: thousands of them would keep it waiting.
    void MakePlaces() const;

    TProfileModel* m_model = nullptr;
    mutable bool m_placesPending = false;
    QString m_caption;
    int m_imageIndex = -1;
    int m_number = 0;
    int m_colCount = 1;
    int m_commandsCount = 5;
    mutable QList<TProfileCommand*> m_commands; // owned
};

// The result of putting a command on a place (a move, a copy, the parameters dialog, a drop).
enum class TCommandWrite
{
    Written,
    // The file could not be written; the place keeps what it held, in memory and on disk.
    Failed,
    // Nothing to do (no such place, or a source that is empty or the target itself).
    Nothing
};

// Passes a profile's news for the run history on as the notices a history window takes
// (UM_COMMAND_CLEARED, _FILLED, _CHANGED and _MOVED), to whatever receiver names at the time; the
// connections end with context.
void ForwardHistoryNotices(TProfileModel* model, QObject* context,
                           std::function<QObject*()> receiver);

// The profile of the running program: its pages and commands and the grid they share, read from
// Pages.ini and Commands.ini and stored back there. Every change goes through it, each written in
// one batch (and one journaled transaction where several files change), with the run counts in
// RunStat.ini following the commands. It announces every change, so that any number of views
// (the window's page control, the quick-launch history) follow without keeping copies.
class TProfileModel : public QObject
{
    Q_OBJECT

public:
    // settings, pagesFile and commandsFile default to the program's own.
    explicit TProfileModel(TSystemSettings* settings = nullptr, IniFile* pagesFile = nullptr,
                           IniFile* commandsFile = nullptr, QObject* parent = nullptr);
    ~TProfileModel() override;

    // The profile of a settings folder as a start would load it, held in memory only: what a
    // start repairs is repaired here too (run counts included), but no file is written.
    static std::unique_ptr<TProfileModel> ReadFolder(const QString& folder);

    TSystemSettings* Settings() const;
    IniFile* PagesIniFile() const;
    IniFile* CommandsIniFile() const;
    // The run statistics, which move with the commands whenever they change places; none when
    // not set.
    void SetRunStatFile(const QString& fileName);
    IniFile* RunStatIniFile() const { return m_runStatFile.get(); }

    // How many page pictures there are: a stored picture index past them loads as none.
    void SetImageCount(int count) { m_imageCount = count; }
    int ImageCount() const { return m_imageCount; }

    int ColCount() const { return m_colCount; }
    int CommandsCount() const { return m_commandsCount; }
    int PageCount() const { return int(m_pages.size()); }
    TProfilePage* Page(int position) const
    {
        return position >= 0 && position < m_pages.size() ? m_pages[position] : nullptr;
    }
    int IndexOfPage(const TProfilePage* page) const
    {
        return int(m_pages.indexOf(const_cast<TProfilePage*>(page)));
    }
    TProfileCommand* Command(int page, int button) const;
    // The page position holding a command of this model, or -1.
    int PageOf(const TProfileCommand* command) const;

    // Loads the stored pages. When none can be read (a count of 0, no Pages.ini, no section with
    // a caption) the first run's page "Новая" is stored and loaded instead; when pages were
    // skipped, every page is stored anew under its position. progress(done, total) follows the
    // reading of the pages. Reset is announced once the pages and the first page's commands are
    // read; firstPageLoaded is called then, before the other pages' commands are read.
    void Load(const std::function<void(int done, int total)>& progress = {},
              const std::function<void()>& firstPageLoaded = {});
    // Lets go of every page and command without touching the files.
    void Unload();

    // Adds an empty page at the end, stored with its caption and picture; what an earlier page
    // of that number left in the files goes.
    TProfilePage* AddPage(const QString& caption, int imageIndex);
    void RenamePage(int position, const QString& caption);
    // Sets the picture a page's tab shows and stores the page.
    void SetPageImage(int position, int imageIndex);
    // Deletes a page with its commands and their run counts; the pages after it move up.
    void DeletePage(int position);
    // Moves a page to another position; the pages in between move by one, and every page's
    // commands and run counts go with it.
    void MovePage(int from, int to);
    // After page pictures were deleted: newIndexOf[i] is the new place of picture i, -1 when it
    // is gone. Every page follows, in memory and in Pages.ini.
    void RemapImageIndexes(const QList<int>& newIndexOf);
    bool NameExists(const QString& caption) const;

    // The grid of every page. A smaller grid drops the commands outside it (with their counts);
    // the places are numbered by position afterwards.
    void SetColCount(int n);
    void SetCommandsCount(int n);
    // How many filled places a grid of that size would no longer hold.
    int FilledCommandsOutside(int colCount, int commandsCount) const;
    // Stores the grid and the page count in the settings.
    void SaveCounts();

    // Puts the fields of a command on a place and stores it (empty fields clear it), the command
    // and its run count in one write; the history hears of a filled or an edited command whose
    // program is a file. On a failed write the place keeps what it held.
    TCommandWrite SetCommand(TProfileCommand* target, const TCommandRecord& fields);
    // Puts back what a place held before a change whose write failed (cleared: the change had
    // emptied it, so the history takes the command back).
    void RestoreCommand(TProfileCommand* target, const TCommandRecord& previous, bool cleared);
    // Fills places with commands (a drop): each place is emptied first, so a command it held
    // leaves the history. All of it in one write; when that fails, every place gets back what
    // it held and false is returned.
    bool FillCommands(const QList<TProfileCommand*>& targets,
                      const QList<TCommandRecord>& commands);
    // Empties a place and erases its section; the history hears of it. False when the section
    // could not be erased from the file.
    bool ClearCommand(TProfileCommand* command);
    // Moves (or copies) the command of source onto target: both places and their run counts
    // reach the files together, or none of them. A move clears the source only once the command
    // is safe in the file.
    TCommandWrite MoveCommand(TProfileCommand* source, TProfileCommand* target, bool copy);

    // Every command whose program path names an existing file (not a folder), page by page and
    // within a page in place order.
    QList<TProfileCommand*> CommandsWithProgram() const;
    // The first empty place of a page, or null.
    TProfileCommand* FirstEmptyCommand(int page) const;

signals:
    // The whole profile was loaded or let go of.
    void Reset();
    void PageAdded(int position);
    // Sent before the page and its commands are gone.
    void PageAboutToBeRemoved(int position);
    void PageMoved(int from, int to);
    // A page's caption or picture changed.
    void PageChanged(int position);
    // A place joined a page (a larger grid), or is about to leave it (a smaller one).
    void CommandAdded(TProfileCommand* command);
    void CommandAboutToBeRemoved(TProfileCommand* command);
    // The grid changed; the places are numbered by position.
    void GridChanged();
    // What a place shows changed.
    void CommandChanged(TProfileCommand* command);

    // A view that makes its widgets late is asked for the one that shows this command.
    void CommandWanted(TProfileCommand* command);

    // For the run history: a command was emptied, filled, edited, or moved to another place.
    void CommandCleared(TProfileCommand* command);
    void CommandFilled(TProfileCommand* command);
    void CommandEdited(TProfileCommand* command);
    void CommandMoved(TProfileCommand* from, TProfileCommand* to);

private:
    friend class TProfilePage;
    TProfilePage* NewPage(int number, bool withPlaces = true);
    void AppendCommands(TProfilePage* page, int count);
    void DestroyCommand(TProfilePage* page, TProfileCommand* command);
    void LoadPage(TProfilePage* page);
    void SavePage(const TProfilePage* page);
    void SetPageColCount(TProfilePage* page, int n);
    void SetPageCommandsCount(TProfilePage* page, int n);
    // Every command by its page and place number, taken before a renumbering.
    QHash<quint64, TProfileCommand*> Places() const;
    // Stores every page (withPages) and every command under its present numbers, each file in
    // one write, and moves the run statistics of the commands placed as before says; whatever
    // the files held under numbers no command has now goes.
    void StoreAll(const QHash<quint64, TProfileCommand*>& before, bool withPages);
    void RenumberPages();
    void NumberCommandsByPosition();

    // The grid and page count a profile read into memory uses instead of the settings.
    std::optional<TStoredGrid> m_storedGrid;
    std::vector<std::unique_ptr<IniFile>> m_ownFiles;

    QList<TProfilePage*> m_pages; // owned
    int m_colCount = 1;
    int m_commandsCount = 5;
    int m_imageCount = 0;
    TSystemSettings* m_settings;
    IniFile* m_pagesFile;
    IniFile* m_commandsFile;
    std::unique_ptr<IniFile> m_runStatFile;
};
