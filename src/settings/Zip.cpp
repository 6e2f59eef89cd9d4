#include "settings/Zip.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <map>
#include <system_error>

namespace {

constexpr quint32 LocalHeaderSignature = 0x04034B50;
constexpr quint32 CentralHeaderSignature = 0x02014B50;
constexpr quint32 EndRecordSignature = 0x06054B50;
constexpr quint16 VersionNeeded = 20;
constexpr quint16 MethodDeflate = 8;
constexpr quint32 ArchiveAttribute = 0x20;
constexpr int LocalHeaderSize = 30;
constexpr int CentralHeaderSize = 46;
constexpr qint64 Max32 = std::numeric_limits<quint32>::max();
constexpr qsizetype MaxEntries = std::numeric_limits<quint16>::max();

struct ZipEntry
{
    QString path; // folder + file name, as listed
    QString fileName;
    quint16 date = 0;
    quint16 time = 0;
};

// What the central directory repeats of a local header, plus where that header is.
struct WrittenEntry
{
    QByteArray header; // bytes 4 to 29 of the local header
    QByteArray name;
    quint32 offset = 0;
};

void put16(QByteArray& bytes, quint16 value)
{
    bytes.append(char(value & 0xFF));
    bytes.append(char(value >> 8));
}

void put32(QByteArray& bytes, quint32 value)
{
    put16(bytes, quint16(value & 0xFFFF));
    put16(bytes, quint16(value >> 16));
}

// MS-DOS stamps cover 1980 to 2107 with two-second steps; times outside are clamped.
void dosDateTime(const QDateTime& stamp, quint16* date, quint16* time)
{
    const QDateTime local = stamp.toLocalTime();
    QDate d = local.date();
    QTime t = local.time();
    if (!local.isValid() || d.year() < 1980) {
        d = QDate(1980, 1, 1);
        t = QTime(0, 0);
    } else if (d.year() > 2107) {
        d = QDate(2107, 12, 31);
        t = QTime(23, 59, 58);
    }
    *date = quint16(((d.year() - 1980) << 9) | (d.month() << 5) | d.day());
    *time = quint16((t.hour() << 11) | (t.minute() << 5) | (t.second() / 2));
}

// One zlib stream at the default level with the default window and memory level; the ZIP entry
// takes the raw deflate data, so the 2-byte zlib header and the 4-byte Adler-32 trailer go.
bool deflateRaw(const QByteArray& input, QByteArray* output)
{
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, MAX_WBITS, 8,
                     Z_DEFAULT_STRATEGY) != Z_OK)
        return false;
    QByteArray out;
    out.resize(qsizetype(deflateBound(&stream, uLong(input.size()))));
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.constData()));
    stream.avail_in = uInt(input.size());
    int result = Z_OK;
    while (result == Z_OK) {
        const qint64 room = out.size() - qint64(stream.total_out);
        if (room <= 0)
            break;
        stream.next_out = reinterpret_cast<Bytef*>(out.data()) + stream.total_out;
        stream.avail_out = uInt(std::min<qint64>(room, std::numeric_limits<uInt>::max()));
        result = deflate(&stream, Z_FINISH);
    }
    const qint64 produced = qint64(stream.total_out);
    deflateEnd(&stream);
    if (result != Z_STREAM_END || produced < 6)
        return false;
    *output = out.mid(2, produced - 6);
    return true;
}

QByteArray localHeaderBody(quint16 time, quint16 date, quint32 crc, quint32 compressedSize,
                           quint32 size, quint16 nameLength)
{
    QByteArray bytes;
    put16(bytes, VersionNeeded);
    put16(bytes, 0); // flags
    put16(bytes, MethodDeflate);
    put16(bytes, time);
    put16(bytes, date);
    put32(bytes, crc);
    put32(bytes, compressedSize);
    put32(bytes, size);
    put16(bytes, nameLength);
    put16(bytes, 0); // extra field length
    return bytes;
}

std::filesystem::path fsPath(const QString& path)
{
    return std::filesystem::path(path.toStdU16String());
}

// The archive must never be packed into itself, whatever path (link, other spelling) names it.
bool isSameFile(const QString& input, const QString& archive)
{
    if (archive.isEmpty())
        return false;
    std::error_code error;
    const bool same = std::filesystem::equivalent(fsPath(input), fsPath(archive), error);
    return !error && same;
}

} // namespace

TZip::TZip(QObject* owner) : QObject(owner) {}

TZip::~TZip() = default;

void TZip::Report(const QString& message)
{
    if (OnError)
        OnError(this, message);
    else
        qWarning("TZip: %s", qUtf8Printable(message));
}

bool TZip::Compress(QString* error)
{
    m_packedCount = 0;
    m_skippedFiles.clear();
    const auto fail = [error](const QString& message) {
        if (error)
            *error = message;
        return false;
    };

    if (QFileInfo::exists(m_arcName) && !m_overwrite) {
        Report(QStringLiteral("No overwite rights for file %1!").arg(m_arcName));
        return true;
    }
    if (m_files.isEmpty()) {
        Report(QStringLiteral("No files for compress!"));
        return true;
    }

    // Entries keyed by the stored name: std::map orders QByteArray keys bytewise as unsigned
    // values with a prefix first, and assigning to an existing key lets the later file win.
    std::map<QByteArray, ZipEntry> entries;
    for (const QString& path : std::as_const(m_files)) {
        const QFileInfo info(path);
        // Only regular files: a device or pipe could block the read forever.
        if (!info.isFile() || isSameFile(path, m_arcName))
            continue;
        ZipEntry entry;
        entry.path = info.filePath();
        entry.fileName = info.fileName();
        dosDateTime(info.lastModified(), &entry.date, &entry.time);
        entries[QFile::encodeName(entry.fileName)] = entry;
    }
    if (entries.empty()) {
        Report(QStringLiteral("No files for compress!"));
        return true;
    }
    if (qsizetype(entries.size()) > MaxEntries)
        return fail(QStringLiteral("Слишком много файлов для одного архива: %1 (не больше %2).")
                        .arg(entries.size())
                        .arg(MaxEntries));

    QSaveFile archive(m_arcName);
    // A file we may write in a folder we may not: write it in place, as a plain writer would.
    archive.setDirectWriteFallback(true);
    if (!archive.open(QIODevice::WriteOnly)) {
        Report(QStringLiteral("Open output file error."));
        return fail(QStringLiteral("Не удалось создать архив %1: %2")
                        .arg(m_arcName, archive.errorString()));
    }
    const auto writeFailed = [&]() {
        const QString reason = archive.errorString();
        archive.cancelWriting();
        return fail(QStringLiteral("Не удалось записать архив %1: %2").arg(m_arcName, reason));
    };
    const auto put = [&archive](const QByteArray& bytes) {
        return archive.write(bytes) == bytes.size();
    };

    std::vector<WrittenEntry> written;
    qint64 offset = 0;
    for (const auto& [name, entry] : entries) {
        const QFileInfo info(entry.path);
        QFile input(entry.path);
        // Checked again: the file may have been replaced since it was listed.
        if (!info.isFile() || !input.open(QIODevice::ReadOnly)) {
            m_skippedFiles.append(entry.path);
            Report(QStringLiteral("Cannot open %1, go just next...").arg(entry.fileName));
            continue;
        }
        if (input.size() >= Max32) {
            m_skippedFiles.append(entry.path);
            Report(QStringLiteral("File %1 is too large for the archive, go just next...")
                       .arg(entry.fileName));
            continue;
        }
        const QByteArray content = input.readAll();
        if (input.error() != QFileDevice::NoError || content.size() >= Max32) {
            m_skippedFiles.append(entry.path);
            Report(QStringLiteral("Cannot read %1, go just next...").arg(entry.fileName));
            continue;
        }
        input.close();

        QByteArray data;
        if (!deflateRaw(content, &data)) {
            archive.cancelWriting();
            return fail(
                QStringLiteral("Недостаточно памяти, чтобы сжать файл %1.").arg(entry.fileName));
        }
        const quint32 crc =
            quint32(crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(content.constData()),
                          uInt(content.size())));
        if (OnProgress)
            OnProgress(this, 100);

        if (offset + LocalHeaderSize + name.size() + data.size() > Max32) {
            archive.cancelWriting();
            return fail(QStringLiteral("Архив %1 вышел бы больше 4 ГиБ, а формат ZIP 2.0 "
                                       "больше не вмещает.")
                            .arg(m_arcName));
        }
        // The size is what was read, not what was listed: a file that changed in between
        // would otherwise give an entry no reader can extract.
        WrittenEntry record;
        record.header = localHeaderBody(entry.time, entry.date, crc, quint32(data.size()),
                                        quint32(content.size()), quint16(name.size()));
        record.name = name;
        record.offset = quint32(offset);
        QByteArray header;
        put32(header, LocalHeaderSignature);
        header += record.header;
        header += name;
        if (!put(header) || !put(data))
            return writeFailed();
        offset += header.size() + data.size();
        written.push_back(std::move(record));
    }

    if (written.empty()) {
        // Every file was skipped: an archive without entries would only replace an earlier one.
        archive.cancelWriting();
        Report(QStringLiteral("No files for compress!"));
        return true;
    }

    const qint64 directoryOffset = offset;
    QByteArray directory;
    for (const WrittenEntry& record : written) {
        put32(directory, CentralHeaderSignature);
        put16(directory, VersionNeeded); // version made by
        directory += record.header;
        put16(directory, 0); // comment length
        put16(directory, 0); // disk number start
        put16(directory, 0); // internal attributes
        put32(directory, ArchiveAttribute);
        put32(directory, record.offset);
        directory += record.name;
    }
    if (directoryOffset + directory.size() > Max32) {
        archive.cancelWriting();
        return fail(QStringLiteral("Архив %1 вышел бы больше 4 ГиБ, а формат ZIP 2.0 больше "
                                   "не вмещает.")
                        .arg(m_arcName));
    }
    QByteArray end;
    put32(end, EndRecordSignature);
    put16(end, 0); // this disk
    put16(end, 0); // disk of the central directory
    put16(end, quint16(written.size()));
    put16(end, quint16(written.size()));
    put32(end, quint32(directory.size()));
    put32(end, quint32(directoryOffset));
    put16(end, 0); // comment length
    if (!put(directory) || !put(end))
        return writeFailed();
    if (!archive.commit())
        return fail(QStringLiteral("Не удалось записать архив %1: %2")
                        .arg(m_arcName, archive.errorString()));
    m_packedCount = int(written.size());
    return true;
}
