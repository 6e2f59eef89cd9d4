#include "commands/CommandFinder.h"

#include <QStringList>

#include <algorithm>
#include <numeric>

namespace {

// The name of the file or folder a path names; a folder's path may end in a separator.
QStringView NamePart(const QString& path)
{
    qsizetype end = path.size();
    while (end > 0 && (path[end - 1] == u'/' || path[end - 1] == u'\\'))
        --end;
    const QStringView trimmed = QStringView(path).left(end);
    const qsizetype slash = std::max(trimmed.lastIndexOf(u'/'), trimmed.lastIndexOf(u'\\'));
    return trimmed.mid(slash + 1);
}

bool StartsWord(const QString& text, qsizetype position)
{
    return position == 0 || !text[position - 1].isLetterOrNumber();
}

QChar FoldChar(QChar c)
{
    // Latin and the Russian alphabet directly: most of what is folded, and the general rule
    // costs a table look-up and a call for every character.
    const char16_t u = c.unicode();
    if (u < 0x80)
        return u >= u'A' && u <= u'Z' ? QChar(char16_t(u + 0x20)) : c;
    if (u >= 0x0410 && u <= 0x042F) // А to Я
        return QChar(char16_t(u + 0x20));
    if (u >= 0x0430 && u <= 0x044F) // а to я
        return c;
    if (u == 0x0401 || u == 0x0451) // Ё, ё
        return QChar(u'е');
    return c.toCaseFolded();
}

// Writes text folded at out, in one pass; returns the end of what it wrote, never more than
// text.size() characters.
QChar* WriteFolded(QChar* out, QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            const char32_t folded = QChar::toCaseFolded(QChar::surrogateToUcs4(c, text[i + 1]));
            if (QChar::requiresSurrogates(folded)) {
                *out++ = QChar(QChar::highSurrogate(folded));
                *out++ = QChar(QChar::lowSurrogate(folded));
            } else {
                *out++ = QChar(char16_t(folded));
            }
            ++i;
            continue;
        }
        *out++ = FoldChar(c);
    }
    return out;
}

} // namespace

QString TCommandFinder::Fold(QStringView text)
{
    QString folded(text.size(), Qt::Uninitialized);
    folded.truncate(WriteFolded(folded.data(), text) - folded.constData());
    return folded;
}

void TCommandFinder::SetRecords(QList<TFindRecord> records)
{
    m_records = std::move(records);
    m_entries.clear();
    m_entries.reserve(m_records.size());
    for (const TFindRecord& record : std::as_const(m_records)) {
        const QStringView name = NamePart(record.exePath);
        QString folded(record.description.size() + name.size() + record.parameters.size() + 2,
                       Qt::Uninitialized);
        QChar* out = folded.data();
        // Line breaks keep a word from running on from one field into the next.
        out = WriteFolded(out, record.description);
        *out++ = u'\n';
        out = WriteFolded(out, name);
        *out++ = u'\n';
        out = WriteFolded(out, record.parameters);
        folded.truncate(out - folded.constData());
        m_entries.append({std::move(folded), 0});
    }
    // Among matches alike, more runs first, then page and button order: worked out once here,
    // so that each keystroke sorts by two numbers.
    QList<int> order(m_records.size());
    std::iota(order.begin(), order.end(), 0);
    const QList<TFindRecord>& all = m_records;
    std::sort(order.begin(), order.end(), [&all](int a, int b) {
        const TFindRecord& x = all[a];
        const TFindRecord& y = all[b];
        if (x.runCount != y.runCount)
            return x.runCount > y.runCount;
        if (x.page != y.page)
            return x.page < y.page;
        if (x.button != y.button)
            return x.button < y.button;
        return a < b;
    });
    for (int rank = 0; rank < order.size(); ++rank)
        m_entries[order[rank]].rank = rank;
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
    const QList<TEntry>& entries = m_entries;
    auto consider = [&](int index) {
        const TEntry& entry = entries[index];
        const int starts = Match(entry.folded, words);
        if (starts >= 0)
            matches.append({index, starts, entry.rank});
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

    std::sort(matches.begin(), matches.end(), [](const TMatch& a, const TMatch& b) {
        if (a.wordStarts != b.wordStarts)
            return a.wordStarts > b.wordStarts;
        return a.rank < b.rank;
    });
    QList<int> result;
    result.reserve(matches.size());
    for (const TMatch& match : std::as_const(matches))
        result.append(match.index);
    return result;
}
