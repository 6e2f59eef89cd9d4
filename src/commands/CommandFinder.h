#pragma once

#include <QList>
#include <QString>
#include <QStringView>

// What the finder knows of one command: its texts, where it sits and how often it ran.
struct TFindRecord
{
    QString description;
    QString exePath;
    QString parameters;
    int page = 0;
    int button = 0;
    int runCount = 0;
};

// Finds commands by what the user types: every word of the query must occur, in any case and
// any order, in the command's description, its file's name or its parameters. The best come
// first: more words found at the start of a word, then more runs, then page and button order.
// The texts are folded once when the records are given, and a query that only grows narrows
// the previous result instead of searching everything again, so each keystroke stays cheap.
class TCommandFinder
{
public:
    void SetRecords(QList<TFindRecord> records);
    int Count() const { return int(m_records.size()); }
    const TFindRecord& Record(int index) const { return m_records.at(index); }

    // Indices of the records that match, best first; none for a query without words.
    QList<int> Find(const QString& query);

    // The form in which texts are compared: case folded, with ё read as е.
    static QString Fold(QStringView text);

private:
    struct TEntry
    {
        // description, file name and parameters, folded, one per line.
        QString folded;
        // The place among all records by runs, page and button.
        int rank;
    };
    struct TMatch
    {
        int index;
        int wordStarts;
        int rank;
    };

    // How many of words start a word of the entry's text; -1 when one of them is missing.
    static int Match(const QString& folded, const QStringList& words);

    QList<TFindRecord> m_records;
    QList<TEntry> m_entries;
    // The last query (folded) and every record it matched, in record order.
    QString m_lastQuery;
    QList<int> m_lastMatches;
    bool m_haveLast = false;
};
