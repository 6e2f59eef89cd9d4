#include "settings/SettingsArchive.h"

#include "images/Repository.h"
#include "settings/Constants.h"
#include "settings/IniFile.h"

#include <QFile>
#include <QSet>

#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <new>
#include <set>
#include <utility>

namespace {

struct ArchiveCloser
{
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct EntryCloser
{
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};
using ArchivePtr = std::unique_ptr<zip_t, ArchiveCloser>;
using EntryPtr = std::unique_ptr<zip_file_t, EntryCloser>;

bool refuse(QString* error, const QString& reason)
{
    if (error)
        *error = reason;
    return false;
}

QString megabytes(qint64 bytes)
{
    return QString::number(bytes >> 20);
}

// ZIP names carry no encoding of their own unless flagged; shown as UTF-8 when they are that,
// which covers every name a reader could be asked about.
QString shownName(const QByteArray& raw)
{
    return QString::fromUtf8(raw);
}

// ASCII letters only: the settings file names are ASCII, and so is this comparison's purpose.
QByteArray foldedName(const QByteArray& raw)
{
    return raw.toLower();
}

// Why an entry name may not stand in a settings archive, or empty when it may. Nothing but the
// settings files is ever written from an archive, but a name that tries to leave the folder says
// the archive is not one of ours, and it is refused whole.
QString nameProblem(const QByteArray& raw)
{
    const QString shown = shownName(raw);
    if (raw.isEmpty())
        return QStringLiteral("В архиве есть файл без имени.");
    if (raw.startsWith('/') || raw.startsWith('\\') ||
        (raw.size() >= 2 && raw[1] == ':' && std::isalpha(uchar(raw[0]))))
        return QStringLiteral("В архиве есть файл с абсолютным путём: «%1».").arg(shown);
    QByteArray parts = raw;
    parts.replace('\\', '/');
    for (const QByteArray& part : parts.split('/'))
        if (part == "..")
            return QStringLiteral("В архиве есть файл с «..» в имени: «%1».").arg(shown);
    if (parts.contains('/'))
        return QStringLiteral("В архиве есть папка: «%1». Файлы настроек лежат в архиве без "
                              "папок.")
            .arg(shown);
    return QString();
}

// The program's own spelling of a settings file's name, or empty for any other file.
QString settingsFileName(const QByteArray& raw)
{
    for (const QString& name : SettingsFileNames())
        if (foldedName(raw) == name.toLatin1().toLower())
            return name;
    return QString();
}

QString libzipReason(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString text = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    return text;
}

// Reads one entry whole, never more than MaxEntrySize and never at a bomb's ratio, whatever its
// header declares.
bool readEntry(zip_t* zip, zip_uint64_t index, const zip_stat_t& stat, const QString& name,
               QByteArray* content, QString* error)
{
    using namespace SettingsArchive;
    const QString tooLarge = QStringLiteral("Файл %1 в архиве больше %2 МБ: файлы настроек "
                                            "такими не бывают.")
                                 .arg(name, megabytes(MaxEntrySize));
    if ((stat.valid & ZIP_STAT_SIZE) && stat.size > zip_uint64_t(MaxEntrySize))
        return refuse(error, tooLarge);
    const zip_uint64_t compressed =
        (stat.valid & ZIP_STAT_COMP_SIZE) ? std::max<zip_uint64_t>(stat.comp_size, 1) : 1;

    EntryPtr file(zip_fopen_index(zip, index, 0));
    if (!file) {
        const int code = zip_error_code_zip(zip_get_error(zip));
        if (code == ZIP_ER_NOPASSWD || code == ZIP_ER_ENCRNOTSUPP || code == ZIP_ER_WRONGPASSWD)
            return refuse(error, QStringLiteral("Файл %1 в архиве зашифрован, а зашифрованные "
                                                "архивы программа не читает.")
                                     .arg(name));
        if (code == ZIP_ER_COMPNOTSUPP)
            return refuse(error, QStringLiteral("Файл %1 в архиве сжат способом, который "
                                                "программа не знает.")
                                     .arg(name));
        return refuse(error, QStringLiteral("Архив повреждён: файл %1 не читается (%2).")
                                 .arg(name, libzipReason(code)));
    }
    QByteArray bytes;
    constexpr qint64 Chunk = 64 * 1024;
    for (;;) {
        const qsizetype before = bytes.size();
        bytes.resize(before + Chunk);
        const zip_int64_t got = zip_fread(file.get(), bytes.data() + before, Chunk);
        if (got < 0) {
            const int code = zip_error_code_zip(zip_file_get_error(file.get()));
            return refuse(error, QStringLiteral("Архив повреждён: файл %1 не читается (%2).")
                                     .arg(name, libzipReason(code)));
        }
        bytes.resize(before + qsizetype(got));
        if (got == 0)
            break;
        if (bytes.size() > MaxEntrySize)
            return refuse(error, tooLarge);
        if (bytes.size() > RatioCheckFrom && zip_uint64_t(bytes.size()) > MaxRatio * compressed)
            return refuse(error, QStringLiteral("Файл %1 в архиве сжат в сотни раз сильнее, чем "
                                                "сжимаются настройки: так устроены "
                                                "архивы-бомбы, и этот архив не читается.")
                                     .arg(name));
    }
    if ((stat.valid & ZIP_STAT_SIZE) && zip_uint64_t(bytes.size()) != stat.size)
        return refuse(error, QStringLiteral("Архив повреждён: размер файла %1 не совпадает с "
                                            "записанным в архиве.")
                                 .arg(name));
    *content = std::move(bytes);
    return true;
}

// Whether the content of a settings file is what the program can read.
bool checkContent(const QString& name, const QByteArray& content, QString* error)
{
    QString problem;
    if (name == Constants::PagesImagesFileName) {
        TRepository repository(QString{});
        if (repository.LoadFromFileData(content, &problem))
            problem.clear();
        else if (problem.isEmpty())
            problem = QStringLiteral("рисунки не читаются");
    } else {
        problem = IniFile::contentProblem(content);
    }
    if (problem.isEmpty())
        return true;
    return refuse(error, QStringLiteral("Файл %1 в архиве повреждён: %2.").arg(name, problem));
}

bool readOpened(zip_t* zip, TSettingsArchive* archive, QString* error)
{
    const zip_int64_t count = zip_get_num_entries(zip, 0);
    if (count < 0)
        return refuse(error, QStringLiteral("Архив повреждён."));
    // Every name is checked before anything is read.
    std::set<QByteArray> seen;
    std::vector<std::pair<zip_uint64_t, QString>> wanted;
    for (zip_uint64_t i = 0; i < zip_uint64_t(count); ++i) {
        const char* rawName = zip_get_name(zip, i, ZIP_FL_ENC_RAW);
        if (!rawName)
            return refuse(error, QStringLiteral("Архив повреждён: имя файла не читается."));
        const QByteArray raw(rawName);
        if (const QString problem = nameProblem(raw); !problem.isEmpty())
            return refuse(error, problem);
        if (!seen.insert(foldedName(raw)).second)
            return refuse(error,
                          QStringLiteral("В архиве два файла с именем %1.").arg(shownName(raw)));
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(zip, i, 0, &stat) != 0)
            return refuse(
                error, QStringLiteral("Архив повреждён: файл %1 не читается.").arg(shownName(raw)));
        if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE)
            return refuse(error, QStringLiteral("Файл %1 в архиве зашифрован, а зашифрованные "
                                                "архивы программа не читает.")
                                     .arg(shownName(raw)));
        if (const QString name = settingsFileName(raw); !name.isEmpty())
            wanted.emplace_back(i, name);
    }
    if (wanted.empty())
        return refuse(error, QStringLiteral("В архиве нет ни одного файла настроек (%1).")
                                 .arg(SettingsFileNames().join(QStringLiteral(", "))));

    TSettingsArchive result;
    for (const auto& [index, name] : wanted) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        zip_stat_index(zip, index, 0, &stat);
        QByteArray content;
        if (!readEntry(zip, index, stat, name, &content, error) ||
            !checkContent(name, content, error))
            return false;
        if (stat.valid & ZIP_STAT_MTIME) {
            const QDateTime time = QDateTime::fromSecsSinceEpoch(qint64(stat.mtime));
            if (!result.Date.isValid() || time > result.Date)
                result.Date = time;
        }
        result.Files[name] = std::move(content);
    }
    *archive = std::move(result);
    return true;
}

// Opens an archive held in memory, which must outlive it; none with the libzip error's code.
ArchivePtr openArchive(const QByteArray& data, int* code)
{
    zip_error_t zipError;
    zip_error_init(&zipError);
    zip_source_t* source =
        zip_source_buffer_create(data.constData(), zip_uint64_t(data.size()), 0, &zipError);
    ArchivePtr zip;
    if (source) {
        zip.reset(zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &zipError));
        if (!zip)
            zip_source_free(source);
    }
    *code = zip ? ZIP_ER_OK : zip_error_code_zip(&zipError);
    zip_error_fini(&zipError);
    return zip;
}

// Options.ini's grid and page count, as the settings store reads them.
int readRanged(const IniFile& file, const QString& key, int def, int lowest, int highest)
{
    int value = def;
    if (!IniFile::parseInteger(file.readString(QStringLiteral("PageControl"), key, QString()),
                               &value))
        return def;
    return std::clamp(value, lowest, highest);
}

} // namespace

QStringList SettingsFileNames()
{
    return {Constants::OptionsFileName, Constants::RunStatFileName, Constants::PagesImagesFileName,
            Constants::CommandsFileName, Constants::PagesFileName};
}

namespace SettingsArchive {

bool Read(const QString& path, TSettingsArchive* archive, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(error, QStringLiteral("Архив не открывается: %1.").arg(file.errorString()));
    if (file.size() > MaxArchiveSize)
        return refuse(error, QStringLiteral("Архив больше %1 МБ: столько настройки не занимают.")
                                 .arg(megabytes(MaxArchiveSize)));
    QByteArray data = file.read(MaxArchiveSize + 1);
    if (file.error() != QFileDevice::NoError)
        return refuse(error, QStringLiteral("Архив не читается: %1.").arg(file.errorString()));
    if (data.size() > MaxArchiveSize)
        return refuse(error, QStringLiteral("Архив больше %1 МБ: столько настройки не занимают.")
                                 .arg(megabytes(MaxArchiveSize)));
    return ReadData(data, archive, error);
}

bool ReadData(const QByteArray& data, TSettingsArchive* archive, QString* error)
{
    try {
        // libzip takes an empty file for an archive without entries; no ZIP tool writes one.
        if (data.isEmpty())
            return refuse(error, QStringLiteral("Это не ZIP-архив: файл пуст."));
        int code = ZIP_ER_OK;
        ArchivePtr zip = openArchive(data, &code);
        if (!zip) {
            // A local header or the end record's signature at the start: a ZIP once, now cut
            // short or damaged.
            const bool looksLikeZip =
                data.startsWith("PK\x03\x04") || data.startsWith("PK\x05\x06");
            if (code == ZIP_ER_NOZIP && !looksLikeZip)
                return refuse(error, QStringLiteral("Это не ZIP-архив."));
            if (code == ZIP_ER_EXISTS)
                return refuse(error, QStringLiteral("В архиве два файла с одним именем."));
            if (code == ZIP_ER_MEMORY)
                return refuse(error, QStringLiteral("Недостаточно памяти, чтобы прочитать архив."));
            return refuse(error, QStringLiteral("Архив повреждён или записан не до конца (%1).")
                                     .arg(libzipReason(code)));
        }
        return readOpened(zip.get(), archive, error);
    } catch (const std::bad_alloc&) {
        return refuse(error, QStringLiteral("Недостаточно памяти, чтобы прочитать архив."));
    }
}

TSettingsSummary Summarize(const TSettingsArchive& archive)
{
    TSettingsSummary summary;
    summary.Date = archive.Date;
    const auto content = [&archive](const QString& name) {
        const auto it = archive.Files.find(name);
        return it == archive.Files.end() ? QByteArray() : it->second;
    };
    for (const QString& name : SettingsFileNames())
        if (!archive.Files.count(name))
            summary.MissingFiles.append(name);

    const auto options = IniFile::fromContent(content(Constants::OptionsFileName));
    const auto pages = IniFile::fromContent(content(Constants::PagesFileName));
    const auto commands = IniFile::fromContent(content(Constants::CommandsFileName));
    const int pagesCount =
        options->readInteger(QStringLiteral("PageControl"), QStringLiteral("PagesCount"), 1);
    const int buttons = readRanged(*options, QStringLiteral("ColCount"), 1, 1, 5) *
                        readRanged(*options, QStringLiteral("CommandsCount"), 5, 1, 20);

    // As the page control loads them: sections 0 to PagesCount - 1 (never past the highest one
    // there is) that have a caption.
    int highest = -1;
    for (const QString& section : pages->sections()) {
        bool ok = false;
        const int number = section.toInt(&ok);
        if (ok && number >= 0 && QString::number(number) == section)
            highest = std::max(highest, number);
    }
    QSet<int> shown;
    for (int k = 0; k < std::min(pagesCount, highest + 1); ++k) {
        const QString caption =
            pages->readString(QString::number(k), QStringLiteral("Caption"), QString());
        if (caption.isEmpty())
            continue;
        shown.insert(k);
        summary.PageCaptions.append(caption);
    }
    summary.PageCount = int(summary.PageCaptions.size());

    QSet<QString> counted;
    for (const QString& section : commands->sections()) {
        const qsizetype slash = section.indexOf(u'\\');
        bool pageOk = false, buttonOk = false;
        const int page = section.left(slash).toInt(&pageOk);
        const int button = section.mid(slash + 1).toInt(&buttonOk);
        if (slash < 0 || !pageOk || !buttonOk || !shown.contains(page) || button < 0 ||
            button >= buttons || section != QString::number(page) + u'\\' + QString::number(button))
            continue;
        bool filled = false;
        for (const char* key : {"ExePath", "IconPath", "Description", "Parameters"})
            filled = filled || !commands->readString(section, QLatin1String(key), {}).isEmpty();
        if (filled && !counted.contains(section)) {
            counted.insert(section);
            ++summary.CommandCount;
        }
    }

    if (archive.Files.count(Constants::PagesImagesFileName)) {
        TRepository repository(QString{});
        repository.LoadFromFileData(content(Constants::PagesImagesFileName));
        summary.PictureCount = repository.Count();
    }
    return summary;
}

bool Fingerprints(const QString& path, std::map<QString, TFingerprint>* fingerprints)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxArchiveSize)
        return false;
    try {
        const QByteArray data = file.readAll();
        int code = ZIP_ER_OK;
        const ArchivePtr zip = openArchive(data, &code);
        if (!zip)
            return false;
        std::map<QString, TFingerprint> result;
        const zip_int64_t count = zip_get_num_entries(zip.get(), 0);
        for (zip_int64_t i = 0; i < count; ++i) {
            zip_stat_t stat;
            zip_stat_init(&stat);
            const char* raw = zip_get_name(zip.get(), zip_uint64_t(i), ZIP_FL_ENC_RAW);
            const QString name = raw ? settingsFileName(QByteArray(raw)) : QString();
            if (name.isEmpty() || zip_stat_index(zip.get(), zip_uint64_t(i), 0, &stat) != 0)
                continue;
            if (!(stat.valid & ZIP_STAT_SIZE) || !(stat.valid & ZIP_STAT_CRC))
                return false;
            result[name] = TFingerprint{qint64(stat.size), quint32(stat.crc)};
        }
        *fingerprints = std::move(result);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

TFingerprint FingerprintOf(const QByteArray& content)
{
    return TFingerprint{
        content.size(),
        quint32(crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(content.constData()),
                      uInt(content.size())))};
}

} // namespace SettingsArchive
