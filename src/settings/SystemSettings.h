#pragma once

#include "settings/IniFile.h"

#include <QString>

#include <memory>
#include <span>

// A set of on/off switches kept as one byte, bit n for switch n, each stored as a key of one
// section of Options.ini the moment it changes. The program has two: the confirmations asked
// before an action and the event sounds. A switch without a key (DropCommand) is never stored:
// it takes its default at every start.
class TSys_Switches
{
public:
    // The confirmation switches ("Conformations"); all on by default.
    enum Conformation
    {
        DelPage = 0,
        ClearCommand = 1,
        ReplaceCommandOnDrop = 2,
        ChangeCommandProperties = 3,
        ReplaceLNK = 4
    };
    // The sound switches ("Sounds"); the first five are the sound kinds, on by default.
    enum Sound
    {
        DropShortCut = 0,
        ScrollPage = 1,
        RunCommand = 2,
        DropCommand = 3,
        DropPage = 4,
        MuteAll = 5
    };

    struct Key
    {
        int bit;
        const char16_t* name;
    };

    // Reads every keyed switch, its default when the key is missing.
    TSys_Switches(IniFile* optionsFile, const QString& section, quint8 defaults,
                  std::span<const Key> keys);

    bool Contains(int sw) const;
    void Include(int sw);
    void Exclude(int sw);
    void Save();
    quint8 bits() const { return m_bits; }

private:
    void Load();

    quint8 m_bits;
    IniFile* m_file;
    QString m_section;
    std::span<const Key> m_keys;
};

// The names the program knows its two switch sets by.
using TSys_Conformations = TSys_Switches;
using TSys_Sounds = TSys_Switches;

// The grid and the page count as Options.ini holds them, in the ranges the settings dialog offers.
struct TStoredGrid
{
    int colCount = 1;
    int commandsCount = 5;
    int pagesCount = 1;
};

// The program's options, read from Options.ini at start and written the moment one changes.
class TSystemSettings
{
public:
    explicit TSystemSettings(const QString& appFolder);
    ~TSystemSettings();

    int ColCount() const { return m_ColCount; }
    int CommandsCount() const { return m_CommandsCount; }
    bool UseCircleScroll() const { return m_UseCircleScroll; }
    bool UseStayOnTop() const { return m_UseStayOnTop; }
    bool UseAlphaBlend() const { return m_UseAlphaBlend; }
    int AlphaBlendValue() const { return m_AlphaBlendValue; }
    int HistoryCommandsCount() const { return m_HistoryCommandsCount; }
    bool UseAscSort() const { return m_UseAscSort; }
    bool AfterRunCommand() const { return m_AfterRunCommand; }
    bool AfterLoad() const { return m_AfterLoad; }
    int Left() const { return m_Left; }
    int Top() const { return m_Top; }
    int PagesCount() const { return m_PagesCount; }
    QString SelectedSkinFileName() const { return m_SelectedSkinFileName; }
    TSys_Conformations* Conformations() const { return m_Conformations.get(); }
    TSys_Sounds* Sounds() const { return m_Sounds.get(); }
    QString appFolder() const { return m_appFolder; }
    IniFile* optionsFile() const { return m_optionsFile.get(); }

    void SetColCount(int value);
    void SetCommandsCount(int value);
    void SetUseCircleScroll(bool value);
    void SetUseStayOnTop(bool value);
    void SetUseAlphaBlend(bool value);
    void SetAlphaBlendValue(int value);
    void SetHistoryCommandsCount(int value);
    void SetUseAscSort(bool value);
    void SetAfterRunCommand(bool value);
    void SetAfterLoad(bool value);
    void SetLeft(int value);
    void SetTop(int value);
    void SetPagesCount(int value);
    void SetSelectedSkinFileName(const QString& value);

    // The key combination that shows and hides the window from anywhere, in Qt's portable text
    // ("Ctrl+Alt+K"); empty when switched off. Kept apart from the other options: it is written
    // only while it differs from the default, so the options file of a profile that never
    // changed it stays exactly as it was.
    static QString DefaultGlobalHotkey() { return QStringLiteral("Ctrl+Alt+K"); }
    QString GlobalHotkey() const { return m_GlobalHotkey; }
    void SetGlobalHotkey(const QString& value);

    void Save();
    void Load();
    void InitializeFiles();
    static TStoredGrid ReadGrid(const IniFile& options);

private:
    template <typename T> void set(T& field, const T& value)
    {
        if (field == value)
            return;
        field = value;
        Save();
    }

    int m_ColCount = 1;
    int m_CommandsCount = 5;
    bool m_UseCircleScroll = false;
    bool m_UseStayOnTop = false;
    bool m_UseAlphaBlend = false;
    int m_AlphaBlendValue = 100;
    int m_HistoryCommandsCount = 10;
    bool m_UseAscSort = false;
    bool m_AfterRunCommand = false;
    bool m_AfterLoad = false;
    std::unique_ptr<IniFile> m_optionsFile;
    QString m_appFolder;
    int m_Left = 800;
    int m_Top = 600;
    int m_PagesCount = 1;
    std::unique_ptr<TSys_Conformations> m_Conformations;
    std::unique_ptr<TSys_Sounds> m_Sounds;
    QString m_SelectedSkinFileName = QStringLiteral("mxskin28.skn");
    QString m_GlobalHotkey = DefaultGlobalHotkey();
};

// The single settings object of the running program (null in tests that make their own).
extern TSystemSettings* SystemSettings;
