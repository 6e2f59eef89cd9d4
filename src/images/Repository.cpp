#include "images/Repository.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QtEndian>

#include <zlib.h>

#include <algorithm>
#include <array>

namespace {

// Names are stored one byte per character in the Russian ANSI code page, as the Windows copy of
// the program writes them.
struct CodePage
{
    std::array<char16_t, 256> toUnicode{};
    QHash<char16_t, uchar> fromUnicode;

    CodePage()
    {
        QStringDecoder decoder("windows-1251");
        for (int i = 0; i < 256; ++i) {
            const char byte = char(i);
            QString text;
            if (decoder.isValid() && i >= 0x80)
                text = decoder.decode(QByteArrayView(&byte, 1));
            toUnicode[i] =
                text.size() == 1 && !decoder.hasError() ? text.at(0).unicode() : char16_t(i);
            decoder.resetState();
            fromUnicode.insert(toUnicode[i], uchar(i));
        }
    }

    QByteArray encode(const QString& name) const
    {
        QByteArray out;
        out.reserve(name.size());
        for (qsizetype i = 0; i < name.size(); ++i) {
            const QChar c = name.at(i);
            if (c.isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate())
                ++i;
            const auto found = fromUnicode.constFind(c.unicode());
            out.append(found != fromUnicode.cend() ? char(*found) : '?');
        }
        return out;
    }

    QString decode(QByteArrayView bytes) const
    {
        QString out;
        out.reserve(bytes.size());
        for (char b : bytes)
            out.append(QChar(toUnicode[uchar(b)]));
        return out;
    }
};

const CodePage& codePage()
{
    static const CodePage page;
    return page;
}

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

} // namespace

TRepository::TRepository(const QString& fileName, int imageWidth, int imageHeight)
    : m_fileName(fileName), m_imageWidth(imageWidth), m_imageHeight(imageHeight)
{}

TRepository::~TRepository() = default;

QString TRepository::StorableName(const QString& name)
{
    QByteArray bytes = codePage().encode(name);
    bytes.truncate(MaxNameLength);
    return codePage().decode(bytes);
}

bool TRepository::Load(QString* error)
{
    QFile file(m_fileName);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        m_damaged = true;
        return fail(error, file.errorString());
    }
    // Level 9 deflate never makes the file much larger than its content.
    if (file.size() > MaxContentSize + MaxContentSize / 16) {
        m_damaged = true;
        return fail(error, QStringLiteral("Файл слишком велик"));
    }
    return LoadFromFileData(file.readAll(), error);
}

bool TRepository::LoadFromFileData(const QByteArray& fileData, QString* error)
{
    // Inflate in steps so that a damaged or hostile file can never make us allocate more than
    // MaxContentSize; whatever came out before the damage is still read.
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) {
        m_damaged = true;
        return fail(error, QStringLiteral("Ошибка zlib"));
    }
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(fileData.constData()));
    stream.avail_in = uInt(fileData.size());
    QByteArray content;
    QString problem;
    constexpr qsizetype Chunk = 64 * 1024;
    int status = Z_OK;
    while (status == Z_OK) {
        if (content.size() >= MaxContentSize) {
            problem = QStringLiteral("Содержимое файла больше %1 МБ").arg(MaxContentSize >> 20);
            break;
        }
        const qsizetype before = content.size();
        const qsizetype room = std::min(Chunk, MaxContentSize - before);
        content.resize(before + room);
        stream.next_out = reinterpret_cast<Bytef*>(content.data() + before);
        stream.avail_out = uInt(room);
        status = inflate(&stream, Z_NO_FLUSH);
        content.resize(before + room - qsizetype(stream.avail_out));
        if (status == Z_BUF_ERROR && stream.avail_in == 0) {
            problem = QStringLiteral("Файл обрывается");
            break;
        }
    }
    if (problem.isEmpty() && status != Z_STREAM_END)
        problem = QStringLiteral("Файл повреждён (zlib: %1)").arg(status);
    else if (problem.isEmpty() && stream.avail_in != 0)
        problem = QStringLiteral("После сжатых данных есть лишние байты");
    inflateEnd(&stream);

    QString contentProblem;
    const bool contentOk = LoadFromContent(content, &contentProblem);
    if (!problem.isEmpty() || !contentOk) {
        m_damaged = true;
        return fail(error, problem.isEmpty() ? contentProblem : problem);
    }
    return true;
}

bool TRepository::LoadFromContent(const QByteArray& content, QString* error)
{
    const auto* bytes = reinterpret_cast<const uchar*>(content.constData());
    qsizetype pos = 0;
    int record = 0;
    while (pos < content.size()) {
        ++record;
        if (content.size() - pos < RecordHeaderSize) {
            m_damaged = true;
            return fail(error, QStringLiteral("Запись %1 обрывается").arg(record));
        }
        const int length = bytes[pos];
        const QString name =
            codePage().decode(QByteArrayView(content.constData() + pos + 1, length));
        // The next-record offset is not needed: the BMP headers tell where the picture ends.
        pos += RecordHeaderSize;
        TBitmap bitmap;
        qsizetype used = 0;
        QString bmpError;
        if (!Bmp::read(QByteArrayView(content).sliced(pos), &bitmap, &used, &bmpError)) {
            m_damaged = true;
            return fail(error, QStringLiteral("Запись %1: %2").arg(record).arg(bmpError));
        }
        pos += used;
        if (TRepositoryItem* item = AddImage(name, bitmap))
            item->LoadedIndex = m_loadedCount++;
    }
    return true;
}

QByteArray TRepository::Content() const
{
    QByteArray content;
    for (const auto& item : m_items) {
        QByteArray field = codePage().encode(item->Name).left(MaxNameLength);
        field.prepend(char(uchar(field.size())));
        field.resize(NameFieldSize, '\0');
        content.append(field);
        const QByteArray bmp = Bmp::write(item->Bitmap);
        uchar next[4];
        qToLittleEndian(quint32(content.size() + 4 + bmp.size()), next);
        content.append(reinterpret_cast<const char*>(next), 4);
        content.append(bmp);
    }
    return content;
}

bool TRepository::Save(QString* error)
{
    if (m_damaged && QFileInfo(m_fileName).isFile()) {
        // Keep the unreadable rest of a damaged file rather than overwrite it.
        const QString backup = m_fileName + QStringLiteral(".bak");
        QFile::remove(backup);
        if (!QFile::rename(m_fileName, backup))
            return fail(error, QStringLiteral("Не удалось сохранить копию повреждённого файла\r") +
                                   backup);
        m_damaged = false;
    }
    if (m_items.empty()) {
        if (QFile::exists(m_fileName) && !QFile::remove(m_fileName))
            return fail(error, QStringLiteral("Не удалось удалить файл\r") + m_fileName);
        return true;
    }
    const QByteArray content = Content();
    uLongf packedSize = compressBound(uLong(content.size()));
    QByteArray packed(qsizetype(packedSize), '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
                  reinterpret_cast<const Bytef*>(content.constData()), uLong(content.size()),
                  9) != Z_OK)
        return fail(error, QStringLiteral("Ошибка сжатия данных"));
    packed.truncate(qsizetype(packedSize));
    // Replace the file in one step, so a failure never leaves half a file behind.
    QSaveFile file(m_fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(packed) != packed.size() || !file.commit())
        return fail(error, file.errorString() + QStringLiteral("\r") + m_fileName);
    return true;
}

TRepositoryItem* TRepository::AddImage(const QString& name, const TBitmap& bitmap)
{
    const QString stored = StorableName(name);
    if (m_byName.contains(key(stored)) || bitmap.width() != m_imageWidth ||
        bitmap.height() != m_imageHeight)
        return nullptr;
    auto item = std::make_unique<TRepositoryItem>();
    item->Name = stored;
    item->Bitmap = bitmap;
    TRepositoryItem* result = item.get();
    m_items.push_back(std::move(item));
    m_byName.insert(key(stored), result);
    return result;
}

void TRepository::ReplaceImage(const QString& name, const TBitmap& bitmap)
{
    if (TRepositoryItem* item = find(name))
        item->Bitmap = bitmap;
}

void TRepository::RenameImage(const QString& oldName, const QString& newName)
{
    TRepositoryItem* item = find(oldName);
    if (!item)
        return;
    const QString stored = StorableName(newName);
    TRepositoryItem* other = m_byName.value(key(stored));
    // Two items under one name would make the second unreachable and lost at the next load.
    if (other && other != item)
        return;
    m_byName.remove(key(item->Name));
    item->Name = stored;
    m_byName.insert(key(stored), item);
}

void TRepository::DeleteImage(const QString& name)
{
    const int index = IndexOfName(name);
    if (index < 0)
        return;
    m_byName.remove(key(m_items[size_t(index)]->Name));
    m_items.erase(m_items.begin() + index);
}

int TRepository::IndexOfName(const QString& name) const
{
    const TRepositoryItem* item = find(name);
    if (!item)
        return -1;
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].get() == item)
            return int(i);
    return -1;
}

TRepositoryItem* TRepository::find(const QString& name) const
{
    return m_byName.value(key(StorableName(name)));
}

TRepositoryItem* TRepository::Images(int index) const
{
    if (index < 0 || size_t(index) >= m_items.size())
        return nullptr;
    return m_items[size_t(index)].get();
}

void TRepository::Clear()
{
    m_items.clear();
    m_byName.clear();
    m_loadedCount = 0;
}

QList<int> TRepository::NewPlacesOfLoaded() const
{
    QList<int> places(m_loadedCount, -1);
    for (size_t i = 0; i < m_items.size(); ++i)
        if (const int loaded = m_items[i]->LoadedIndex; loaded >= 0 && loaded < m_loadedCount)
            places[loaded] = int(i);
    return places;
}
