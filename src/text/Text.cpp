#include "text/Text.h"

#include <QTextDocument>

QString AsciiLowerCase(const QString& text)
{
    QString result = text;
    for (QChar& c : result) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return result;
}

QString OneLine(const QString& text)
{
    // Most texts have no line break; they are handed back without a copy.
    if (!text.contains(u'\r') && !text.contains(u'\n'))
        return text;
    QString result = text;
    for (QChar& c : result) {
        if (c == u'\r' || c == u'\n')
            c = u' ';
    }
    return result;
}

QString ToolTipText(const QString& hint)
{
    QString tip = hint;
    tip.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    if (Qt::mightBeRichText(tip))
        tip = Qt::convertFromPlainText(tip, Qt::WhiteSpacePre);
    return tip;
}

QString ReplaceAll(const QString& text, const QString& pattern, const QString& replacement)
{
    if (pattern.isEmpty())
        return text;
    if (replacement.contains(pattern))
        return QString(text).replace(pattern, replacement);
    QString result = text;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = result.indexOf(pattern, from);
        if (at < 0)
            return result;
        result.replace(at, pattern.size(), replacement);
        // Everything before the replaced place held no occurrence, so a new one can only start
        // where it overlaps the replacement.
        from = qMax<qsizetype>(0, at - pattern.size() + 1);
    }
}
