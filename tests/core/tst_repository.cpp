#include "CoreSupport.h"
#include "images/Bmp.h"
#include "images/Repository.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <zlib.h>

namespace {

// A 16 x 16 (or other) picture of the given bit count with a pattern that depends on seed.
TBitmap picture(int bits, int seed, int size = 16)
{
    TBitmap bitmap;
    bitmap.BitsPerPixel = bits;
    if (bits <= 8) {
        bitmap.Image = QImage(size, size, QImage::Format_Indexed8);
        QList<QRgb> table;
        for (int i = 0; i < (1 << bits); ++i)
            table.append(qRgb((i * 37 + seed) & 0xFF, (i * 91) & 0xFF, (i * 13 + 7) & 0xFF));
        bitmap.Image.setColorTable(table);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                bitmap.Image.setPixel(x, y, uint((x * 3 + y * 5 + seed) % (1 << bits)));
        return bitmap;
    }
    const QImage::Format format = bits == 16   ? QImage::Format_RGB16
                                  : bits == 24 ? QImage::Format_BGR888
                                               : QImage::Format_ARGB32;
    bitmap.Image = QImage(size, size, format);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            bitmap.Image.setPixel(
                x, y, qRgba((x * 16 + seed) & 0xFF, (y * 16) & 0xFF, (x * y + seed) & 0xFF, 255));
    return bitmap;
}

QByteArray inflateAll(const QByteArray& packed)
{
    QByteArray out(16 * 1024 * 1024, '\0');
    uLongf size = uLongf(out.size());
    if (uncompress(reinterpret_cast<Bytef*>(out.data()), &size,
                   reinterpret_cast<const Bytef*>(packed.constData()),
                   uLong(packed.size())) != Z_OK)
        return {};
    out.truncate(qsizetype(size));
    return out;
}

QByteArray deflateAll(const QByteArray& content)
{
    uLongf size = compressBound(uLong(content.size()));
    QByteArray out(qsizetype(size), '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size,
              reinterpret_cast<const Bytef*>(content.constData()), uLong(content.size()), 9);
    out.truncate(qsizetype(size));
    return out;
}

// One record as the file holds it, with the given value in the next-record offset field.
QByteArray record(const QByteArray& name, const QByteArray& bmp, quint32 next)
{
    QByteArray field(256, '\0');
    field[0] = char(name.size());
    field.replace(1, name.size(), name);
    uchar offset[4];
    qToLittleEndian(next, offset);
    return field + QByteArray(reinterpret_cast<const char*>(offset), 4) + bmp;
}

// Five- and six-bit channels widen to eight bits in more than one accepted way.
bool sameColour(QRgb a, QRgb b, int tolerance)
{
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance &&
           qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}

// Deflates the parts as one stream with a full flush after each; returns the stream and the
// stream length at each flush, so a test can cut it just after a part.
QByteArray deflateParts(const QList<QByteArray>& parts, QList<qsizetype>* flushes = nullptr)
{
    z_stream stream{};
    deflateInit(&stream, 9);
    QByteArray packed;
    QByteArray out(1024 * 1024, '\0');
    const auto pump = [&](const QByteArray& in, int flush) {
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.constData()));
        stream.avail_in = uInt(in.size());
        do {
            stream.next_out = reinterpret_cast<Bytef*>(out.data());
            stream.avail_out = uInt(out.size());
            deflate(&stream, flush);
            packed.append(out.constData(), out.size() - qsizetype(stream.avail_out));
        } while (stream.avail_out == 0);
    };
    for (const QByteArray& part : parts) {
        pump(part, Z_FULL_FLUSH);
        if (flushes)
            flushes->append(packed.size());
    }
    pump(QByteArray(), Z_FINISH);
    deflateEnd(&stream);
    return packed;
}

} // namespace

class TestRepository : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath(QStringLiteral("PagesImages.dat")); }

private slots:
    void init()
    {
        QFile::remove(path());
        QFile::remove(path() + QStringLiteral(".bak"));
    }

    void saveThenLoadKeepsNamesPicturesAndOrder()
    {
        const QList<int> bits{1, 4, 8, 16, 24, 32};
        {
            TRepository repository(path());
            for (int i = 0; i < bits.size(); ++i)
                QVERIFY(repository.AddImage(QStringLiteral("Рисунок %1").arg(bits[i]),
                                            picture(bits[i], i)));
            QVERIFY(repository.Save());
        }
        const QByteArray file = readAll(path());
        // zlib header of the best compression level
        QCOMPARE(quint8(file[0]), quint8(0x78));
        QCOMPARE(quint8(file[1]), quint8(0xDA));

        TRepository loaded(path());
        QVERIFY(loaded.Load());
        QCOMPARE(loaded.Count(), int(bits.size()));
        for (int i = 0; i < bits.size(); ++i) {
            const TRepositoryItem* item = loaded.Images(i);
            QCOMPARE(item->Name, QStringLiteral("Рисунок %1").arg(bits[i]));
            QCOMPARE(item->Bitmap.BitsPerPixel, bits[i]);
            QVERIFY(item->Bitmap == picture(bits[i], i));
        }
        QCOMPARE(loaded.Images(int(bits.size())), nullptr);
        QCOMPARE(loaded.Images(-1), nullptr);
    }

    void savedFileHoldsTrueNextRecordOffsetsAndReaderIgnoresThem()
    {
        TRepository repository(path());
        repository.AddImage(QStringLiteral("a"), picture(8, 1));
        repository.AddImage(QStringLiteral("bb"), picture(24, 2));
        repository.AddImage(QStringLiteral("ccc"), picture(1, 3));
        QVERIFY(repository.Save());
        QByteArray content = inflateAll(readAll(path()));
        QCOMPARE(content, repository.Content());

        qsizetype pos = 0;
        QList<qsizetype> fields;
        while (pos < content.size()) {
            QVERIFY(content.mid(pos + 260, 2) == "BM");
            const quint32 bmpSize = qFromLittleEndian<quint32>(content.constData() + pos + 262);
            const quint32 next = qFromLittleEndian<quint32>(content.constData() + pos + 256);
            QCOMPARE(qsizetype(next), pos + 260 + qsizetype(bmpSize));
            fields.append(pos + 256);
            pos = next;
        }
        QCOMPARE(pos, content.size());
        QCOMPARE(fields.size(), 3);

        // Any value in the field still loads.
        for (qsizetype field : fields)
            qToLittleEndian(quint32(0xDEADBEEF), content.data() + field);
        writeAll(path(), deflateAll(content));
        TRepository loaded(path());
        QVERIFY(loaded.Load());
        QCOMPARE(loaded.Count(), 3);
        QCOMPARE(loaded.Images(2)->Name, QStringLiteral("ccc"));
    }

    void namesDifferingOnlyInCaseAreTheSame()
    {
        TRepository repository(path());
        QVERIFY(repository.AddImage(QStringLiteral("Дом"), picture(8, 0)));
        QVERIFY(repository.AddImage(QStringLiteral("Home"), picture(8, 1)));
        QCOMPARE(repository.AddImage(QStringLiteral("дОМ"), picture(8, 2)), nullptr);
        QCOMPARE(repository.AddImage(QStringLiteral("HOME"), picture(8, 2)), nullptr);
        QCOMPARE(repository.IndexOfName(QStringLiteral("ДОМ")), 0);
        QCOMPARE(repository.IndexOfName(QStringLiteral("home")), 1);
        QCOMPARE(repository.IndexOfName(QStringLiteral("Сад")), -1);

        // Renaming to its own name in other case is a rename; onto another's name it is not.
        repository.RenameImage(QStringLiteral("дом"), QStringLiteral("ДОМ"));
        QCOMPARE(repository.Images(0)->Name, QStringLiteral("ДОМ"));
        repository.RenameImage(QStringLiteral("Home"), QStringLiteral("дом"));
        QCOMPARE(repository.Images(1)->Name, QStringLiteral("Home"));
        QCOMPARE(repository.Count(), 2);

        // A file holding both spellings loads the first only.
        const QByteArray bmp = Bmp::write(picture(4, 0));
        writeAll(path(), deflateAll(record("Tree", bmp, 0) + record("TREE", bmp, 0)));
        TRepository loaded(path());
        QVERIFY(loaded.Load());
        QCOMPARE(loaded.Count(), 1);
        QCOMPARE(loaded.Images(0)->Name, QStringLiteral("Tree"));
    }

    void longNamesAreCutTo255Characters()
    {
        const QString exact = QString(254, u'Ж') + u'я';
        const QString longer = QString(300, u'x');
        {
            TRepository repository(path());
            QVERIFY(repository.AddImage(exact, picture(8, 0)));
            QVERIFY(repository.AddImage(longer, picture(8, 1)));
            QCOMPARE(repository.Images(1)->Name, QString(255, u'x'));
            QCOMPARE(repository.IndexOfName(QString(255, u'x')), 1);
            // Characters the file's code page lacks cannot survive; they show as "?" at once.
            QVERIFY(repository.AddImage(QStringLiteral("漢字 ✓"), picture(8, 2)));
            QCOMPARE(repository.Images(2)->Name, QStringLiteral("?? ?"));
            repository.RenameImage(QStringLiteral("?? ?"), QString(400, u'Ё'));
            QCOMPARE(repository.Images(2)->Name, QString(255, u'Ё'));
            QVERIFY(repository.Save());
        }
        TRepository loaded(path());
        QVERIFY(loaded.Load());
        QCOMPARE(loaded.Count(), 3);
        QCOMPARE(loaded.Images(0)->Name, exact);
        QCOMPARE(loaded.Images(1)->Name, QString(255, u'x'));
        QCOMPARE(loaded.Images(2)->Name, QString(255, u'Ё'));
        // One byte per character in the name field.
        const QByteArray content = inflateAll(readAll(path()));
        QCOMPARE(quint8(content[0]), quint8(255));
    }

    void deletingImages()
    {
        {
            TRepository repository(path());
            repository.AddImage(QStringLiteral("one"), picture(8, 1));
            repository.AddImage(QStringLiteral("two"), picture(8, 2));
            repository.AddImage(QStringLiteral("three"), picture(8, 3));
            QVERIFY(repository.Save());
        }
        {
            // The second of three: the third moves up to place 1.
            TRepository repository(path());
            QVERIFY(repository.Load());
            repository.DeleteImage(QStringLiteral("TWO"));
            repository.DeleteImage(QStringLiteral("missing"));
            QCOMPARE(repository.Count(), 2);
            QCOMPARE(repository.Images(1)->Name, QStringLiteral("three"));
            QVERIFY(repository.Images(1)->Bitmap == picture(8, 3));
            QCOMPARE(repository.Images(2), nullptr);
            QCOMPARE(repository.IndexOfName(QStringLiteral("two")), -1);
            QVERIFY(repository.Save());
        }
        {
            TRepository repository(path());
            QVERIFY(repository.Load());
            QCOMPARE(repository.Count(), 2);
            repository.DeleteImage(QStringLiteral("one"));
            repository.DeleteImage(QStringLiteral("three"));
            QCOMPARE(repository.Count(), 0);
            QVERIFY(repository.Save());
        }
        QVERIFY(!QFile::exists(path()));
        TRepository empty(path());
        QVERIFY(empty.Load());
        QCOMPARE(empty.Count(), 0);
    }

    void wrongSizesAreRefusedAndSkippedOnLoad()
    {
        TRepository repository(path());
        QCOMPARE(repository.AddImage(QStringLiteral("big"), picture(24, 0, 32)), nullptr);
        QCOMPARE(repository.AddImage(QStringLiteral("none"), TBitmap()), nullptr);
        QCOMPARE(repository.Count(), 0);

        const QByteArray small = Bmp::write(picture(24, 1));
        const QByteArray big = Bmp::write(picture(24, 2, 32));
        writeAll(path(), deflateAll(record("first", small, 0) + record("big", big, 0) +
                                    record("last", small, 0)));
        TRepository loaded(path());
        QVERIFY(loaded.Load());
        QCOMPARE(loaded.Count(), 2);
        QCOMPARE(loaded.Images(0)->Name, QStringLiteral("first"));
        QCOMPARE(loaded.Images(1)->Name, QStringLiteral("last"));
        QCOMPARE(loaded.IndexOfName(QStringLiteral("big")), -1);
    }

    void damagedFilesKeepWhatCouldBeRead()
    {
        const QByteArray bmp = Bmp::write(picture(8, 1));
        const QByteArray good = record("one", bmp, 0) + record("two", bmp, 0);

        // Cut short in the middle of the third record.
        QList<qsizetype> flushes;
        QByteArray truncated = deflateParts({good, record("three", bmp, 0)}, &flushes);
        truncated.truncate(flushes[0] + 20);
        writeAll(path(), truncated);
        QString error;
        TRepository cut(path());
        QVERIFY(!cut.Load(&error));
        QVERIFY(!error.isEmpty());
        QVERIFY(cut.Damaged());
        QCOMPARE(cut.Count(), 2);
        QCOMPARE(readAll(path()), truncated);

        // Not zlib at all.
        writeAll(path(), "BM this is no compressed data");
        TRepository garbage(path());
        QVERIFY(!garbage.Load());
        QCOMPARE(garbage.Count(), 0);

        // A picture whose header claims a huge size, after a good record.
        QByteArray huge = bmp;
        qToLittleEndian(qint32(60000), huge.data() + 18);
        qToLittleEndian(qint32(60000), huge.data() + 22);
        TRepository claims(path());
        QVERIFY(!claims.LoadFromContent(record("one", bmp, 0) + record("huge", huge, 0)));
        QCOMPARE(claims.Count(), 1);

        // A picture whose header says it is longer than the data that is left.
        QByteArray lying = Bmp::write(picture(24, 2));
        TRepository lies(path());
        QVERIFY(!lies.LoadFromContent(record("one", bmp, 0) + record("two", lying.left(300), 0)));
        QCOMPARE(lies.Count(), 1);
        // ... and a pixel offset pointing into the headers.
        qToLittleEndian(quint32(20), lying.data() + 10);
        TRepository overlap(path());
        QVERIFY(!overlap.LoadFromContent(record("x", lying, 0)));
        QCOMPARE(overlap.Count(), 0);
    }

    void inflatingStopsAtTheBound()
    {
        // One good record followed by 80 MB of zeros, packed into a small file.
        QByteArray head = record("one", Bmp::write(picture(8, 1)), 0);
        QList<QByteArray> parts{head};
        for (int i = 0; i < 80; ++i)
            parts.append(QByteArray(1024 * 1024, '\0'));
        const QByteArray packed = deflateParts(parts);
        QVERIFY(packed.size() < 200 * 1024);
        writeAll(path(), packed);

        TRepository bomb(path());
        QString error;
        QVERIFY(!bomb.Load(&error));
        QVERIFY2(error.contains(QStringLiteral("64")), qPrintable(error));
        QCOMPARE(bomb.Count(), 1);
        QCOMPARE(bomb.Images(0)->Name, QStringLiteral("one"));
    }

    void savingOverDamagedFileKeepsItAsBackup()
    {
        QByteArray truncated = deflateAll(record("one", Bmp::write(picture(8, 1)), 0));
        truncated.chop(3);
        writeAll(path(), truncated);
        TRepository repository(path());
        QVERIFY(!repository.Load());
        QCOMPARE(repository.Count(), 1);
        QVERIFY(repository.Save());
        QCOMPARE(readAll(path() + QStringLiteral(".bak")), truncated);
        TRepository reloaded(path());
        QVERIFY(reloaded.Load());
        QCOMPARE(reloaded.Count(), 1);
    }

    void bmpFilesAgreeWithAnIndependentReader()
    {
        // Qt's own BMP decoder reads what we write, pixel for pixel.
        for (int bits : {1, 4, 8, 16, 24, 32}) {
            const TBitmap bitmap = picture(bits, 5, 13);
            const QByteArray file = Bmp::write(bitmap);
            const QImage theirs = QImage::fromData(file, "BMP");
            QVERIFY2(!theirs.isNull(), qPrintable(QString::number(bits)));
            QCOMPARE(theirs.size(), QSize(13, 13));
            for (int y = 0; y < 13; ++y)
                for (int x = 0; x < 13; ++x)
                    QVERIFY2(
                        sameColour(theirs.pixel(x, y), bitmap.Image.pixel(x, y),
                                   bits == 16 ? 8 : 0),
                        qPrintable(QStringLiteral("%1 bits at %2,%3").arg(bits).arg(x).arg(y)));
            TBitmap back;
            qsizetype used = 0;
            QVERIFY(Bmp::read(file + "trailing", &back, &used));
            QCOMPARE(used, file.size());
            QVERIFY(back == bitmap);
        }
        // And we read what Qt writes, including a 5-5-5 picture.
        QImage image(7, 5, QImage::Format_RGB32);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x)
                image.setPixel(x, y, qRgb(x * 30, y * 50, 200));
        QByteArray written;
        QBuffer buffer(&written);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(image.save(&buffer, "BMP"));
        TBitmap read;
        QVERIFY(Bmp::read(written, &read));
        QCOMPARE(read.displayImage().convertToFormat(QImage::Format_RGB32), image);
        TBitmap rgb555 = TBitmap::fromImage(image.convertToFormat(QImage::Format_RGB555));
        QCOMPARE(rgb555.BitsPerPixel, 16);
        TBitmap back;
        QVERIFY(Bmp::read(Bmp::write(rgb555), &back));
        QCOMPARE(back.Image.format(), QImage::Format_RGB555);
        QVERIFY(back == rgb555);
    }

    void bmpTopDownAndShortColourTables()
    {
        TBitmap bitmap = picture(8, 3, 4);
        QByteArray file = Bmp::write(bitmap);
        // Flip to a top-down file by hand: negative height, rows in the other order.
        QByteArray topDown = file.left(54 + 1024);
        qToLittleEndian(qint32(-4), topDown.data() + 22);
        for (int row = 3; row >= 0; --row)
            topDown += file.mid(54 + 1024 + row * 4, 4);
        TBitmap read;
        QVERIFY(Bmp::read(topDown, &read));
        QVERIFY(read == bitmap);

        // A colour table of two entries for an 8-bit picture: other indices show black.
        QByteArray shortTable = file.left(54) + file.mid(54, 8) + file.mid(54 + 1024);
        qToLittleEndian(quint32(2), shortTable.data() + 46);
        qToLittleEndian(quint32(54 + 8), shortTable.data() + 10);
        QVERIFY(Bmp::read(shortTable, &read));
        QCOMPARE(read.Image.colorCount(), 256);
        QCOMPARE(read.Image.color(200), qRgb(0, 0, 0));

        // Compressed pictures are refused, not misread.
        QByteArray rle = file;
        qToLittleEndian(quint32(1), rle.data() + 30);
        QString error;
        QVERIFY(!Bmp::read(rle, &read, nullptr, &error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestRepository)
#include "tst_repository.moc"
