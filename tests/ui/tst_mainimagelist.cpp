#include "images/MainImageList.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QMenu>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cstdlib>

namespace {

QImage imageAt(int index, int size)
{
    return MainImage(index)
        .pixmap(QSize(size, size), 1.0)
        .toImage()
        .convertToFormat(QImage::Format_ARGB32);
}

int differingPixels(const QImage& a, const QImage& b)
{
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            const int most =
                std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                          std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
            count += most > 2;
        }
    }
    return count;
}

int opaquePixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) > 128;
    return count;
}

} // namespace

class TestMainImageList : public QObject
{
    Q_OBJECT

private slots:
    void everyNumberHasItsOwnPicture()
    {
        QCOMPARE(MainImageCount, 22);
        QSet<QByteArray> seen;
        for (int i = 0; i < MainImageCount; ++i) {
            const QIcon icon = MainImage(i);
            QVERIFY2(!icon.isNull(), qPrintable(QString::number(i)));
            const QImage small = imageAt(i, 16);
            QCOMPARE(small.size(), QSize(16, 16));
            // A picture, not a blank or a blot: some pixels drawn, some left clear.
            const int drawn = opaquePixels(small);
            QVERIFY2(drawn > 40 && drawn < 256, qPrintable(QString::number(i)));
            const QByteArray bytes(reinterpret_cast<const char*>(small.constBits()),
                                   small.sizeInBytes());
            QVERIFY2(!seen.contains(bytes), qPrintable(QString("picture %1 repeats").arg(i)));
            seen.insert(bytes);
        }
    }

    void highDensityVariantIsDrawnNotScaled()
    {
        for (int i = 0; i < MainImageCount; ++i) {
            const QList<QSize> sizes = MainImage(i).availableSizes();
            QVERIFY2(sizes.contains(QSize(16, 16)) && sizes.contains(QSize(32, 32)),
                     qPrintable(QString::number(i)));
            const QImage large = imageAt(i, 32);
            QCOMPARE(large.size(), QSize(32, 32));
            // A blown-up 16 px picture would repeat every pixel in 2 x 2 blocks.
            const QImage blownUp = imageAt(i, 16).scaled(32, 32);
            QVERIFY2(large != blownUp, qPrintable(QString::number(i)));
        }
    }

    void numbersOutsideTheListGiveNoPicture()
    {
        QVERIFY(MainImage(-1).isNull());
        QVERIFY(MainImage(MainImageCount).isNull());
        QVERIFY(MainImage(1000).isNull());
    }

    void committedPicturesMatchTheirGenerator()
    {
        // The PNGs in the resources are drawn by tools/actionimages; a drawing changed without
        // regenerating them would silently ship the old pictures.
        const QString tool = QStringLiteral(KESTROLIN_BINARY_DIR "/bin/actionimages");
        if (!QFileInfo::exists(tool))
            QSKIP("the actionimages tool is not built");
        MainImage(0); // registers the resource
        QTemporaryDir out;
        QVERIFY(out.isValid());
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(environment);
        process.start(tool, {out.path()});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 0);
        for (int size : {16, 32}) {
            for (int i = 0; i < MainImageCount; ++i) {
                const QString name =
                    QStringLiteral("%1/%2.png").arg(size).arg(i, 2, 10, QChar('0'));
                const QImage drawn =
                    QImage(QDir(out.path()).filePath(name)).convertToFormat(QImage::Format_ARGB32);
                const QImage shipped = QImage(QStringLiteral(":/actions/") + name)
                                           .convertToFormat(QImage::Format_ARGB32);
                QVERIFY2(!drawn.isNull() && drawn.size() == shipped.size(), qPrintable(name));
                // Anti-aliased edges come out a shade apart on other processors; a changed
                // drawing moves far more than a few edge pixels.
                QVERIFY2(differingPixels(drawn, shipped) <= std::max(8, size * size / 40),
                         qPrintable(name));
            }
        }
    }
};

QTEST_MAIN(TestMainImageList)
#include "tst_mainimagelist.moc"
