#include "commands/CommandFinder.h"

#include <QStringList>

#include <algorithm>

namespace {

// The name of the file or folder a path names; a folder's path may end in a separator.
QString NamePart(const QString& path)
{
    qsizetype end = path.size();
    while (end > 0 && (path[end - 1] == u'/' || path[end - 1] == u'\\'))
        --end;
    const QStringView trimmed = QStringView(path).left(end);
    const qsizetype slash = std::max(trimmed.lastIndexOf(u'/'), trimmed.lastIndexOf(u'\\'));
    return trimmed.mid(slash + 1).toString();
}

bool StartsWord(const QString& text, qsizetype position)
{
    return position == 0 || !text[position - 1].isLetterOrNumber();
}

} // namespace

QString TCommandFinder::Fold(QStringView text)
{
    QString folded = text.toString().toCaseFolded();
    folded.replace(u'ё', u'е');
    return folded;
}

void TCommandFinder::SetRecords(QList<TFindRecord> records)
{
    m_records = std::move(records);
    m_entries.clear();
    m_entries.reserve(m_records.size());
    for (const TFindRecord& record : std::as_const(m_records)) {
        // Line breaks keep a word from running on from one field into the next.
        const QString text =
            record.description + u'\n' + NamePart(record.exePath) + u'\n' + record.parameters;
        m_entries.append({Fold(text)});
    }
    m_haveLast = false;
    m_lastMatches.clear();
}

int TCommandFinder::Match(const QString& folded, const QStringList& words)
{
    int starts = 0;
    for (const QString& word : words) {
        qsizetype at = folded.indexOf(word);
        if (at < 0)
            return -1;
        while (at >= 0 && !StartsWord(folded, at))
            at = folded.indexOf(word, at + 1);
        if (at >= 0)
            ++starts;
    }
    return starts;
}

QList<int> TCommandFinder::Find(const QString& query)
{
    const QString folded = Fold(query);
    QStringList words;
    for (qsizetype i = 0; i < folded.size();) {
        if (folded[i].isSpace()) {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < folded.size() && !folded[end].isSpace())
            ++end;
        words.append(folded.mid(i, end - i));
        i = end;
    }
    if (words.isEmpty()) {
        m_haveLast = false;
        m_lastMatches.clear();
        return {};
    }

    // Typed on: each word of the longer query holds a word of the shorter one, so only what
    // matched before can match now.
    const bool narrow = m_haveLast && folded.startsWith(m_lastQuery);
    QList<TMatch> matches;
    auto consider = [&](int index) {
        const int starts = Match(m_entries[index].folded, words);
        if (starts >= 0)
            matches.append({index, starts});
    };
    if (narrow) {
        matches.reserve(m_lastMatches.size());
        for (const int index : std::as_const(m_lastMatches))
            consider(index);
    } else {
        for (int index = 0; index < m_entries.size(); ++index)
            consider(index);
    }

    m_lastQuery = folded;
    m_haveLast = true;
    m_lastMatches.clear();
    m_lastMatches.reserve(matches.size());
    for (const TMatch& match : std::as_const(matches))
        m_lastMatches.append(match.index);

    std::sort(matches.begin(), matches.end(), [this](const TMatch& a, const TMatch& b) {
        if (a.wordStarts != b.wordStarts)
            return a.wordStarts > b.wordStarts;
        const TFindRecord& x = m_records[a.index];
        const TFindRecord& y = m_records[b.index];
        if (x.runCount != y.runCount)
            return x.runCount > y.runCount;
        if (x.page != y.page)
            return x.page < y.page;
        if (x.button != y.button)
            return x.button < y.button;
        return a.index < b.index;
    });
    QList<int> result;
    result.reserve(matches.size());
    for (const TMatch& match : std::as_const(matches))
        result.append(match.index);
    return result;
}
