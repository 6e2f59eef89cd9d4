#include "platform/linux/CommandLine.h"

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

bool isWordLetter(const QString& text, qsizetype i)
{
    return i >= 0 && i < text.size() && text.at(i).isLetterOrNumber();
}

// The double quote that closes one opened at `from`, skipping \" and \\; -1 when none does.
qsizetype closingDoubleQuote(const QString& text, qsizetype from)
{
    for (qsizetype i = from + 1; i < text.size(); ++i) {
        if (text.at(i) == u'\\' && i + 1 < text.size() &&
            (text.at(i + 1) == u'"' || text.at(i + 1) == u'\\'))
            ++i;
        else if (text.at(i) == u'"')
            return i;
    }
    return -1;
}

// The apostrophe that closes one opened at `from`: the first not followed by a letter or digit,
// so that "'it's here'" keeps its inner apostrophe. -1 when none does.
qsizetype closingApostrophe(const QString& text, qsizetype from)
{
    for (qsizetype i = from + 1; i < text.size(); ++i)
        if (text.at(i) == u'\'' && !isWordLetter(text, i + 1))
            return i;
    return -1;
}

} // namespace

QStringList SplitShellWords(const QString& text)
{
    QStringList words;
    QString word;
    bool inWord = false;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (isBlank(c)) {
            if (inWord)
                words.append(word);
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == u'"') {
            const qsizetype close = closingDoubleQuote(text, i);
            if (close < 0) {
                word += c;
                continue;
            }
            for (qsizetype k = i + 1; k < close; ++k) {
                if (text.at(k) == u'\\' && k + 1 < close &&
                    (text.at(k + 1) == u'"' || text.at(k + 1) == u'\\'))
                    ++k;
                word += text.at(k);
            }
            i = close;
        } else if (c == u'\'' && !isWordLetter(text, i - 1)) {
            const qsizetype close = closingApostrophe(text, i);
            if (close < 0) {
                word += c;
                continue;
            }
            word += QStringView(text).sliced(i + 1, close - i - 1);
            i = close;
        } else if (c == u'\\' && i + 1 < n &&
                   (isBlank(text.at(i + 1)) || text.at(i + 1) == u'"' || text.at(i + 1) == u'\'' ||
                    text.at(i + 1) == u'\\')) {
            word += text.at(++i);
        } else {
            word += c;
        }
    }
    if (inWord)
        words.append(word);
    return words;
}

QString QuoteShellWord(const QString& word)
{
    if (word.isEmpty())
        return QStringLiteral("''");
    bool plain = true;
    for (QChar c : word) {
        const bool safe = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                          (c >= u'0' && c <= u'9') || QStringView(u"_-./=:,+@%^").contains(c) ||
                          c.unicode() >= 0x80;
        if (!safe) {
            plain = false;
            break;
        }
    }
    if (plain)
        return word;
    if (!word.contains(u'\''))
        return u'\'' + word + u'\'';
    QString quoted = word;
    quoted.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
    return u'"' + quoted + u'"';
}

QString JoinShellWords(const QStringList& words)
{
    QStringList quoted;
    quoted.reserve(words.size());
    for (const QString& word : words)
        quoted.append(QuoteShellWord(word));
    return quoted.join(u' ');
}
