#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

// The skin description: INI text kept as its non-empty, non-comment lines with an index of the
// section headers. Only reads; the first header of a name and the first line of a key count.
class TQuickIni
{
public:
    // Text up to the first NUL byte, single-byte characters.
    void Load(const QByteArray& bytes);

    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    // "0x"/"0X" followed by hex digits, or a decimal integer; anything else gives def.
    int ReadInteger(const QString& section, const QString& key, int def) const;
    bool SectionExists(const QString& section) const;
    // Section names as written, in order of their first header.
    QStringList SectionNames() const { return m_sectionNames; }
    const QStringList& Lines() const { return m_lines; }

    static bool ParseInteger(const QString& text, int* value);

private:
    const QHash<QString, QString>* keysOf(const QString& section) const;

    QStringList m_lines;
    QStringList m_sectionNames;
    QHash<QString, int> m_headers; // folded name -> line of its first header
    // Keys of a section (folded key -> value of its first line), built when first asked for,
    // so many reads of a long section stay linear.
    mutable QHash<int, QHash<QString, QString>> m_keys;
};

// The single-byte text of a skin (its description and its entry names, which must read alike so
// that the names match) and back.
QString skinText(const QByteArray& bytes);
QByteArray skinBytes(const QString& text);
