#include "platform/linux/CommandLine.h"

QStringList SplitShellWords(const QString& text)
{
    QStringList words;
    QString word;
    bool inWord = false;
    enum
    {
        Plain,
        Single,
        Double
    } quote = Plain;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        switch (quote) {
        case Single:
            if (c == u'\'')
                quote = Plain;
            else
                word += c;
            break;
        case Double:
            if (c == u'"') {
                quote = Plain;
            } else if (c == u'\\' && i + 1 < n &&
                       QStringView(u"\"\\$`\n").contains(text.at(i + 1))) {
                if (text.at(i + 1) != u'\n')
                    word += text.at(i + 1);
                ++i;
            } else {
                word += c;
            }
            break;
        case Plain:
            if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r') {
                if (inWord)
                    words.append(word);
                word.clear();
                inWord = false;
            } else if (c == u'\'') {
                quote = Single;
                inWord = true;
            } else if (c == u'"') {
                quote = Double;
                inWord = true;
            } else if (c == u'\\' && i + 1 < n) {
                if (text.at(i + 1) != u'\n') {
                    word += text.at(i + 1);
                    inWord = true;
                }
                ++i;
            } else {
                word += c;
                inWord = true;
            }
            break;
        }
    }
    // An unclosed quote runs to the end of the text, as far as it goes.
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
    QString quoted = word;
    quoted.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + quoted + u'\'';
}

QString JoinShellWords(const QStringList& words)
{
    QStringList quoted;
    quoted.reserve(words.size());
    for (const QString& word : words)
        quoted.append(QuoteShellWord(word));
    return quoted.join(u' ');
}
