#include "settings/IniFile.h"

#include "settings/FileWrites.h"
#include "text/Text.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>
#include <QUrl>
#include <QVarLengthArray>

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <map>
#include <system_error>
#include <unordered_set>
#include <vector>

namespace {

struct IniLine
{
    // The key's spelling, kept once per file (IniData::keyNames); none for lines that are not
    // key lines.
    const QString* key = nullptr;
    // The value of a key line; for comments, blank lines and lines without "=" the whole
    // trimmed line. Thousands of commands make tens of thousands of lines: no third string.
    QString value;

    bool isKey() const { return key != nullptr; }
};

struct IniSection
{
    QString name;
    bool hasHeader = true; // false for the lines before the first header
    bool erased = false;   // left in place until enough have gathered to compact
    std::vector<IniLine> lines;

    IniLine* find(const QString& key)
    {
        for (IniLine& line : lines)
            if (line.isKey() && line.key->compare(key, Qt::CaseInsensitive) == 0)
                return &line;
        return nullptr;
    }
};

struct DiskStamp
{
    bool exists = false;
    qint64 size = -1;
    qint64 mtime = 0;
    bool operator==(const DiskStamp&) const = default;
};

DiskStamp stampOf(const QString& path)
{
    DiskStamp stamp;
    std::error_code ec;
    const std::filesystem::path p(path.toStdU16String());
    const auto size = std::filesystem::file_size(p, ec);
    if (ec)
        return stamp;
    const auto time = std::filesystem::last_write_time(p, ec);
    if (ec)
        return stamp;
    stamp.exists = true;
    stamp.size = static_cast<qint64>(size);
    stamp.mtime = static_cast<qint64>(time.time_since_epoch().count());
    return stamp;
}

// A profile reached through a symbolic link is written where the link points.
QString writeTarget(const QString& path)
{
    const QFileInfo info(path);
    if (info.isSymLink() && info.exists())
        return info.canonicalFilePath();
    return path;
}

// Multi-file writes. The new version of each file is written beside it under this suffix, then
// the journal names them all; only then do they take the places of the old files. A journal
// found at start-up therefore names a complete set of new files, and without one every new file
// is a leftover.
const QString JournalName = QStringLiteral("Kestrolin.journal");
const QString NewSuffix = QStringLiteral(".journal-new");
const QByteArray JournalHeader = "Kestrolin journal 1\n";

quint32 checksum(const QByteArray& bytes)
{
    return quint32(::crc32(::crc32(0L, Z_NULL, 0),
                           reinterpret_cast<const Bytef*>(bytes.constData()), uInt(bytes.size())));
}

bool renameOver(const QString& from, const QString& to)
{
    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(from.toStdU16String()),
                            std::filesystem::path(to.toStdU16String()), ec);
    return !ec;
}

struct JournalEntry
{
    QString name; // relative to the journal's folder
    qint64 size = 0;
    quint32 crc = 0;
    bool remove = false; // the file goes instead of being replaced
};

QByteArray journalText(const std::vector<JournalEntry>& entries)
{
    QByteArray text = JournalHeader;
    for (const JournalEntry& e : entries)
        text += e.remove ? "remove " + QUrl::toPercentEncoding(e.name) + '\n'
                         : QByteArray::number(e.crc, 16) + ' ' + QByteArray::number(e.size) + ' ' +
                               QUrl::toPercentEncoding(e.name) + '\n';
    text += "end " + QByteArray::number(checksum(text), 16) + '\n';
    return text;
}

// False for anything but a whole journal as journalText writes it.
bool parseJournal(const QByteArray& text, std::vector<JournalEntry>* entries)
{
    const qsizetype endLine = text.lastIndexOf("end ");
    if (!text.startsWith(JournalHeader) || endLine < 0 || !text.endsWith('\n'))
        return false;
    bool ok = false;
    const quint32 stored = text.mid(endLine + 4).trimmed().toUInt(&ok, 16);
    if (!ok || stored != checksum(text.left(endLine)))
        return false;
    const QList<QByteArray> lines =
        text.mid(JournalHeader.size(), endLine - JournalHeader.size()).split('\n');
    for (const QByteArray& line : lines) {
        if (line.isEmpty())
            continue;
        const QList<QByteArray> parts = line.split(' ');
        JournalEntry e;
        bool crcOk = false, sizeOk = false;
        if (parts.size() == 2 && parts[0] == "remove") {
            e.remove = crcOk = sizeOk = true;
            e.name = QUrl::fromPercentEncoding(parts[1]);
        } else if (parts.size() == 3) {
            e.crc = parts[0].toUInt(&crcOk, 16);
            e.size = parts[1].toLongLong(&sizeOk);
            e.name = QUrl::fromPercentEncoding(parts[2]);
        }
        if (!crcOk || !sizeOk || e.name.isEmpty() || e.name.contains(u'/') ||
            e.name.contains(u'\\'))
            return false;
        entries->push_back(e);
    }
    return true;
}

bool holdsWhole(const QString& path, const JournalEntry& entry)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() != entry.size)
        return false;
    return checksum(file.readAll()) == entry.crc;
}

// Half of a UTF-16 surrogate pair, alone, cannot be written as UTF-8: it is read as U+FFFD, so
// that what is read is what the file holds once rewritten.
QString withoutLoneSurrogates(QString text)
{
    const auto lone = [&text](qsizetype i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate())
            return i + 1 >= text.size() || !text.at(i + 1).isLowSurrogate();
        return c.isLowSurrogate() && (i == 0 || !text.at(i - 1).isHighSurrogate());
    };
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text.at(i).isSurrogate() && lone(i))
            text[i] = QChar::ReplacementCharacter;
    return text;
}

QString decode(const QByteArray& bytes)
{
    // Unicode files carry a byte order mark; everything else is UTF-8 when it decodes cleanly,
    // and otherwise comes from a Windows copy of the program in the Russian ANSI code page.
    if (auto bom = QStringConverter::encodingForData(bytes)) {
        QStringDecoder dec(*bom);
        return withoutLoneSurrogates(dec(bytes));
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder cp1251("windows-1251");
    if (cp1251.isValid())
        return cp1251(bytes);
    return QString::fromLatin1(bytes);
}

QString oneLine(QString value)
{
    // A line break inside a value would split it into lines of its own on the next read.
    return OneLine(withoutLoneSurrogates(std::move(value)));
}

IniFile::WriteObserver& writeObserver()
{
    static IniFile::WriteObserver observer;
    return observer;
}

// The files written while a transaction is open, kept alive until it ends.
struct OpenTransaction
{
    int depth = 0;
    std::vector<std::shared_ptr<IniData>> files;
};

OpenTransaction& openTransaction()
{
    static OpenTransaction state;
    return state;
}

} // namespace

struct KeyNameHash
{
    size_t operator()(const QString& key) const noexcept { return qHash(key); }
};

struct IniData : std::enable_shared_from_this<IniData>
{
    QString path;
    std::vector<IniSection> sections;
    // Folded name -> the live sections of that name, in file order. Erasing is O(1), so that
    // renumbering thousands of commands does not cost the square of the file's size.
    QHash<QString, QVarLengthArray<int, 1>> index;
    // Every spelling of a key in the file, once: thousands of sections repeat the same few.
    // The set's nodes stay in place as it grows, so lines point into it.
    std::unordered_set<QString, KeyNameHash> keyNames;
    int erasedCount = 0;
    // The section found last: a record is read key by key, each read naming the same section.
    QString lastName;
    int lastFound = -1;
    DiskStamp stamp;
    bool loaded = false;
    bool unreadable = false; // the file exists but could not be read: never overwrite it
    bool detached = false;   // text held in memory only: never read from or written to disk
    bool memoryOnly = false; // changed in memory only: never read from or written to disk
    int batchDepth = 0;
    bool dirty = false;
    bool lastWriteFailed = false;
    quint64 writes = 0;

    static QString fold(const QString& name) { return name.toCaseFolded(); }

    const QString* keyName(const QString& key) { return &*keyNames.insert(key).first; }

    void rebuildIndex()
    {
        lastFound = -1;
        index.clear();
        index.reserve(int(sections.size()));
        for (int i = 0; i < int(sections.size()); ++i)
            if (sections[i].hasHeader && !sections[i].erased)
                index[fold(sections[i].name)].append(i);
    }

    void compact()
    {
        std::erase_if(sections, [](const IniSection& section) { return section.erased; });
        erasedCount = 0;
        rebuildIndex();
    }

    IniSection* findSection(const QString& name)
    {
        if (lastFound >= 0 && name == lastName)
            return &sections[lastFound];
        auto it = index.constFind(fold(name));
        if (it == index.constEnd() || it->isEmpty())
            return nullptr;
        lastName = name;
        lastFound = it->first();
        return &sections[lastFound];
    }

    IniSection* lastLiveSection()
    {
        for (auto it = sections.rbegin(); it != sections.rend(); ++it)
            if (!it->erased)
                return &*it;
        return nullptr;
    }

    bool erase(const QString& name)
    {
        auto it = index.find(fold(name));
        if (it == index.end())
            return false;
        lastFound = -1;
        for (int i : std::as_const(*it)) {
            sections[i].erased = true;
            sections[i].lines.clear();
            ++erasedCount;
        }
        index.erase(it);
        if (erasedCount > 256 && erasedCount * 2 > int(sections.size()))
            compact();
        return true;
    }

    // Reads lines into sections: given the whole text, or piece by piece, each piece ending at
    // a line break.
    class Reader
    {
    public:
        explicit Reader(IniData& data) : d(data)
        {
            d.sections.clear();
            d.lastFound = -1;
            d.keyNames.clear();
        }

        void read(QStringView all)
        {
            // Views into the text until a value is kept: a profile of thousands of commands has
            // tens of thousands of lines, and each copy made on the way costs start-up time.
            const QChar* chars = all.data();
            qsizetype pos = 0;
            const qsizetype n = all.size();
            while (pos < n) {
                qsizetype end = pos;
                while (end < n && chars[end] != u'\n' && chars[end] != u'\r')
                    ++end;
                const QStringView line = all.sliced(pos, end - pos).trimmed();
                if (end < n && chars[end] == u'\r' && end + 1 < n && chars[end + 1] == u'\n')
                    ++end;
                pos = end + 1;

                if (line.startsWith(u'[')) {
                    flush();
                    const qsizetype close = line.indexOf(u']');
                    IniSection section;
                    section.name = (close < 0 ? line.sliced(1) : line.sliced(1, close - 1))
                                       .trimmed()
                                       .toString();
                    d.sections.push_back(std::move(section));
                    continue;
                }
                if (d.sections.empty()) {
                    IniSection lead;
                    lead.hasHeader = false;
                    d.sections.push_back(std::move(lead));
                }
                IniLine entry;
                const qsizetype eq = line.indexOf(u'=');
                if (line.isEmpty() || line.startsWith(u';') || eq <= 0) {
                    entry.value = line.toString();
                } else {
                    entry.key = keyText(line.first(eq).trimmed());
                    entry.value = valueText(line.sliced(eq + 1).trimmed());
                }
                pending.push_back(std::move(entry));
            }
        }

        void finish()
        {
            flush();
            // Grown by doubling: up to half of it would stay unused for as long as the file is
            // open.
            if (d.sections.capacity() - d.sections.size() > d.sections.size() / 4)
                d.sections.shrink_to_fit();
            d.rebuildIndex();
        }

    private:
        // Every section repeats the same few keys, and a command's icon is often its program:
        // equal texts share one string instead of each line holding a copy.
        const QString* keyText(QStringView key)
        {
            for (const QString* known : recentKeys)
                if (*known == key)
                    return known;
            const QString* made = d.keyName(key.toString());
            if (recentKeys.size() < 32)
                recentKeys.push_back(made);
            return made;
        }
        // Short values (numbers, flags) repeat from section to section too.
        QString valueText(QStringView value)
        {
            if (value.isEmpty())
                return QString();
            for (const IniLine& earlier : pending)
                if (earlier.isKey() && earlier.value == value)
                    return earlier.value;
            if (value.size() > 8)
                return value.toString();
            for (const QString& known : shortValues)
                if (known == value)
                    return known;
            QString made = value.toString();
            if (shortValues.size() < 32)
                shortValues.push_back(made);
            return made;
        }
        // The lines of the section being read move in at its end.
        void flush()
        {
            if (d.sections.empty())
                return;
            auto& lines = d.sections.back().lines;
            lines.reserve(pending.size());
            std::move(pending.begin(), pending.end(), std::back_inserter(lines));
            pending.clear();
        }

        IniData& d;
        std::vector<IniLine> pending;
        std::vector<const QString*> recentKeys;
        std::vector<QString> shortValues;
    };

    void parse(const QString& text)
    {
        Reader reader(*this);
        reader.read(text);
        reader.finish();
    }

    // The file's bytes. Most files are UTF-8 without a byte order mark: they are decoded a piece
    // at a time, so that thousands of commands are never held a second time as one text. A file
    // that is not UTF-8 throughout is read whole in the Russian code page, as decode takes it.
    void parseFile(const QByteArray& bytes)
    {
        if (!QStringConverter::encodingForData(bytes)) {
            constexpr qsizetype Piece = 32 * 1024;
            Reader reader(*this);
            QStringDecoder utf8(QStringDecoder::Utf8);
            for (qsizetype pos = 0; pos < bytes.size() && !utf8.hasError();) {
                const qsizetype from = std::min(pos + Piece, bytes.size() - 1);
                const qsizetype lineEnd = bytes.indexOf('\n', from);
                const qsizetype end = lineEnd < 0 ? bytes.size() : lineEnd + 1;
                const QString piece = utf8(QByteArrayView(bytes).sliced(pos, end - pos));
                if (!utf8.hasError())
                    reader.read(piece);
                pos = end;
            }
            if (!utf8.hasError()) {
                reader.finish();
                return;
            }
        }
        parse(decode(bytes));
    }

    QByteArray serialize() const
    {
        // Sized first: growing a string of thousands of sections step by step costs more than
        // everything else a compound edit does.
        qsizetype length = 0;
        for (const IniSection& section : sections) {
            if (section.erased)
                continue;
            length += section.name.size() + 4;
            for (const IniLine& line : section.lines)
                length += (line.isKey() ? line.key->size() + 1 : 0) + line.value.size() + 2;
        }
        QString out;
        out.reserve(length);
        for (const IniSection& section : sections) {
            if (section.erased)
                continue;
            if (section.hasHeader) {
                out += QLatin1Char('[');
                out += section.name;
                out += QLatin1String("]\r\n");
            }
            for (const IniLine& line : section.lines) {
                if (line.isKey()) {
                    out += *line.key;
                    out += u'=';
                    out += line.value;
                } else {
                    out += line.value;
                }
                out += QLatin1String("\r\n");
            }
        }
        return out.toUtf8();
    }

    void load() { readDisk(); }

    void readDisk()
    {
        stamp = stampOf(path);
        loaded = true;
        unreadable = false;
        sections.clear();
        index.clear();
        lastFound = -1;
        erasedCount = 0;
        if (!stamp.exists) {
            // A folder in the file's place can be neither read nor replaced.
            unreadable = QFileInfo(path).isDir();
            return;
        }
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            unreadable = true;
            return;
        }
        parseFile(file.readAll());
    }

    void refresh()
    {
        if (detached || memoryOnly)
            return;
        if (batchDepth > 0 && loaded)
            return; // a batch sees its own state; the disk is checked when it starts
        // A file that could not be read is looked at again: it may have been mended.
        if (!loaded || (!dirty && (unreadable || stampOf(path) != stamp)))
            load();
    }

    bool writeNow()
    {
        if (memoryOnly) {
            dirty = false;
            return true;
        }
        if (unreadable) {
            written(false);
            return false;
        }
        const bool ok = replaceFileContent(path, serialize());
        ++writes;
        stamp = stampOf(path);
        written(ok);
        return ok;
    }

    // After an attempt to put the file on disk.
    void written(bool ok)
    {
        dirty = false;
        lastWriteFailed = !ok;
        if (const IniFile::WriteObserver& observer = writeObserver())
            observer(path, ok);
    }

    // The changes wait for the open transaction, if there is one.
    bool deferToTransaction()
    {
        OpenTransaction& t = openTransaction();
        if (t.depth == 0 || memoryOnly)
            return false;
        dirty = true;
        const auto self = shared_from_this();
        if (std::find(t.files.begin(), t.files.end(), self) == t.files.end())
            t.files.push_back(self);
        return true;
    }

    bool changed()
    {
        if (detached)
            return false;
        if (memoryOnly)
            return true;
        if (batchDepth > 0) {
            dirty = true;
            return true;
        }
        if (deferToTransaction())
            return true;
        return writeNow();
    }

    static QString absolute(const QString& path) { return QFileInfo(path).absoluteFilePath(); }

    // The files open in this process, by absolute path.
    static QHash<QString, std::weak_ptr<IniData>>& openFiles()
    {
        static QHash<QString, std::weak_ptr<IniData>> open;
        return open;
    }

    static std::shared_ptr<IniData> forPath(const QString& path)
    {
        const QString key = absolute(path);
        if (auto existing = openFiles().value(key).lock())
            return existing;
        auto data = std::make_shared<IniData>();
        data->path = key;
        openFiles().insert(key, data);
        return data;
    }
};

IniFile::IniFile(const QString& fileName) : m_fileName(fileName), m_data(IniData::forPath(fileName))
{}

IniFile::~IniFile() = default;

void IniFile::refresh() const
{
    m_data->refresh();
}

bool IniFile::exists() const
{
    return stampOf(m_data->path).exists;
}

bool IniFile::parseInteger(const QString& text, int* value)
{
    QString s = text.trimmed();
    bool negative = false;
    if (s.startsWith(u'-') || s.startsWith(u'+')) {
        negative = s.startsWith(u'-');
        s.remove(0, 1);
    }
    int base = 10;
    if (s.size() > 2 && s[0] == u'0' && (s[1] == u'x' || s[1] == u'X')) {
        base = 16;
        s.remove(0, 2);
    } else if (s.size() > 1 && s[0] == u'$') {
        base = 16;
        s.remove(0, 1);
    }
    if (s.isEmpty())
        return false;
    quint64 result = 0;
    for (QChar c : s) {
        const int digit = c.unicode() < 128 && c.isDigit()       ? c.unicode() - '0'
                          : base == 16 && c >= u'a' && c <= u'f' ? c.unicode() - 'a' + 10
                          : base == 16 && c >= u'A' && c <= u'F' ? c.unicode() - 'A' + 10
                                                                 : -1;
        if (digit < 0)
            return false;
        result = result * base + digit;
        if (result > 0xFFFFFFFFull)
            return false;
    }
    qint64 signedValue;
    if (base == 16) {
        // Hex fills all 32 bits, so 0xFFFFFFFF is -1.
        signedValue = static_cast<qint32>(static_cast<quint32>(result));
    } else {
        signedValue = static_cast<qint64>(result);
        if (signedValue > qint64(INT_MAX) + (negative ? 1 : 0))
            return false;
    }
    if (negative)
        signedValue = -signedValue;
    if (value)
        *value = static_cast<int>(signedValue);
    return true;
}

QString IniFile::readString(const QString& section, const QString& key, const QString& def) const
{
    refresh();
    IniSection* s = m_data->findSection(section);
    IniLine* line = s ? s->find(key) : nullptr;
    if (!line)
        return def;
    QString value = line->value;
    // The profile functions drop one pair of enclosing quotes. Read through at(): front()
    // would copy every value read.
    if (value.size() >= 2 && (value.at(0) == u'"' || value.at(0) == u'\'') &&
        value.at(value.size() - 1) == value.at(0))
        value = value.mid(1, value.size() - 2);
    if (value.size() > MaxValueLength)
        value.truncate(MaxValueLength);
    return value;
}

int IniFile::readInteger(const QString& section, const QString& key, int def) const
{
    int value = def;
    if (!parseInteger(readString(section, key, QString()), &value))
        return def;
    return value;
}

bool IniFile::readBool(const QString& section, const QString& key, bool def) const
{
    return readInteger(section, key, def ? 1 : 0) != 0;
}

bool IniFile::writeString(const QString& section, const QString& key, const QString& value)
{
    if (m_data->detached)
        return false;
    refresh();
    if (m_data->unreadable) {
        m_data->written(false);
        return false;
    }
    const QString clean = oneLine(value);
    IniSection* s = m_data->findSection(section);
    if (!s) {
        auto& all = m_data->sections;
        // Keep a blank line between sections, as the profile functions do.
        if (!all.empty()) {
            auto& lines = all.back().lines;
            if (lines.empty() ? all.back().hasHeader
                              : (lines.back().isKey() || !lines.back().value.isEmpty()))
                lines.push_back(IniLine{});
        }
        IniSection fresh;
        fresh.name = oneLine(section).trimmed();
        const QString folded = IniData::fold(fresh.name);
        all.push_back(std::move(fresh));
        m_data->index[folded].append(int(all.size()) - 1);
        s = &all.back();
    }
    if (IniLine* line = s->find(key)) {
        if (line->value == clean.trimmed())
            return true;
        line->value = clean.trimmed();
    } else {
        IniLine entry;
        entry.key = m_data->keyName(oneLine(key).trimmed());
        entry.value = clean.trimmed();
        // New keys go after the last non-blank line of the section.
        auto pos = s->lines.end();
        while (pos != s->lines.begin() && !std::prev(pos)->isKey() &&
               std::prev(pos)->value.isEmpty())
            --pos;
        s->lines.insert(pos, std::move(entry));
    }
    return store();
}

bool IniFile::writeInteger(const QString& section, const QString& key, int value)
{
    return writeString(section, key, QString::number(value));
}

bool IniFile::writeBool(const QString& section, const QString& key, bool value)
{
    return writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool IniFile::deleteKey(const QString& section, const QString& key)
{
    if (m_data->detached)
        return false;
    refresh();
    IniSection* s = m_data->findSection(section);
    if (!s)
        return true;
    for (auto it = s->lines.begin(); it != s->lines.end(); ++it) {
        if (it->isKey() && it->key->compare(key, Qt::CaseInsensitive) == 0) {
            s->lines.erase(it);
            return store();
        }
    }
    return true;
}

bool IniFile::eraseSection(const QString& section)
{
    if (m_data->detached)
        return false;
    refresh();
    if (!m_data->erase(section))
        return true;
    return store();
}

bool IniFile::sectionExists(const QString& section) const
{
    refresh();
    return m_data->findSection(section) != nullptr;
}

bool IniFile::valueExists(const QString& section, const QString& key) const
{
    refresh();
    IniSection* s = m_data->findSection(section);
    return s && s->find(key);
}

QStringList IniFile::sections() const
{
    refresh();
    QStringList names;
    for (const IniSection& s : m_data->sections)
        if (s.hasHeader && !s.erased)
            names << s.name;
    return names;
}

QStringList IniFile::keys(const QString& section) const
{
    refresh();
    QStringList names;
    if (IniSection* s = m_data->findSection(section))
        for (const IniLine& line : s->lines)
            if (line.isKey())
                names << *line.key;
    return names;
}

bool IniFile::store()
{
    return m_data->changed();
}

bool IniFile::flush()
{
    // Inside a batch or a transaction the one write at its end does it.
    if (m_data->detached)
        return false;
    if (!m_data->dirty || m_data->batchDepth > 0 || m_data->deferToTransaction())
        return true;
    return m_data->writeNow();
}

quint64 IniFile::diskWrites() const
{
    return m_data->writes;
}

IniFile::Batch::Batch(IniFile& file) : m_data(file.m_data)
{
    if (m_data->batchDepth == 0)
        file.refresh();
    ++m_data->batchDepth;
}

IniFile::Batch::~Batch()
{
    commit();
}

bool IniFile::Batch::commit()
{
    if (!m_open)
        return !m_data->lastWriteFailed;
    m_open = false;
    if (--m_data->batchDepth > 0)
        return true;
    if (!m_data->dirty || m_data->deferToTransaction())
        return true;
    return m_data->writeNow();
}

namespace {

// One file of a joint write: its new content, or its removal.
struct Pending
{
    QString target;
    QString fresh;
    QByteArray bytes;
    bool remove = false;
};

// Puts the new versions of several files of one folder in place all together, and removes the
// files that go: see IniFile::Transaction. ok false: one of them cannot be written, so none is.
bool putTogether(const QString& folder, const std::vector<Pending>& pending, bool ok)
{
    std::vector<JournalEntry> entries;
    for (const Pending& p : pending) {
        JournalEntry e{QFileInfo(p.target).fileName(), p.bytes.size(), checksum(p.bytes)};
        e.remove = p.remove;
        entries.push_back(e);
    }

    FolderLock lock(folder, true);
    const QString journal = folder + u'/' + JournalName;
    if (ok) {
        TFreshFiles fresh;
        for (const Pending& p : pending)
            ok = ok && (p.remove || fresh.write(p.fresh, p.bytes, p.target));
        ok = fresh.syncAndClose() && ok;
    }
    if (ok) {
        // The new files are on the disk before the journal names them. A journal cut short by
        // a crash fails its checksum and finishes nothing; once it is whole on the disk, the
        // new files stand.
        syncFolder(folder);
        TFreshFiles fresh;
        ok = fresh.write(journal, journalText(entries), journal);
        ok = fresh.syncAndClose() && ok;
    }
    if (ok) {
        syncFolder(folder);
        for (const Pending& p : pending)
            if (!p.remove)
                ok = renameOver(p.fresh, p.target) && ok;
        for (const Pending& p : pending)
            if (p.remove && QFileInfo::exists(p.target))
                ok = QFile::remove(p.target) && ok;
        syncFolder(folder);
    }
    // Done, or nothing of it can be finished: no journal may outlive this write, or a later
    // start would bring back what it names over newer writes.
    QFile::remove(journal);
    for (const Pending& p : pending)
        if (!p.remove)
            QFile::remove(p.fresh);
    return ok;
}

bool writeTogether(const QString& folder, const std::vector<std::shared_ptr<IniData>>& files)
{
    std::vector<Pending> pending;
    bool ok = true;
    for (const auto& data : files) {
        Pending p{writeTarget(data->path), QString(), {}};
        p.fresh = p.target + NewSuffix;
        // A file that could not be read is never replaced, and a folder in a file's place can
        // never be: then none of the files is written.
        ok = ok && !data->unreadable && !QFileInfo(p.target).isDir();
        if (ok)
            p.bytes = data->serialize();
        pending.push_back(std::move(p));
    }
    ok = putTogether(folder, pending, ok);
    for (const auto& data : files) {
        ++data->writes;
        data->stamp = stampOf(data->path);
        data->written(ok);
    }
    return ok;
}

} // namespace

IniFile::Transaction::Transaction()
{
    ++openTransaction().depth;
}

IniFile::Transaction::~Transaction()
{
    commit();
}

bool IniFile::Transaction::commit()
{
    if (!m_open)
        return m_ok;
    m_open = false;
    OpenTransaction& t = openTransaction();
    if (--t.depth > 0)
        return true;
    std::vector<std::shared_ptr<IniData>> files = std::move(t.files);
    t.files.clear();
    // Files still inside a batch of their own are written when it ends.
    std::map<QString, std::vector<std::shared_ptr<IniData>>> byFolder;
    for (auto& data : files)
        if (data->dirty && data->batchDepth == 0)
            byFolder[QFileInfo(writeTarget(data->path)).absolutePath()].push_back(data);
    for (const auto& [folder, group] : byFolder)
        m_ok =
            (group.size() == 1 ? group.front()->writeNow() : writeTogether(folder, group)) && m_ok;
    return m_ok;
}

bool IniFile::replaceFiles(const std::vector<FileContent>& files)
{
    // The writes of an open batch or transaction would land on top of the new files later.
    if (openTransaction().depth > 0)
        return false;
    std::map<QString, std::vector<Pending>> byFolder;
    std::vector<std::shared_ptr<IniData>> open;
    bool ok = true;
    for (const FileContent& file : files) {
        const QString path = IniData::absolute(file.fileName);
        if (auto data = IniData::openFiles().value(path).lock()) {
            ok = ok && !data->dirty && data->batchDepth == 0;
            open.push_back(std::move(data));
        }
        Pending p{writeTarget(path), QString(), file.bytes.value_or(QByteArray()),
                  !file.bytes.has_value()};
        p.fresh = p.target + NewSuffix;
        ok = ok && !QFileInfo(p.target).isDir();
        byFolder[QFileInfo(p.target).absolutePath()].push_back(std::move(p));
    }
    if (!ok)
        return false;
    for (const auto& [folder, group] : byFolder)
        ok = putTogether(folder, group, ok) && ok;
    // Whatever came of it, the open objects read the files again: their size and time alone
    // might not tell them that the files were replaced.
    for (const auto& data : open) {
        data->loaded = false;
        data->stamp = DiskStamp();
        data->written(ok);
    }
    return ok;
}

std::unique_ptr<IniFile> IniFile::sectionsFromDisk(const QString& prefix) const
{
    const IniData& data = *m_data;
    if (data.loaded || data.detached || data.memoryOnly || data.path.isEmpty())
        return nullptr;
    QFile file(data.path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxContentSize)
        return nullptr;
    const QByteArray bytes = file.readAll();
    // Text with a byte order mark is not looked into byte by byte.
    if (QStringConverter::encodingForData(bytes))
        return nullptr;
    // A section runs from its header's line to the next header's line; every section of a
    // wanted name is kept as it stands, line breaks and all, and read as the whole file would
    // be. A header is a "[" with nothing but blanks before it on its line.
    const QByteArray wanted = prefix.toUtf8();
    const char* const begin = bytes.constData();
    const char* const stop = begin + bytes.size();
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; };
    auto lineStart = [begin, blank](const char* at) {
        const char* p = at;
        while (p > begin && blank(p[-1]))
            --p;
        return p == begin || p[-1] == '\n' || p[-1] == '\r' ? p : nullptr;
    };
    QByteArray part;
    const char* kept = nullptr; // the start of the section being kept
    for (const char* p = begin; p < stop;) {
        const char* open = static_cast<const char*>(std::memchr(p, '[', stop - p));
        if (!open)
            break;
        p = open + 1;
        const char* start = lineStart(open);
        if (!start)
            continue;
        if (kept)
            part.append(kept, start - kept);
        const char* name = open + 1;
        while (name < stop && blank(*name))
            ++name;
        const bool match = stop - name >= wanted.size() &&
                           std::memcmp(name, wanted.constData(), wanted.size()) == 0;
        kept = match ? start : nullptr;
    }
    if (kept)
        part.append(kept, stop - kept);
    return fromText(part, false);
}

std::unique_ptr<IniFile> IniFile::fromContent(const QByteArray& bytes)
{
    return fromText(bytes, false);
}

std::unique_ptr<IniFile> IniFile::inMemory(const QByteArray& bytes)
{
    return fromText(bytes, true);
}

std::unique_ptr<IniFile> IniFile::fromText(const QByteArray& bytes, bool takesChanges)
{
    auto data = std::make_shared<IniData>();
    data->detached = !takesChanges;
    data->memoryOnly = takesChanges;
    data->loaded = true;
    data->parse(decode(bytes));
    return std::unique_ptr<IniFile>(new IniFile(QString(), std::move(data)));
}

IniFile::IniFile(const QString& fileName, std::shared_ptr<IniData> data)
    : m_fileName(fileName), m_data(std::move(data))
{}

QString IniFile::contentProblem(const QByteArray& bytes)
{
    if (bytes.size() > MaxContentSize)
        return QStringLiteral("файл больше %1 МБ").arg(MaxContentSize >> 20);
    // Text decodes to something whatever its bytes: binary data shows as control characters,
    // and a NUL would cut a value short in the Windows profile functions.
    const QString text = decode(bytes);
    qsizetype line = 1;
    bool content = false, header = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == u'\n')
            ++line;
        else if (c < 0x20 && c != u'\t' && c != u'\r')
            return QStringLiteral("в строке %1 двоичные данные, а не текст").arg(line);
    }
    // Text with entries but not one section header is some other file: nothing in it could be
    // read as a setting.
    for (const QStringView l : QStringView(text).tokenize(u'\n')) {
        const QStringView trimmed = l.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u';'))
            continue;
        content = true;
        if (trimmed.startsWith(u'['))
            header = true;
    }
    if (content && !header)
        return QStringLiteral("в нём нет ни одного раздела");
    return QString();
}

QString IniFile::journalName()
{
    return JournalName;
}

IniFile::Recovery IniFile::recoverInterrupted(const QString& folder)
{
    const QDir dir(folder);
    if (!dir.exists())
        return Recovery::Nothing;
    FolderLock lock(dir.absolutePath(), false);
    if (lock.busy())
        return Recovery::Busy;
    Recovery result = Recovery::Nothing;
    const QString journal = dir.filePath(JournalName);
    if (QFileInfo::exists(journal)) {
        QFile file(journal);
        std::vector<JournalEntry> entries;
        const bool valid = file.open(QIODevice::ReadOnly) && parseJournal(file.readAll(), &entries);
        file.close();
        result = Recovery::RolledBack;
        if (valid) {
            // Every new file the journal names is whole: the write is finished. One that is not
            // could only be undone while none had taken its place yet.
            bool whole = true;
            bool begun = false;
            for (const JournalEntry& e : entries) {
                if (e.remove)
                    continue;
                const QString fresh = dir.filePath(e.name + NewSuffix);
                if (!QFileInfo::exists(fresh))
                    begun = true;
                else if (!holdsWhole(fresh, e))
                    whole = false;
            }
            if (whole || begun) {
                for (const JournalEntry& e : entries) {
                    const QString fresh = dir.filePath(e.name + NewSuffix);
                    if (e.remove)
                        QFile::remove(dir.filePath(e.name));
                    else if (QFileInfo::exists(fresh) && holdsWhole(fresh, e))
                        renameOver(fresh, dir.filePath(e.name));
                }
                result = Recovery::Completed;
            }
        }
        syncFolder(dir.absolutePath());
        QFile::remove(journal);
    }
    // What is left of a write that never reached its journal.
    const QStringList leftovers =
        dir.entryList({QStringLiteral("*") + NewSuffix}, QDir::Files | QDir::Hidden);
    for (const QString& name : leftovers) {
        QFile::remove(dir.filePath(name));
        if (result == Recovery::Nothing)
            result = Recovery::RolledBack;
    }
    if (result != Recovery::Nothing)
        syncFolder(dir.absolutePath());
    return result;
}

IniFile::WriteObserver IniFile::setWriteObserver(WriteObserver observer)
{
    WriteObserver previous = std::move(writeObserver());
    writeObserver() = std::move(observer);
    return previous;
}
