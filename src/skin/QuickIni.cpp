#include "skin/QuickIni.h"

#include "text/Text.h"

#include <QStringDecoder>

#include <algorithm>
#include <climits>

namespace {

bool isHeader(const QString& line)
{
    return line.size() >= 2 && line.front() == u'[' && line.back() == u']';
}

// Trims spaces and control characters at both ends.
QString trimmed(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 0x20)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 0x20)
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

QString skinText(const QByteArray& bytes)
{
    // Skins are written in the single-byte code page of the skin's author; the program's own is
    // Windows-1251. Most are plain ASCII, which needs no converter.
    if (std::all_of(bytes.cbegin(), bytes.cend(), [](char c) { return uchar(c) < 0x80; }))
        return QString::fromLatin1(bytes);
    QStringDecoder cp1251("windows-1251");
    if (cp1251.isValid())
        return cp1251(bytes);
    return QString::fromLatin1(bytes);
}

QByteArray skinBytes(const QString& text)
{
    QStringEncoder cp1251("windows-1251");
    if (cp1251.isValid())
        return cp1251(text);
    return text.toLatin1();
}

void TQuickIni::Load(const QByteArray& bytes)
{
    m_lines.clear();
    m_sectionNames.clear();
    m_headers.clear();
    m_keys.clear();

    const qsizetype nul = bytes.indexOf('\0');
    const QString text = skinText(nul >= 0 ? bytes.left(nul) : bytes);
    qsizetype start = 0;
    const qsizetype size = text.size();
    while (start <= size) {
        qsizetype end = start;
        while (end < size && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        const QString line = trimmed(QStringView(text).mid(start, end - start).toString());
        if (!line.isEmpty() && line.front() != u';') {
            if (isHeader(line)) {
                const QString name = line.mid(1, line.size() - 2);
                const QString folded = AsciiLowerCase(name);
                if (!m_headers.contains(folded)) {
                    m_headers.insert(folded, int(m_lines.size()));
                    m_sectionNames.append(name);
                }
            }
            m_lines.append(line);
        }
        if (end >= size)
            break;
        start = end + (text[end] == u'\r' && end + 1 < size && text[end + 1] == u'\n' ? 2 : 1);
    }
}

const QHash<QString, QString>* TQuickIni::keysOf(const QString& section) const
{
    const auto header = m_headers.constFind(AsciiLowerCase(section));
    if (header == m_headers.cend())
        return nullptr;
    const int first = header.value();
    auto cached = m_keys.find(first);
    if (cached == m_keys.end()) {
        QHash<QString, QString> keys;
        for (qsizetype i = first + 1; i < m_lines.size() && !isHeader(m_lines[i]); ++i) {
            const QString& line = m_lines[i];
            const qsizetype eq = line.indexOf(u'=');
            const QString key = eq < 0 ? QString() : AsciiLowerCase(trimmed(line.left(eq)));
            if (!keys.contains(key))
                keys.insert(key, eq < 0 ? QString() : trimmed(line.mid(eq + 1)));
        }
        cached = m_keys.insert(first, keys);
    }
    return &cached.value();
}

QString TQuickIni::ReadString(const QString& section, const QString& key, const QString& def) const
{
    const QHash<QString, QString>* keys = keysOf(section);
    if (!keys)
        return def;
    const auto found = keys->constFind(AsciiLowerCase(key));
    if (found == keys->cend() || found.value().isEmpty())
        return def;
    return found.value();
}

int TQuickIni::ReadInteger(const QString& section, const QString& key, int def) const
{
    int value = def;
    if (!ParseInteger(ReadString(section, key, QString()), &value))
        return def;
    return value;
}

bool TQuickIni::SectionExists(const QString& section) const
{
    return m_headers.contains(AsciiLowerCase(section));
}

bool TQuickIni::ParseInteger(const QString& text, int* value)
{
    if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        quint64 result = 0;
        for (qsizetype i = 2; i < text.size(); ++i) {
            const char16_t c = text[i].unicode();
            const int digit = c >= u'0' && c <= u'9'   ? c - u'0'
                              : c >= u'a' && c <= u'f' ? c - u'a' + 10
                              : c >= u'A' && c <= u'F' ? c - u'A' + 10
                                                       : -1;
            if (digit < 0)
                return false;
            result = result * 16 + quint64(digit);
            if (result > 0xFFFFFFFFull)
                return false;
        }
        // Hex fills all 32 bits: 0xFFFFFFFF is -1.
        *value = static_cast<qint32>(static_cast<quint32>(result));
        return true;
    }
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == text.size())
        return false;
    qint64 result = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        result = result * 10 + (c - u'0');
        if (result > qint64(INT_MAX) + 1)
            return false;
    }
    if (negative)
        result = -result;
    if (result > INT_MAX)
        return false;
    *value = int(result);
    return true;
}
