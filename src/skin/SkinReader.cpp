#include "skin/SkinReader.h"

#include "skin/LZH.h"
#include "skin/QuickIni.h"
#include "text/Text.h"

#include <QtEndian>

namespace {

qint32 readInt32(const QByteArray& bytes, qsizetype offset)
{
    return qFromLittleEndian<qint32>(bytes.constData() + offset);
}

void appendInt32(QByteArray& bytes, qint32 value)
{
    char buffer[4];
    qToLittleEndian<qint32>(value, buffer);
    bytes.append(buffer, 4);
}

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

QString damaged(const QString& what)
{
    return QStringLiteral("Файл скина повреждён: %1.").arg(what);
}

} // namespace

QString TSkinReader::OlderSkinMessage()
{
    return QStringLiteral("This is Older Skin File\rPlease update to new version !");
}

void TSkinReader::Clear()
{
    m_names.clear();
    m_sizes.clear();
    m_offsets.clear();
    m_data.clear();
    m_header.clear();
}

TSkinReader::Status TSkinReader::LoadSkin(const QByteArray& fileBytes, QString* error)
{
    Clear();
    if (fileBytes.size() < 4) {
        setError(error, damaged(QStringLiteral("файл короче заголовка")));
        return Status::Damaged;
    }
    const quint32 length = qFromLittleEndian<quint32>(fileBytes.constData());
    if (length > quint64(MaxArchiveSize)) {
        setError(error, QStringLiteral("Файл скина не загружен: распакованный размер %1 байт "
                                       "больше допустимых %2 МБ.")
                            .arg(length)
                            .arg(MaxArchiveSize / (1024 * 1024)));
        return Status::Damaged;
    }
    QByteArray archive;
    QString lzhError;
    if (!TLZH::Decode(fileBytes.constData() + 4, fileBytes.size() - 4, length, &archive,
                      &lzhError)) {
        setError(error, damaged(lzhError));
        return Status::Damaged;
    }
    return LoadArchive(archive, error);
}

TSkinReader::Status TSkinReader::LoadArchive(const QByteArray& archive, QString* error)
{
    Clear();
    const qint64 size = archive.size();
    if (size < 4) {
        setError(error, damaged(QStringLiteral("нет заголовка архива")));
        return Status::Damaged;
    }
    if (readInt32(archive, 0) != FormatNumber) {
        setError(error, OlderSkinMessage());
        return Status::OlderSkin;
    }
    if (size < HeaderSize) {
        setError(error, damaged(QStringLiteral("нет заголовка архива")));
        return Status::Damaged;
    }
    const qint64 nameLength = readInt32(archive, 4);
    if (nameLength < 0 || nameLength > size - HeaderSize) {
        setError(
            error,
            damaged(
                QStringLiteral("длина списка имён %1 байт не помещается в архив").arg(nameLength)));
        return Status::Damaged;
    }

    QStringList names;
    const QByteArray nameText = archive.mid(HeaderSize, nameLength);
    qsizetype start = 0;
    while (start < nameText.size()) {
        qsizetype end = start;
        while (end < nameText.size() && nameText[end] != '\r' && nameText[end] != '\n')
            ++end;
        if (names.size() == MaxEntries) {
            setError(error, damaged(QStringLiteral("в архиве больше %1 записей").arg(MaxEntries)));
            return Status::Damaged;
        }
        // Read as the description is, so a picture name with letters beyond ASCII matches it.
        names.append(AsciiLowerCase(skinText(nameText.mid(start, end - start))));
        if (end < nameText.size() && nameText[end] == '\r' && end + 1 < nameText.size() &&
            nameText[end + 1] == '\n')
            ++end;
        start = end + 1;
    }

    const qint64 tableOffset = HeaderSize + nameLength;
    const qint64 dataOffset = tableOffset + 4 * qint64(names.size());
    if (dataOffset > size) {
        setError(error, damaged(QStringLiteral("таблица размеров не помещается в архив")));
        return Status::Damaged;
    }
    QList<qint32> sizes;
    QList<qint64> offsets;
    qint64 total = 0;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const qint32 entrySize = readInt32(archive, tableOffset + 4 * i);
        if (entrySize < 0 || total + entrySize > size - dataOffset) {
            setError(error, damaged(QStringLiteral("размер записи «%1» (%2 байт) не сходится с "
                                                   "размером архива")
                                        .arg(names[i])
                                        .arg(entrySize)));
            return Status::Damaged;
        }
        sizes.append(entrySize);
        offsets.append(total);
        total += entrySize;
    }

    m_header = archive.left(HeaderSize);
    m_names = names;
    m_sizes = sizes;
    m_offsets = offsets;
    m_data = archive.mid(dataOffset);
    return Status::Loaded;
}

QByteArray TSkinReader::Entry(int index) const
{
    if (index < 0 || index >= m_names.size())
        return {};
    return m_data.mid(m_offsets[index], m_sizes[index]);
}

QByteArray TSkinReader::FetchEntry(const QString& name) const
{
    const QString wanted = AsciiLowerCase(name);
    for (int i = 0; i < m_names.size(); ++i)
        if (m_names[i] == wanted)
            return Entry(i);
    return {};
}

QByteArray TSkinReader::FetchEntryContaining(const QString& text, QString* fullName) const
{
    for (int i = 0; i < m_names.size(); ++i) {
        if (m_names[i].contains(text)) {
            if (fullName)
                *fullName = m_names[i];
            return Entry(i);
        }
    }
    return {};
}

QByteArray TSkinReader::BuildArchive(const QList<QPair<QString, QByteArray>>& entries,
                                     qint32 formatNumber)
{
    QByteArray names;
    qint64 dataSize = 0;
    for (const auto& entry : entries) {
        names.append(skinBytes(entry.first));
        names.append("\r\n");
        dataSize += entry.second.size();
    }
    QByteArray archive;
    appendInt32(archive, formatNumber);
    appendInt32(archive, qint32(names.size()));
    // Two values no reader needs; they record the entry count and the data size.
    appendInt32(archive, qint32(entries.size()));
    appendInt32(archive, qint32(dataSize));
    archive.append(names);
    for (const auto& entry : entries)
        appendInt32(archive, qint32(entry.second.size()));
    for (const auto& entry : entries)
        archive.append(entry.second);
    return archive;
}

QByteArray TSkinReader::CompressArchive(const QByteArray& archive)
{
    QByteArray file;
    appendInt32(file, qint32(quint32(archive.size())));
    file.append(TLZH::Encode(archive));
    return file;
}

QByteArray TSkinReader::BuildSkinFile(const QList<QPair<QString, QByteArray>>& entries)
{
    return CompressArchive(BuildArchive(entries));
}
