#include "CoreSupport.h"
#include "ZipCheck.h"
#include "settings/Zip.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <zlib.h>

#if __has_include(<sys/resource.h>)
#include <csignal>
#include <sys/resource.h>
#define KESTROLIN_HAVE_RLIMIT 1
#endif

namespace {

const QStringList SettingsNames = {"Options.ini", "RunStat.ini", "PagesImages.dat", "Commands.ini",
                                   "Pages.ini"};

QByteArray randomBytes(int size, quint32 seed)
{
    QRandomGenerator generator(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}

quint16 read16(const QByteArray& bytes, qsizetype at)
{
    return quint16(quint8(bytes[at]) | quint8(bytes[at + 1]) << 8);
}

quint32 read32(const QByteArray& bytes, qsizetype at)
{
    return quint32(read16(bytes, at)) | quint32(read16(bytes, at + 2)) << 16;
}

// What zlib's one-shot API makes of data at the default level, without header and trailer.
QByteArray rawDeflate(const QByteArray& data)
{
    QByteArray out(qsizetype(compressBound(uLong(data.size()))), Qt::Uninitialized);
    uLongf length = uLongf(out.size());
    compress2(reinterpret_cast<Bytef*>(out.data()), &length,
              reinterpret_cast<const Bytef*>(data.constData()), uLong(data.size()),
              Z_DEFAULT_COMPRESSION);
    return out.mid(2, qsizetype(length) - 6);
}

struct Events
{
    QStringList errors;
    QList<int> progress;

    void attach(TZip& zip)
    {
        zip.OnError = [this](TZip*, const QString& message) { errors.append(message); };
        zip.OnProgress = [this](TZip*, qint16 percent) { progress.append(percent); };
    }
};

} // namespace

class TestZip : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }

    // A fresh folder for one test function, so listings do not see each other's files.
    QString folder(const QString& name) const
    {
        QDir(dir.path()).mkpath(name);
        return dir.filePath(name) + u'/';
    }

private slots:
    void settingsFilesAreReadByStandardReaders()
    {
        const QString in = folder("settings");
        QMap<QString, QByteArray> contents;
        contents["Options.ini"] = "[Options]\r\nColCount=3\r\nUseStayOnTop=1\r\n";
        contents["RunStat.ini"] = QByteArray("[Stat]\r\n").repeated(200);
        contents["PagesImages.dat"] = randomBytes(20000, 7); // incompressible: data > file
        contents["Commands.ini"] = QString("[0\\0]\r\nExePath=/usr/bin/программа\r\n").toUtf8();
        contents["Pages.ini"] = "[0]\r\nCaption=Новая\r\n";
        TZip zip;
        for (const QString& name : SettingsNames) {
            writeAll(in + name, contents[name]);
            zip.Files().append(in + name);
        }
        const QDateTime stamp(QDate(2026, 12, 6), QTime(13, 45, 58));
        QFile options(in + "Options.ini");
        QVERIFY(options.open(QIODevice::ReadWrite));
        QVERIFY(options.setFileTime(stamp, QFileDevice::FileModificationTime));
        options.close();

        Events events;
        events.attach(zip);
        const QString archive = path("settings.zip");
        zip.SetArcName(archive);
        QString error;
        QVERIFY2(zip.Compress(&error), qPrintable(error));
        QCOMPARE(events.errors, QStringList());
        QCOMPARE(events.progress, QList<int>({100, 100, 100, 100, 100}));

        const QJsonObject listing = readWithPython(archive);
        QVERIFY(listing.value("bad").isNull());
        // "." sorts below "I", so Pages.ini comes before PagesImages.dat.
        QCOMPARE(entryNames(listing), QStringList({"Commands.ini", "Options.ini", "Pages.ini",
                                                   "PagesImages.dat", "RunStat.ini"}));
        for (const QJsonValue& value : listing.value("entries").toArray()) {
            const QJsonObject entry = value.toObject();
            const QString name = entry.value("name").toString();
            QCOMPARE(entryData(listing, name), contents[name]);
            QCOMPARE(entry.value("create_version").toInt(), 20);
            QCOMPARE(entry.value("create_system").toInt(), 0);
            QCOMPARE(entry.value("extract_version").toInt(), 20);
            QCOMPARE(entry.value("external_attr").toInt(), 0x20);
            QCOMPARE(entry.value("flag_bits").toInt(), 0);
            QCOMPARE(entry.value("compress_type").toInt(), 8);
        }
        QCOMPARE(entryNamed(listing, "Options.ini").value("date_time").toArray(),
                 QJsonArray({2026, 12, 6, 13, 45, 58}));
        QVERIFY(entryNamed(listing, "PagesImages.dat").value("compress_size").toInt() > 20000);

        const ToolRun test = runTool("unzip", {"-t", archive});
        QVERIFY2(test.exitCode == 0, test.output.constData());
        QVERIFY(test.output.contains("No errors detected"));
        const ToolRun info = runTool("zipinfo", {"-v", archive});
        QCOMPARE(info.exitCode, 0);
        QCOMPARE(info.output.count("version of encoding software:                   2.0"), 5);
        QCOMPARE(info.output.count("minimum software version required to extract:   2.0"), 5);
        QCOMPARE(info.output.count("MS-DOS file attributes (20 hex):                arc"), 5);
        const QString out = folder("extracted");
        QCOMPARE(runTool("unzip", {"-q", "-o", archive, "-d", out}).exitCode, 0);
        for (const QString& name : SettingsNames)
            QCOMPARE(readAll(out + name), contents[name]);

        // The bytes around zlib's data: zlib's own output cut, the directory and the end record.
        const QByteArray bytes = readAll(archive);
        QCOMPARE(read32(bytes, 0), quint32(0x04034B50));
        QCOMPARE(read16(bytes, 26), quint16(12));
        QCOMPARE(bytes.mid(30, 12), QByteArray("Commands.ini"));
        const quint32 packed = read32(bytes, 18);
        QCOMPARE(bytes.mid(42, packed), rawDeflate(contents["Commands.ini"]));
        const qsizetype end = bytes.size() - 22;
        QCOMPARE(read32(bytes, end), quint32(0x06054B50));
        QCOMPARE(read16(bytes, end + 8), quint16(5));
        QCOMPARE(read16(bytes, end + 10), quint16(5));
        const quint32 directorySize = read32(bytes, end + 12);
        const quint32 directoryOffset = read32(bytes, end + 16);
        QCOMPARE(directorySize, quint32(5 * 46 + 12 + 11 + 9 + 15 + 11));
        QCOMPARE(directoryOffset + directorySize, quint32(end));
        QCOMPARE(bytes.mid(directoryOffset + 6, 26), bytes.mid(4, 26));
        QCOMPARE(read16(bytes, end + 20), quint16(0));
    }

    void entriesFromOddInput()
    {
        const QString a = folder("odd/a");
        const QString b = folder("odd/b");
        writeAll(a + "Same.ini", "first");
        writeAll(b + "Same.ini", "second");
        writeAll(a + "Empty.ini", "");
        writeAll(a + "Настройки.ini", "utf");
        writeAll(a + ".hidden", "dot");
        writeAll(a + "Old.ini", "old");
        QFile old(a + "Old.ini");
        QVERIFY(old.open(QIODevice::ReadWrite));
        QVERIFY(old.setFileTime(QDateTime(QDate(1975, 5, 5), QTime(10, 0)),
                                QFileDevice::FileModificationTime));
        old.close();
        const bool haveFifo = runTool("mkfifo", {a + "pipe"}).exitCode == 0;

        TZip zip;
        zip.Files() << a + "Same.ini" << a + "missing.ini" << a + "Empty.ini" << b + "Same.ini" << a
                    << a + "pipe" << a + "Настройки.ini" << a + ".hidden" << a + "Old.ini";
        Events events;
        events.attach(zip);
        const QString archive = path("odd.zip");
        zip.SetArcName(archive);
        QVERIFY(zip.Compress());
        QCOMPARE(events.errors, QStringList()); // missing files, folders and pipes: no message
        if (!haveFifo)
            qWarning("mkfifo unavailable: the pipe case was not tried");

        const QJsonObject listing = readWithPython(archive);
        QVERIFY(listing.value("bad").isNull());
        QCOMPARE(entryNames(listing),
                 QStringList({".hidden", "Empty.ini", "Old.ini", "Same.ini", "Настройки.ini"}));
        QCOMPARE(entryData(listing, "Same.ini"), QByteArray("second"));
        const QJsonObject empty = entryNamed(listing, "Empty.ini");
        QCOMPARE(empty.value("file_size").toInt(), 0);
        QCOMPARE(empty.value("crc").toInt(), 0);
        QCOMPARE(empty.value("compress_size").toInt(), 2); // zlib's empty block: 03 00
        QCOMPARE(entryNamed(listing, "Old.ini").value("date_time").toArray(),
                 QJsonArray({1980, 1, 1, 0, 0, 0}));
        // The name is stored as the file system spells it, without the UTF-8 flag.
        QVERIFY(readAll(archive).contains(QString("Настройки.ini").toUtf8()));
        QCOMPARE(runTool("unzip", {"-t", archive}).exitCode, 0);
    }

    void archiveItselfAndExistingArchive()
    {
        const QString in = folder("self");
        writeAll(in + "Options.ini", "options");
        writeAll(in + "settings.zip", "not an archive yet");
        QVERIFY(QFile::link(in + "settings.zip", in + "link.zip"));

        // Named among the inputs, directly and through a link: never packed into itself.
        TZip zip;
        zip.Files() << in + "settings.zip" << in + "Options.ini" << in + "link.zip";
        zip.SetArcName(in + "settings.zip");
        zip.SetOverwrite(true);
        Events events;
        events.attach(zip);
        QVERIFY(zip.Compress());
        QCOMPARE(events.errors, QStringList());
        QCOMPARE(entryNames(readWithPython(in + "settings.zip")), QStringList({"Options.ini"}));

        // Overwrite off: the archive stays as it was and the run still counts as done.
        writeAll(in + "keep.zip", "keep me");
        const QDateTime before = QFileInfo(in + "keep.zip").lastModified();
        TZip keep;
        keep.Files() << in + "Options.ini";
        keep.SetArcName(in + "keep.zip");
        Events kept;
        kept.attach(keep);
        QVERIFY(keep.Compress());
        QCOMPARE(kept.errors, QStringList({"No overwite rights for file " + in + "keep.zip!"}));
        QCOMPARE(readAll(in + "keep.zip"), QByteArray("keep me"));
        QCOMPARE(QFileInfo(in + "keep.zip").lastModified(), before);
        QVERIFY(kept.progress.isEmpty());

        // Nothing to pack: reported, and no archive appears.
        TZip none;
        Events nothing;
        nothing.attach(none);
        none.SetArcName(in + "none.zip");
        QVERIFY(none.Compress());
        none.Files() << in + "missing.ini" << in + "none.zip";
        QVERIFY(none.Compress());
        QCOMPARE(nothing.errors, QStringList({"No files for compress!", "No files for compress!"}));
        QVERIFY(!QFile::exists(in + "none.zip"));
    }

    void inputsThatGoAwayDuringTheRun()
    {
        const QString in = folder("vanish");
        TZip zip;
        for (const QString& name : SettingsNames) {
            writeAll(in + name, name.toUtf8());
            zip.Files().append(in + name);
        }
        // After the first file is packed, one file disappears and one turns into a folder.
        zip.OnProgress = [&](TZip*, qint16) {
            QFile::remove(in + "RunStat.ini");
            if (QFile::remove(in + "Pages.ini"))
                QDir(in).mkdir("Pages.ini");
        };
        QStringList errors;
        zip.OnError = [&](TZip*, const QString& message) { errors.append(message); };
        zip.SetArcName(path("vanish.zip"));
        QVERIFY(zip.Compress());
        QCOMPARE(errors, QStringList({"Cannot open Pages.ini, go just next...",
                                      "Cannot open RunStat.ini, go just next..."}));
        QCOMPARE(zip.PackedCount(), 3);
        QCOMPARE(zip.SkippedFiles(), QStringList({in + "Pages.ini", in + "RunStat.ini"}));
        const QJsonObject listing = readWithPython(path("vanish.zip"));
        QCOMPARE(entryNames(listing),
                 QStringList({"Commands.ini", "Options.ini", "PagesImages.dat"}));
        QCOMPARE(entryData(listing, "PagesImages.dat"), QByteArray("PagesImages.dat"));
        QCOMPARE(runTool("unzip", {"-t", path("vanish.zip")}).exitCode, 0);
    }

    void everyInputSkippedWritesNoArchive()
    {
        const QString in = folder("skipped");
        // Too big for a ZIP 2.0 entry; sparse, so it takes no room on the disk.
        QFile huge(in + "Huge.dat");
        QVERIFY(huge.open(QIODevice::WriteOnly));
        if (!huge.resize(qint64(1) << 32))
            QSKIP("no sparse files on this file system");
        huge.close();
        writeAll(in + "old.zip", "an earlier archive");

        TZip zip;
        zip.Files() << in + "Huge.dat";
        zip.SetArcName(in + "old.zip");
        zip.SetOverwrite(true);
        Events events;
        events.attach(zip);
        QVERIFY(zip.Compress());
        QCOMPARE(events.errors, QStringList({"File Huge.dat is too large for the archive, go just "
                                             "next...",
                                             "No files for compress!"}));
        QCOMPARE(zip.PackedCount(), 0);
        QCOMPARE(zip.SkippedFiles(), QStringList({in + "Huge.dat"}));
        QCOMPARE(readAll(in + "old.zip"), QByteArray("an earlier archive"));
        QCOMPARE(QDir(in).entryList(QDir::Files | QDir::Hidden).size(), 2); // no temporary left
    }

    void failedWritesLeaveNoArchiveBehind()
    {
        const QString in = folder("fail");
        writeAll(in + "Options.ini", "options");

        TZip zip;
        zip.Files() << in + "Options.ini";
        zip.SetArcName(in + "no such folder/a.zip");
        Events events;
        events.attach(zip);
        QString error;
        QVERIFY(!zip.Compress(&error));
        QCOMPARE(events.errors, QStringList({"Open output file error."}));
        QVERIFY2(error.startsWith("Не удалось создать архив " + in + "no such folder/a.zip: "),
                 qPrintable(error));

#ifdef KESTROLIN_HAVE_RLIMIT
        // A full disk, as the writer sees it: writes beyond a size limit fail.
        const QString big = in + "Big.dat";
        writeAll(big, randomBytes(200000, 3));
        const QString archive = in + "full.zip";
        writeAll(archive, "earlier archive");
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 65536;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        TZip full;
        full.Files() << in + "Options.ini" << big;
        full.SetArcName(archive);
        full.SetOverwrite(true);
        const bool written = full.Compress(&error);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY(!written);
        QVERIFY2(error.startsWith("Не удалось записать архив " + archive + ": "),
                 qPrintable(error));
        QCOMPARE(readAll(archive), QByteArray("earlier archive"));
        QStringList left = QDir(in).entryList(QDir::Files | QDir::Hidden);
        left.sort();
        QCOMPARE(left, QStringList({"Big.dat", "Options.ini", "full.zip"})); // no temporary left
#endif
    }
};

QTEST_GUILESS_MAIN(TestZip)
#include "tst_zip.moc"
