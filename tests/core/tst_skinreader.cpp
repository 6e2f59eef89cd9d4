#include "CoreSupport.h"
#include "skin/SkinReader.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <optional>

namespace {

using Entries = QList<QPair<QString, QByteArray>>;

QByteArray int32(qint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

// An archive written field by field, so the tests can put anything in it.
QByteArray rawArchive(qint32 format, const QByteArray& names, const QList<qint32>& sizes,
                      const QByteArray& data, std::optional<qint32> nameLength = std::nullopt)
{
    QByteArray a = int32(format) + int32(nameLength.value_or(qint32(names.size()))) + int32(0) +
                   int32(0) + names;
    for (qint32 s : sizes)
        a += int32(s);
    return a + data;
}

QByteArray compressed(const QByteArray& archive)
{
    return TSkinReader::CompressArchive(archive);
}

} // namespace

class TestSkinReader : public QObject
{
    Q_OBJECT

private slots:
    void entriesByNameAndByContainedText()
    {
        const Entries entries = {{"Skin.INI", "[A]\r\nx=1\r\n"},
                                 {"Title.bmp", "title bytes"},
                                 {"EMPTY.bmp", ""},
                                 {"title.bmp", "second title"},
                                 {QStringLiteral("BtnА.bmp"), "latin"}};
        TSkinReader reader;
        QString error;
        QCOMPARE(reader.LoadSkin(TSkinReader::BuildSkinFile(entries), &error),
                 TSkinReader::Status::Loaded);
        QCOMPARE(reader.Names(), QStringList({"skin.ini", "title.bmp", "empty.bmp", "title.bmp",
                                              QStringLiteral("btnА.bmp")}));
        QCOMPARE(reader.Sizes(), QList<qint32>({10, 11, 0, 12, 5}));
        QCOMPARE(reader.Header().size(), 16);
        for (int i = 0; i < entries.size(); ++i)
            QCOMPARE(reader.Entry(i), entries[i].second);

        // Names are asked for in any case; the first of two equal names wins.
        QCOMPARE(reader.FetchEntry("TITLE.BMP"), QByteArray("title bytes"));
        QCOMPARE(reader.FetchEntry("Skin.ini"), entries[0].second);
        QVERIFY(reader.FetchEntry("title").isEmpty());
        QVERIFY(reader.FetchEntry("missing.bmp").isEmpty());

        // Contained text is compared as given against the lowercased names.
        QString name;
        QCOMPARE(reader.FetchEntryContaining(".ini", &name), entries[0].second);
        QCOMPARE(name, QString("skin.ini"));
        QVERIFY(reader.FetchEntryContaining(".INI", &name).isEmpty());
        QCOMPARE(reader.FetchEntryContaining("tle", &name), QByteArray("title bytes"));
    }

    void nameLinesEndWithAnyBreak()
    {
        TSkinReader reader;
        const QByteArray names = "A\rB\nC\r\n\r\nE\r\n";
        QCOMPARE(reader.LoadArchive(rawArchive(20000, names, {1, 2, 3, 0, 4}, "abbcccdddd")),
                 TSkinReader::Status::Loaded);
        QCOMPARE(reader.Names(), QStringList({"a", "b", "c", "", "e"}));
        QCOMPARE(reader.FetchEntry("C"), QByteArray("ccc"));
        QCOMPARE(reader.FetchEntry("e"), QByteArray("dddd"));

        // No names at all is an empty archive, not an error; bytes after the entries are left.
        QCOMPARE(reader.LoadArchive(rawArchive(20000, "", {}, "tail")),
                 TSkinReader::Status::Loaded);
        QCOMPARE(reader.Count(), 0);
    }

    void olderFormatLoadsNothing()
    {
        TSkinReader reader;
        QVERIFY(reader.LoadSkin(TSkinReader::BuildSkinFile({{"a.ini", "[A]"}})) ==
                TSkinReader::Status::Loaded);
        QString error;
        const QByteArray older =
            TSkinReader::CompressArchive(TSkinReader::BuildArchive({{"a.ini", "[A]"}}, 19999));
        QCOMPARE(reader.LoadSkin(older, &error), TSkinReader::Status::OlderSkin);
        QCOMPARE(error, QString("This is Older Skin File\rPlease update to new version !"));
        QCOMPARE(reader.Count(), 0);
        QVERIFY(reader.FetchEntry("a.ini").isEmpty());
        // The format number alone decides, even when the rest is too short to read.
        QCOMPARE(reader.LoadArchive(int32(1)), TSkinReader::Status::OlderSkin);
    }

    void damagedFilesFailCleanly_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("reason");
        const QByteArray data = "0123456789";
        QTest::newRow("empty file") << QByteArray() << "короче";
        QTest::newRow("stored length of 4 GB")
            << int32(-1) + TSkinReader::BuildSkinFile({{"a.ini", "x"}}).mid(4) << "больше";
        QTest::newRow("stored length above the cap")
            << int32(65 * 1024 * 1024) + QByteArray(100, 'x') << "64 МБ";
        QTest::newRow("stored length the data cannot give")
            << int32(1000000) + QByteArray(100, '\x55') << "невозможна";
        QTest::newRow("archive shorter than its header")
            << compressed(int32(20000) + int32(0)) << "заголовка";
        QTest::newRow("negative name length")
            << compressed(rawArchive(20000, "a.ini", {10}, data, -5)) << "имён";
        QTest::newRow("name length past the end")
            << compressed(rawArchive(20000, "a.ini", {10}, data, 100000)) << "имён";
        QByteArray many;
        for (int i = 0; i < 1002; ++i)
            many += "e" + QByteArray::number(i) + "\n";
        QTest::newRow("1002 entries")
            << compressed(rawArchive(20000, many, QList<qint32>(1002, 0), "")) << "1001";
        QTest::newRow("size table past the end")
            << compressed(rawArchive(20000, "a\nb\nc\n", {1}, "")) << "таблица";
        QTest::newRow("sizes larger than the data")
            << compressed(rawArchive(20000, "a.ini\nb.bmp\n", {6, 5}, data)) << "b.bmp";
        QTest::newRow("negative size")
            << compressed(rawArchive(20000, "a.ini\nb.bmp\n", {-1, 2}, data)) << "a.ini";
        QTest::newRow("huge sizes that wrap around")
            << compressed(rawArchive(20000, "a\nb\n", {0x7FFFFFFF, 0x7FFFFFFF}, data)) << "a";
        QTest::newRow("compressed data cut short")
            << TSkinReader::BuildSkinFile({{"a.ini", QByteArray(5000, 'q') + data.repeated(300)}})
                   .left(40)
            << "повреждены";
    }

    void damagedFilesFailCleanly()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, reason);
        TSkinReader reader;
        QCOMPARE(reader.LoadSkin(TSkinReader::BuildSkinFile({{"old.ini", "[A]"}})),
                 TSkinReader::Status::Loaded);
        QString error;
        QCOMPARE(reader.LoadSkin(file, &error), TSkinReader::Status::Damaged);
        QVERIFY2(error.contains(reason), qPrintable(error));
        QCOMPARE(reader.Count(), 0); // nothing of the earlier skin or of the damaged one stays
    }

    void exactly1001EntriesLoad()
    {
        Entries entries;
        for (int i = 0; i < 1001; ++i)
            entries.append({QStringLiteral("e%1").arg(i), QByteArray::number(i)});
        TSkinReader reader;
        QCOMPARE(reader.LoadSkin(TSkinReader::BuildSkinFile(entries)), TSkinReader::Status::Loaded);
        QCOMPARE(reader.Count(), 1001);
        QCOMPARE(reader.FetchEntry("E1000"), QByteArray("1000"));
    }

    void packerOutputReadsBack()
    {
        const QString packer = QStringLiteral(KESTROLIN_BINARY_DIR "/bin/skinpack");
        QVERIFY2(QFile::exists(packer), "build the skinpack target first");
        QTemporaryDir dir;
        const QString in = dir.filePath("in");
        QVERIFY(QDir().mkpath(in));
        QRandomGenerator random(7);
        QByteArray noise(70000, Qt::Uninitialized);
        for (char& c : noise)
            c = char(random.bounded(256));
        const Entries files = {{"Back.bmp", noise},
                               {"Close.BMP", QByteArray(3000, '\x10')},
                               {"empty.bmp", QByteArray()},
                               {"zz.ini", "[TitlebarSkin]\r\nSkinName=Packed\r\n"}};
        for (const auto& [name, bytes] : files)
            writeAll(in + "/" + name, bytes);

        const QString skn = dir.filePath("packed.skn");
        QProcess process;
        process.start(packer, {"pack", in, skn});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 0);

        TSkinReader reader;
        QString error;
        QCOMPARE(reader.LoadSkin(readAll(skn), &error), TSkinReader::Status::Loaded);
        // The description goes first so that it is the one found; the rest by name.
        QCOMPARE(reader.Names(), QStringList({"zz.ini", "back.bmp", "close.bmp", "empty.bmp"}));
        QCOMPARE(reader.Entry(0), files[3].second);
        QCOMPARE(reader.Entry(1), noise);
        QCOMPARE(reader.Entry(2), files[1].second);
        QCOMPARE(reader.Entry(3), QByteArray());

        const QString out = dir.filePath("out");
        process.start(packer, {"unpack", skn, out});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(readAll(out + "/back.bmp"), noise);
        QCOMPARE(readAll(out + "/zz.ini"), files[3].second);

        // A damaged skin is reported, not unpacked.
        writeAll(dir.filePath("bad.skn"), int32(-1) + "xx");
        process.start(packer, {"unpack", dir.filePath("bad.skn"), dir.filePath("bad")});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 1);
        QVERIFY(!QFile::exists(dir.filePath("bad")));
    }
};

QTEST_GUILESS_MAIN(TestSkinReader)
#include "tst_skinreader.moc"
