#include "settings/SystemSettings.h"

#include "settings/Constants.h"

#include <QFileInfo>
#include <QKeySequence>

#include <algorithm>

TSystemSettings* SystemSettings = nullptr;

namespace {
const QString PageControl = QStringLiteral("PageControl");
const QString MainForm = QStringLiteral("MainForm");
const QString History = QStringLiteral("History");
const QString Minimize = QStringLiteral("Minimize");
const QString Skins = QStringLiteral("Skins");
// In a section every options file has: taking the key out again leaves the file as it was, where
// a section of its own would leave the blank line before it.
const QString HotkeySection = MainForm;
const QString HotkeyKey = QStringLiteral("GlobalHotkey");

// One key combination in Qt's portable text; empty stays empty (switched off). A value that
// names no key (a hand-edited or damaged file) means the default.
QString NormalizedHotkey(const QString& text)
{
    if (text.trimmed().isEmpty())
        return {};
    const QKeySequence keys = QKeySequence::fromString(text.trimmed(), QKeySequence::PortableText);
    if (keys.isEmpty() || keys[0].key() == Qt::Key_unknown || keys[0].key() == 0)
        return TSystemSettings::DefaultGlobalHotkey();
    return QKeySequence(keys[0]).toString(QKeySequence::PortableText);
}

const QString ConformationsSection = QStringLiteral("Conformations");
const QString SoundsSection = QStringLiteral("Sounds");

constexpr TSys_Switches::Key ConformationKeys[] = {
    {TSys_Switches::DelPage, u"DelPage"},
    {TSys_Switches::ClearCommand, u"ClearCommand"},
    {TSys_Switches::ReplaceCommandOnDrop, u"ReplaceCommandOnDrop"},
    {TSys_Switches::ChangeCommandProperties, u"ChangeCommandProperties"},
    {TSys_Switches::ReplaceLNK, u"ReplaceLNK"}};
constexpr TSys_Switches::Key SoundKeys[] = {{TSys_Switches::DropShortCut, u"DropShortCut"},
                                            {TSys_Switches::ScrollPage, u"ScrollPage"},
                                            {TSys_Switches::RunCommand, u"RunCommand"},
                                            {TSys_Switches::DropPage, u"DropPage"},
                                            {TSys_Switches::MuteAll, u"MuteAll"}};
// Every confirmation on; every sound on, MuteAll off.
constexpr quint8 ConformationDefaults = 0x1F;
constexpr quint8 SoundDefaults = 0x1F;

// A number outside [lowest, highest] is taken as the nearest allowed one; anything that is no
// number at all, as the default.
int readRanged(const IniFile& file, const QString& section, const QString& key, int def, int lowest,
               int highest)
{
    int value = def;
    if (!IniFile::parseInteger(file.readString(section, key, QString()), &value))
        return def;
    return std::clamp(value, lowest, highest);
}

bool contains(quint8 bits, int sw)
{
    return sw >= 0 && sw <= 7 && (bits >> sw) & 1;
}

} // namespace

TSys_Switches::TSys_Switches(IniFile* optionsFile, const QString& section, quint8 defaults,
                             std::span<const Key> keys)
    : m_bits(defaults), m_file(optionsFile), m_section(section), m_keys(keys)
{
    Load();
}

bool TSys_Switches::Contains(int sw) const
{
    return contains(m_bits, sw);
}

void TSys_Switches::Include(int sw)
{
    if (sw < 0 || sw > 7 || Contains(sw))
        return;
    m_bits |= quint8(1u << sw);
    Save();
}

void TSys_Switches::Exclude(int sw)
{
    if (!Contains(sw))
        return;
    m_bits &= quint8(~(1u << sw));
    Save();
}

void TSys_Switches::Save()
{
    IniFile::Batch batch(*m_file);
    for (const Key& k : m_keys)
        m_file->writeBool(m_section, QString::fromUtf16(k.name), Contains(k.bit));
}

void TSys_Switches::Load()
{
    for (const Key& k : m_keys) {
        if (m_file->readBool(m_section, QString::fromUtf16(k.name), Contains(k.bit)))
            m_bits |= quint8(1u << k.bit);
        else
            m_bits &= quint8(~(1u << k.bit));
    }
}

TSystemSettings::TSystemSettings(const QString& appFolder) : m_appFolder(appFolder)
{
    const QString optionsPath = m_appFolder + Constants::OptionsFileName;
    const bool existed = QFileInfo::exists(optionsPath);
    m_optionsFile = std::make_unique<IniFile>(optionsPath);
    if (!existed)
        InitializeFiles();
    else
        Load();
    m_Conformations = std::make_unique<TSys_Switches>(m_optionsFile.get(), ConformationsSection,
                                                      ConformationDefaults, ConformationKeys);
    m_Sounds = std::make_unique<TSys_Switches>(m_optionsFile.get(), SoundsSection, SoundDefaults,
                                               SoundKeys);
    if (m_optionsFile->valueExists(HotkeySection, HotkeyKey))
        m_GlobalHotkey = NormalizedHotkey(
            m_optionsFile->readString(HotkeySection, HotkeyKey, DefaultGlobalHotkey()));
}

TSystemSettings::~TSystemSettings()
{
    m_Sounds.reset();
    m_Conformations.reset();
    m_optionsFile.reset();
}

void TSystemSettings::SetColCount(int value)
{
    set(m_ColCount, value);
}
void TSystemSettings::SetCommandsCount(int value)
{
    set(m_CommandsCount, value);
}
void TSystemSettings::SetUseCircleScroll(bool value)
{
    set(m_UseCircleScroll, value);
}
void TSystemSettings::SetUseStayOnTop(bool value)
{
    set(m_UseStayOnTop, value);
}
void TSystemSettings::SetUseAlphaBlend(bool value)
{
    set(m_UseAlphaBlend, value);
}
void TSystemSettings::SetAlphaBlendValue(int value)
{
    set(m_AlphaBlendValue, value);
}
void TSystemSettings::SetHistoryCommandsCount(int value)
{
    set(m_HistoryCommandsCount, value);
}
void TSystemSettings::SetUseAscSort(bool value)
{
    set(m_UseAscSort, value);
}
void TSystemSettings::SetAfterRunCommand(bool value)
{
    set(m_AfterRunCommand, value);
}
void TSystemSettings::SetAfterLoad(bool value)
{
    set(m_AfterLoad, value);
}
void TSystemSettings::SetLeft(int value)
{
    set(m_Left, value);
}
void TSystemSettings::SetTop(int value)
{
    set(m_Top, value);
}
void TSystemSettings::SetPagesCount(int value)
{
    set(m_PagesCount, value);
}
void TSystemSettings::SetSelectedSkinFileName(const QString& value)
{
    set(m_SelectedSkinFileName, value);
}

void TSystemSettings::SetGlobalHotkey(const QString& value)
{
    const QString hotkey = NormalizedHotkey(value);
    if (hotkey == m_GlobalHotkey)
        return;
    m_GlobalHotkey = hotkey;
    IniFile& f = *m_optionsFile;
    if (hotkey == DefaultGlobalHotkey()) {
        f.deleteKey(HotkeySection, HotkeyKey);
    } else {
        f.writeString(HotkeySection, HotkeyKey, hotkey);
    }
}

void TSystemSettings::Save()
{
    IniFile& f = *m_optionsFile;
    IniFile::Batch batch(f);
    f.writeInteger(PageControl, QStringLiteral("ColCount"), m_ColCount);
    f.writeInteger(PageControl, QStringLiteral("CommandsCount"), m_CommandsCount);
    f.writeBool(PageControl, QStringLiteral("UseCircleScroll"), m_UseCircleScroll);
    f.writeBool(MainForm, QStringLiteral("UseStayOnTop"), m_UseStayOnTop);
    f.writeBool(MainForm, QStringLiteral("UseAlphaBlend"), m_UseAlphaBlend);
    f.writeInteger(MainForm, QStringLiteral("AlphaBlendValue"), m_AlphaBlendValue);
    f.writeInteger(History, QStringLiteral("CommandsCount"), m_HistoryCommandsCount);
    f.writeBool(History, QStringLiteral("UseAscSort"), m_UseAscSort);
    f.writeBool(Minimize, QStringLiteral("AfterRunCommand"), m_AfterRunCommand);
    f.writeBool(Minimize, QStringLiteral("AfterLoad"), m_AfterLoad);
    f.writeInteger(MainForm, QStringLiteral("Left"), m_Left);
    f.writeInteger(MainForm, QStringLiteral("Top"), m_Top);
    f.writeInteger(PageControl, QStringLiteral("PagesCount"), m_PagesCount);
    f.writeString(Skins, QStringLiteral("SelectedSkinFileName"), m_SelectedSkinFileName);
}

void TSystemSettings::Load()
{
    const IniFile& f = *m_optionsFile;
    // The history takes only what the settings dialog offers, as the grid does.
    const TStoredGrid grid = ReadGrid(f);
    m_ColCount = grid.colCount;
    m_CommandsCount = grid.commandsCount;
    m_UseCircleScroll =
        f.readBool(PageControl, QStringLiteral("UseCircleScroll"), m_UseCircleScroll);
    m_UseStayOnTop = f.readBool(MainForm, QStringLiteral("UseStayOnTop"), m_UseStayOnTop);
    m_UseAlphaBlend = f.readBool(MainForm, QStringLiteral("UseAlphaBlend"), m_UseAlphaBlend);
    m_AlphaBlendValue = readRanged(f, MainForm, QStringLiteral("AlphaBlendValue"), 100, 100, 255);
    m_HistoryCommandsCount = readRanged(f, History, QStringLiteral("CommandsCount"), 10, 5, 30);
    m_UseAscSort = f.readBool(History, QStringLiteral("UseAscSort"), m_UseAscSort);
    m_AfterRunCommand = f.readBool(Minimize, QStringLiteral("AfterRunCommand"), m_AfterRunCommand);
    m_AfterLoad = f.readBool(Minimize, QStringLiteral("AfterLoad"), m_AfterLoad);
    m_Left = f.readInteger(MainForm, QStringLiteral("Left"), m_Left);
    m_Top = f.readInteger(MainForm, QStringLiteral("Top"), m_Top);
    m_PagesCount = f.readInteger(PageControl, QStringLiteral("PagesCount"), m_PagesCount);
    m_SelectedSkinFileName =
        f.readString(Skins, QStringLiteral("SelectedSkinFileName"), m_SelectedSkinFileName);
}

TStoredGrid TSystemSettings::ReadGrid(const IniFile& f)
{
    TStoredGrid grid;
    // The grid takes only what the settings dialog offers: a hand-edited or damaged value must
    // not make a window without buttons or a grid too large to allocate.
    grid.colCount = readRanged(f, PageControl, QStringLiteral("ColCount"), 1, 1, 5);
    grid.commandsCount = readRanged(f, PageControl, QStringLiteral("CommandsCount"), 5, 1, 20);
    grid.pagesCount = f.readInteger(PageControl, QStringLiteral("PagesCount"), 1);
    return grid;
}

void TSystemSettings::InitializeFiles()
{
    Save();
    IniFile pages(m_appFolder + Constants::PagesFileName);
    if (!pages.exists()) {
        IniFile::Batch batch(pages);
        pages.writeString(QStringLiteral("0"), QStringLiteral("Caption"),
                          Constants::DefaultPageCaption);
        pages.writeInteger(QStringLiteral("0"), QStringLiteral("ImageIndex"), -1);
    }
}
