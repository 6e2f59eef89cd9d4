#pragma once

#include <QString>

class IniFile;

// The file-name part of a path (after the last separator) and the display-name rule of a
// command: the description, or else that file name with the first occurrence of its extension
// deleted.
QString CommandFileName(const QString& path);
QString CommandDisplayName(const QString& description, const QString& exePath);

// One command: what a launch button opens, with its parameters, icon and description, and the
// page and button numbers that name its section ("page\button") in Commands.ini.
class TCommandRecord
{
public:
    // file: the commands file to use; null means the program's shared CommandsFile.
    explicit TCommandRecord(int pageNumber = 0, int buttonNumber = 0, IniFile* file = nullptr);
    virtual ~TCommandRecord() = default;

    QString ExePath() const { return m_ExePath; }
    QString IconPath() const { return m_IconPath; }
    int IconIndex() const { return m_IconIndex; }
    QString Description() const { return m_Description; }
    QString Parameters() const { return m_Parameters; }

    // Setting a field neither saves it nor redraws anything.
    bool SetExePath(const QString& value);
    bool SetIconPath(const QString& value);
    bool SetIconIndex(int value);
    bool SetDescription(const QString& value);
    bool SetParameters(const QString& value);

    int PageNumber() const { return m_PageNumber; }
    int ButtonNumber() const { return m_ButtonNumber; }

    bool IsEmpty() const;
    QString DisplayName() const;

    // Reads the command's section; returns true when it holds a (non-empty) command.
    // A loaded command without description takes its display name as description.
    bool Load();
    // Rewrites the section with the current values; nothing for an empty command. False when
    // the file could not be written (the file on disk then still holds the old section).
    bool Save();
    // Erases the section and writes the file.
    bool EraseStored();
    // Erases the section under the old number when the number changes; does not save.
    void SetPageNumber(int pageNumber);
    // Takes new numbers without touching the file: the caller stores the commands anew.
    void TakeNumbers(int pageNumber, int buttonNumber);

    // Empties all fields (IconIndex -1) without touching the file.
    void ResetFields();
    // Copies the five fields of another command.
    void AssignFields(const TCommandRecord& other);
    // Whether the five fields equal another command's.
    bool SameFields(const TCommandRecord& other) const;

    QString SectionName() const;
    IniFile* CommandsIniFile() const;
    void SetCommandsIniFile(IniFile* file) { m_file = file; }

private:
    QString m_ExePath;
    QString m_IconPath;
    int m_IconIndex = 0;
    QString m_Description;
    QString m_Parameters;
    int m_PageNumber;
    int m_ButtonNumber;
    IniFile* m_file;
};
