#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// A skin file: four bytes of little-endian length, then an LZH-compressed archive of named
// entries (a description and the bitmaps it names).
//
// Every length in the file is checked before it is used: a damaged or hostile file fails to
// load with a message, and nothing is allocated beyond MaxArchiveSize.
class TSkinReader
{
public:
    static constexpr qint32 FormatNumber = 20000;
    static constexpr int MaxEntries = 1001;
    // Skins are a few hundred kilobytes; anything that unpacks to more is refused.
    static constexpr qint64 MaxArchiveSize = 64 * 1024 * 1024;
    static constexpr int HeaderSize = 16;

    enum class Status
    {
        Loaded,
        OlderSkin,
        Damaged
    };

    // The message of a skin file made for an older version of the program.
    static QString OlderSkinMessage();

    // Loads the archive from the file's bytes. On failure nothing stays loaded and *error gets
    // the text to show: OlderSkinMessage() for Status::OlderSkin (an information box), a
    // description of the damage for Status::Damaged.
    Status LoadSkin(const QByteArray& fileBytes, QString* error = nullptr);
    // The same for an archive that is already unpacked.
    Status LoadArchive(const QByteArray& archive, QString* error = nullptr);
    void Clear();

    // Entry names are kept in lower case (ASCII letters only).
    const QStringList& Names() const { return m_names; }
    int Count() const { return int(m_names.size()); }
    const QList<qint32>& Sizes() const { return m_sizes; }
    const QByteArray& Header() const { return m_header; }

    // The bytes of entry `index` (0 … Count() - 1).
    QByteArray Entry(int index) const;
    // The first entry whose name equals `name` lowercased; empty when there is none.
    QByteArray FetchEntry(const QString& name) const;
    // The first entry whose lowercased name contains `text` (compared as it is).
    QByteArray FetchEntryContaining(const QString& text, QString* fullName = nullptr) const;

    // Builds the archive and the skin file from named entries, in the given order; the names
    // must be single-byte text (Windows-1251) without line breaks. For the packer and the tests.
    static QByteArray BuildArchive(const QList<QPair<QString, QByteArray>>& entries,
                                   qint32 formatNumber = FormatNumber);
    static QByteArray BuildSkinFile(const QList<QPair<QString, QByteArray>>& entries);
    static QByteArray CompressArchive(const QByteArray& archive);

private:
    QStringList m_names;
    QList<qint32> m_sizes;
    QList<qint64> m_offsets;
    QByteArray m_data;
    QByteArray m_header;
};
