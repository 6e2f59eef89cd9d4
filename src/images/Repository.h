#pragma once

#include "images/Bmp.h"

#include <QHash>
#include <QList>
#include <QString>

#include <memory>
#include <vector>

// One named page picture.
class TRepositoryItem
{
public:
    TBitmap Bitmap;
    QString Name;
    // The item's place when the file was read; -1 for an item added since.
    int LoadedIndex = -1;
};

// The named page pictures of PagesImages.dat, in the order they were added. The file is one
// zlib stream over a sequence of records: a 256-byte name field (length byte and the name in the
// Russian ANSI code page), the 4-byte offset of the next record and a complete BMP file.
class TRepository
{
public:
    // A damaged file never makes the reader inflate more than this.
    static constexpr qsizetype MaxContentSize = 64 * 1024 * 1024;
    static constexpr int MaxNameLength = 255;
    static constexpr int NameFieldSize = 256;
    static constexpr int RecordHeaderSize = NameFieldSize + 4;

    TRepository(const QString& fileName, int imageWidth = 16, int imageHeight = 16);
    ~TRepository();
    TRepository(const TRepository&) = delete;
    TRepository& operator=(const TRepository&) = delete;

    // Reads the file if it exists. A damaged file keeps the records that could be read before
    // the damage, and the call returns false with the reason; nothing is written.
    bool Load(QString* error = nullptr);
    // Writes the file, or deletes it when the repository is empty. When the file read by Load was
    // damaged, it is kept as "<name>.bak" instead of being overwritten.
    bool Save(QString* error = nullptr);

    // Appends a copy of the bitmap under the name; none when the name is taken (letter case does
    // not count) or the bitmap is not ImageWidth x ImageHeight.
    TRepositoryItem* AddImage(const QString& name, const TBitmap& bitmap);
    void ReplaceImage(const QString& name, const TBitmap& bitmap);
    void RenameImage(const QString& oldName, const QString& newName);
    void DeleteImage(const QString& name);
    int IndexOfName(const QString& name) const;
    TRepositoryItem* Images(int index) const;
    int Count() const { return int(m_items.size()); }
    void Clear();
    // Where the pictures read from the file stand now: entry i is the place of the picture read
    // at place i, -1 when it has been deleted. Pages refer to pictures by place.
    QList<int> NewPlacesOfLoaded() const;

    QString FileName() const { return m_fileName; }
    int ImageWidth() const { return m_imageWidth; }
    int ImageHeight() const { return m_imageHeight; }
    bool Damaged() const { return m_damaged; }

    // The name as the file can hold it: at most 255 characters, each one the code page has
    // (others become "?").
    static QString StorableName(const QString& name);

    // The steps of Load, for data already in memory. Both add to the repository and return
    // false with the reason when the data is damaged.
    bool LoadFromFileData(const QByteArray& fileData, QString* error = nullptr);
    bool LoadFromContent(const QByteArray& content, QString* error = nullptr);
    // The uncompressed content Save writes.
    QByteArray Content() const;

private:
    static QString key(const QString& name) { return name.toUpper(); }
    TRepositoryItem* find(const QString& name) const;

    QString m_fileName;
    int m_imageWidth;
    int m_imageHeight;
    bool m_damaged = false;
    int m_loadedCount = 0;
    std::vector<std::unique_ptr<TRepositoryItem>> m_items;
    QHash<QString, TRepositoryItem*> m_byName;
};
