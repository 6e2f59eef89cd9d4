#include "commands/CommandRecord.h"

#include "settings/IniFile.h"
#include "settings/SharedFiles.h"
#include "text/Text.h"

#include <QDir>

namespace {
const QString KeyExePath = QStringLiteral("ExePath");
const QString KeyIconPath = QStringLiteral("IconPath");
const QString KeyIconIndex = QStringLiteral("IconIndex");
const QString KeyDescription = QStringLiteral("Description");
const QString KeyParameters = QStringLiteral("Parameters");
// Double quotes can't survive the profile functions' unquoting, so Parameters stores them as
// this, and reads every one back as a double quote, also those that were typed as "#".
const QString StoredQuote = QStringLiteral("#");
const QString Quote = QStringLiteral("\"");
// Parameters that the key above can't give back as they were (a "#", blanks at either end, a
// pair of enclosing apostrophes) are kept whole in this key too, enclosed in double quotes: the
// reading drops that one pair, so nothing inside is trimmed or unquoted. Older copies of the
// program ignore the key and erase it with the section when they save the command.
const QString KeyExactParameters = QStringLiteral("ParametersExact");

// What reading Parameters gives back for parameters stored in it: the profile functions keep
// one line, trim it, drop a pair of enclosing quotes and cut it to their longest value.
QString ParametersReadBack(const QString& parameters)
{
    QString stored = OneLine(ReplaceAll(parameters, Quote, StoredQuote)).trimmed();
    if (stored.size() >= 2 && stored.front() == u'\'' && stored.back() == u'\'')
        stored = stored.mid(1, stored.size() - 2);
    stored.truncate(IniFile::MaxValueLength);
    return ReplaceAll(stored, StoredQuote, Quote);
}

bool isSeparator(QChar c)
{
    // Windows paths also end their drive part with a colon.
    const QChar native = QDir::separator();
    return c == native || (native == u'\\' && c == u':');
}
} // namespace

QString CommandFileName(const QString& path)
{
    for (qsizetype i = path.size() - 1; i >= 0; --i)
        if (isSeparator(path[i]))
            return path.mid(i + 1);
    return path;
}

QString CommandDisplayName(const QString& description, const QString& exePath)
{
    if (!description.isEmpty())
        return description;
    QString name = CommandFileName(exePath);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0)
        return name;
    const QString extension = name.mid(dot);
    // The first occurrence goes, so setup.exe.bak.exe shows as setup.bak.exe.
    name.remove(name.indexOf(extension), extension.size());
    return name;
}

TCommandRecord::TCommandRecord(int pageNumber, int buttonNumber, IniFile* file)
    : m_PageNumber(pageNumber), m_ButtonNumber(buttonNumber), m_file(file)
{}

bool TCommandRecord::SetExePath(const QString& value)
{
    m_ExePath = value;
    return true;
}

bool TCommandRecord::SetIconPath(const QString& value)
{
    m_IconPath = value;
    return true;
}

bool TCommandRecord::SetIconIndex(int value)
{
    m_IconIndex = value;
    return true;
}

bool TCommandRecord::SetDescription(const QString& value)
{
    m_Description = value;
    return true;
}

bool TCommandRecord::SetParameters(const QString& value)
{
    m_Parameters = value;
    return true;
}

bool TCommandRecord::IsEmpty() const
{
    return m_ExePath.isEmpty() && m_IconPath.isEmpty() && m_Description.isEmpty() &&
           m_Parameters.isEmpty();
}

QString TCommandRecord::DisplayName() const
{
    return CommandDisplayName(m_Description, m_ExePath);
}

QString TCommandRecord::SectionName() const
{
    return QString::number(m_PageNumber) + u'\\' + QString::number(m_ButtonNumber);
}

IniFile* TCommandRecord::CommandsIniFile() const
{
    return m_file ? m_file : CommandsFile;
}

bool TCommandRecord::Load()
{
    IniFile* file = CommandsIniFile();
    if (!file) {
        ResetFields();
        return false;
    }
    const QString section = SectionName();
    m_ExePath = file->readString(section, KeyExePath, QString());
    m_IconIndex = file->readInteger(section, KeyIconIndex, -1);
    m_IconPath = file->readString(section, KeyIconPath, QString());
    m_Parameters =
        ReplaceAll(file->readString(section, KeyParameters, QString()), StoredQuote, Quote);
    // The exact copy counts only while Parameters still holds what it was stored with: a
    // Parameters changed by hand or by another program wins.
    if (file->valueExists(section, KeyExactParameters)) {
        const QString exact = file->readString(section, KeyExactParameters, QString());
        if (ParametersReadBack(exact) == m_Parameters)
            m_Parameters = exact;
    }
    m_Description = file->readString(section, KeyDescription, QString());
    if (IsEmpty())
        return false;
    if (m_Description.isEmpty())
        m_Description = DisplayName();
    return true;
}

bool TCommandRecord::Save()
{
    if (IsEmpty())
        return true;
    IniFile* file = CommandsIniFile();
    if (!file)
        return false;
    const QString section = SectionName();
    IniFile::Batch batch(*file);
    bool ok = file->eraseSection(section);
    ok = file->writeString(section, KeyExePath, m_ExePath) && ok;
    if (!m_IconPath.isEmpty())
        ok = file->writeString(section, KeyIconPath, m_IconPath) && ok;
    ok = file->writeInteger(section, KeyIconIndex, m_IconIndex) && ok;
    if (!m_Description.isEmpty())
        ok = file->writeString(section, KeyDescription, m_Description) && ok;
    if (!m_Parameters.isEmpty()) {
        ok = file->writeString(section, KeyParameters,
                               ReplaceAll(m_Parameters, Quote, StoredQuote)) &&
             ok;
        if (ParametersReadBack(m_Parameters) != m_Parameters)
            ok = file->writeString(section, KeyExactParameters, Quote + m_Parameters + Quote) && ok;
    }
    return batch.commit() && ok;
}

bool TCommandRecord::EraseStored()
{
    IniFile* file = CommandsIniFile();
    if (!file)
        return false;
    return file->eraseSection(SectionName()) && file->flush();
}

void TCommandRecord::SetPageNumber(int pageNumber)
{
    if (pageNumber == m_PageNumber)
        return;
    if (IniFile* file = CommandsIniFile())
        file->eraseSection(SectionName());
    m_PageNumber = pageNumber;
}

void TCommandRecord::TakeNumbers(int pageNumber, int buttonNumber)
{
    m_PageNumber = pageNumber;
    m_ButtonNumber = buttonNumber;
}

void TCommandRecord::ResetFields()
{
    m_ExePath.clear();
    m_IconPath.clear();
    m_IconIndex = -1;
    m_Description.clear();
    m_Parameters.clear();
}

bool TCommandRecord::SameFields(const TCommandRecord& other) const
{
    return m_ExePath == other.m_ExePath && m_IconPath == other.m_IconPath &&
           m_IconIndex == other.m_IconIndex && m_Description == other.m_Description &&
           m_Parameters == other.m_Parameters;
}

void TCommandRecord::AssignFields(const TCommandRecord& other)
{
    m_Description = other.m_Description;
    m_Parameters = other.m_Parameters;
    m_ExePath = other.m_ExePath;
    m_IconIndex = other.m_IconIndex;
    m_IconPath = other.m_IconPath;
}
