#pragma once

#include "commands/CommandRecord.h"

#include <QList>
#include <QString>

// A page as the profile files hold it: its caption, picture and every button's command, by
// button number (column-major, as the page shows them).
struct TPageRecord
{
    QString caption;
    int imageIndex = -1;
    QList<TCommandRecord> commands;
    QList<int> runCounts; // by button number, from RunStat.ini
};

// A button by its page and button position, both from 0.
struct TButtonPlace
{
    int page = -1;
    int button = -1;
    bool IsValid() const { return page >= 0 && button >= 0; }
    bool operator==(const TButtonPlace&) const = default;
};

// The profile of a settings folder read without a window and without writing anything: pages
// in the order the window shows them, with the grid and the run counts. It reads the files as
// a start does; what a start would repair is taken as repaired, but not written.
class TProfile
{
public:
    // Reads folder's Options.ini, Pages.ini, Commands.ini and RunStat.ini.
    explicit TProfile(const QString& folder);

    int ColCount() const { return m_colCount; }
    int CommandsCount() const { return m_commandsCount; }
    const QList<TPageRecord>& Pages() const { return m_pages; }
    int CommandCount() const;
    const TCommandRecord* Command(const TButtonPlace& place) const;

    // The command a user names: "PAGE:BUTTON" with numbers from 1 (the page may also be named
    // by its caption), or else a description, matched whole before in part, in any case. On
    // failure the place is invalid and error says why, in words for the user.
    TButtonPlace Find(const QString& name, QString* error) const;
    // The first empty button of a page, or an invalid place when it has none.
    TButtonPlace FirstEmptyButton(int page) const;

    // Every page and command, for people ("Страница 1: Работа", then a line per command).
    QString ListText() const;
    // The same as JSON: {"columns", "rows", "pages": [{"number", "caption", "image",
    // "commands": [{"button", "description", "path", "parameters", "iconPath", "iconIndex",
    // "runCount"}]}]} with page and button numbers from 1.
    QByteArray ListJson() const;

private:
    int m_colCount = 1;
    int m_commandsCount = 5;
    QList<TPageRecord> m_pages;
};
