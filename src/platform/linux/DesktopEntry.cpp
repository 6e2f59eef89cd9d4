#include "platform/linux/DesktopEntry.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QStringDecoder>

namespace {

QString unescapeValue(QStringView raw)
{
    QString value;
    value.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw.at(i);
        if (c != u'\\' || i + 1 == raw.size()) {
            value += c;
            continue;
        }
        const QChar next = raw.at(++i);
        switch (next.unicode()) {
        case 's':
            value += u' ';
            break;
        case 'n':
            value += u'\n';
            break;
        case 't':
            value += u'\t';
            break;
        case 'r':
            value += u'\r';
            break;
        case '\\':
            value += u'\\';
            break;
        default:
            // Not a string escape (the Exec quoting has its own): keep both characters.
            value += c;
            value += next;
        }
    }
    return value;
}

bool isFieldCode(QChar c)
{
    return QStringView(u"fFuUickdDnNvm").contains(c);
}

} // namespace

TDesktopEntry TDesktopEntry::read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // Read one byte more than allowed: a file that fills it is too big to be an entry.
    const QByteArray data = file.read(MaxFileSize + 1);
    if (data.size() > MaxFileSize)
        return {};
    return parse(data);
}

TDesktopEntry TDesktopEntry::parse(const QByteArray& data)
{
    TDesktopEntry entry;
    if (data.contains('\0'))
        return entry;
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(data);
    if (decoder.hasError())
        return entry;
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);

    bool inMainGroup = false;
    bool sawMainGroup = false;
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            if (inMainGroup)
                break;
            inMainGroup = line == u"[Desktop Entry]";
            // Only comments may come before the main group.
            if (!inMainGroup)
                return TDesktopEntry{};
            sawMainGroup = true;
            continue;
        }
        if (!inMainGroup)
            return TDesktopEntry{};
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed().toString();
        // The first of repeated keys counts.
        if (!entry.m_values.contains(key))
            entry.m_values.insert(key, unescapeValue(line.mid(equals + 1).trimmed()));
    }
    entry.m_valid = sawMainGroup;
    if (!entry.m_valid)
        entry.m_values.clear();
    return entry;
}

QString TDesktopEntry::value(const QString& key) const
{
    return m_values.value(key);
}

QString TDesktopEntry::localizedValue(const QString& key) const
{
    const QString name = QLocale().name(); // ll_CC
    const QString language = name.section(u'_', 0, 0);
    for (const QString& candidate : {key + u'[' + name + u']', key + u'[' + language + u']', key}) {
        const auto found = m_values.constFind(candidate);
        if (found != m_values.constEnd() && !found->isEmpty())
            return *found;
    }
    return {};
}

QStringList SplitExecLine(const QString& exec)
{
    QStringList arguments;
    QString word;
    bool inWord = false;
    bool inQuotes = false;
    const qsizetype n = exec.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = exec.at(i);
        if (inQuotes) {
            if (c == u'"') {
                inQuotes = false;
            } else if (c == u'\\' && i + 1 < n) {
                word += exec.at(++i);
            } else if (c == u'%' && i + 1 < n && exec.at(i + 1) == u'%') {
                word += u'%';
                ++i;
            } else {
                word += c;
            }
            continue;
        }
        if (c == u' ' || c == u'\t' || c == u'\n') {
            if (inWord)
                arguments.append(word);
            word.clear();
            inWord = false;
        } else if (c == u'"') {
            inQuotes = true;
            inWord = true;
        } else if (c == u'\\' && i + 1 < n) {
            word += exec.at(++i);
            inWord = true;
        } else if (c == u'%' && i + 1 < n) {
            const QChar code = exec.at(++i);
            if (code == u'%') {
                word += u'%';
                inWord = true;
            } else if (!isFieldCode(code)) {
                // Unknown codes are invalid; keep them as written rather than guess.
                word += c;
                word += code;
                inWord = true;
            }
            // A field code stands for files, URLs or the icon: none are passed from here.
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        arguments.append(word);
    return arguments;
}

QString FormatExecLine(const QStringList& arguments)
{
    QStringList quoted;
    for (const QString& argument : arguments) {
        bool needsQuotes = argument.isEmpty();
        QString escaped;
        for (QChar c : argument) {
            if (QStringView(u" \t\n\"'\\><~|&;$*?#()`").contains(c))
                needsQuotes = true;
            if (c == u'%')
                escaped += QStringLiteral("%%");
            else if (QStringView(u"\"`$\\").contains(c))
                escaped += u'\\' + QString(c);
            else
                escaped += c;
        }
        quoted.append(needsQuotes ? u'"' + escaped + u'"' : escaped);
    }
    return quoted.join(u' ');
}

QString EscapeEntryValue(const QString& text)
{
    QString value;
    value.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        switch (c.unicode()) {
        case '\\':
            value += QStringLiteral("\\\\");
            break;
        case '\n':
            value += QStringLiteral("\\n");
            break;
        case '\t':
            value += QStringLiteral("\\t");
            break;
        case '\r':
            value += QStringLiteral("\\r");
            break;
        case ' ':
            value += i == 0 ? QStringLiteral("\\s") : QStringLiteral(" ");
            break;
        default:
            value += c;
        }
    }
    // Values are trimmed when read; a trailing blank must survive too.
    if (value.endsWith(u' '))
        value = value.chopped(1) + QStringLiteral("\\s");
    return value;
}

QString ResolveProgram(const QString& program)
{
    if (program.isEmpty())
        return {};
    if (program.contains(u'/')) {
        const QFileInfo info(program);
        return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
    }
    return QStandardPaths::findExecutable(program);
}
