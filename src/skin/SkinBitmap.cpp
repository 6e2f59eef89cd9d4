#include "skin/SkinBitmap.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>

namespace {

template <typename V> V at(const QByteArray& bytes, qsizetype offset)
{
    return qFromLittleEndian<V>(bytes.constData() + offset);
}

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

} // namespace

bool SkinBitmap::checkHeader(const QByteArray& bytes, QSize* size, QString* error)
{
    constexpr qint64 FileHeader = 14;
    const qint64 total = bytes.size();
    if (total < FileHeader + 12 || bytes[0] != 'B' || bytes[1] != 'M')
        return fail(error, QStringLiteral("это не рисунок BMP"));
    const quint32 infoSize = at<quint32>(bytes, 14);
    if (infoSize != 12 && (infoSize < 40 || infoSize > 124 || FileHeader + infoSize > total))
        return fail(error, QStringLiteral("неизвестный заголовок рисунка BMP"));

    qint64 width, height;
    int planes, depth;
    quint32 compression = 0;
    if (infoSize == 12) {
        width = at<quint16>(bytes, 18);
        height = at<quint16>(bytes, 20);
        planes = at<quint16>(bytes, 22);
        depth = at<quint16>(bytes, 24);
    } else {
        width = at<qint32>(bytes, 18);
        height = at<qint32>(bytes, 22);
        planes = at<quint16>(bytes, 26);
        depth = at<quint16>(bytes, 28);
        compression = at<quint32>(bytes, 30);
    }
    if (height < 0)
        height = -height; // top-down rows
    if (planes != 1 ||
        (depth != 1 && depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32))
        return fail(error, QStringLiteral("неверная глубина цвета рисунка BMP"));
    if (width <= 0 || height <= 0 || width > MaxSide || height > MaxSide ||
        width * height > MaxPixels)
        return fail(
            error,
            QStringLiteral("недопустимый размер рисунка BMP %1 x %2").arg(width).arg(height));

    const qint64 headersEnd = FileHeader + infoSize;
    const qint64 available = total - headersEnd;
    switch (compression) {
    case 0: // plain rows
    case 3: // rows with bit-field masks
    {
        if (compression == 3 && depth != 16 && depth != 32)
            return fail(error, QStringLiteral("неверное сжатие рисунка BMP"));
        const qint64 stride = (width * depth + 31) / 32 * 4;
        if (stride * height > available)
            return fail(error, QStringLiteral("рисунок BMP %1 x %2 короче, чем его заголовок "
                                              "обещает")
                                   .arg(width)
                                   .arg(height));
        break;
    }
    case 1: // run-length coded, 8 bits
    case 2: // run-length coded, 4 bits
        // A two-byte run gives at most 255 pixels; allow for skipped areas, but not for a
        // picture out of all proportion to its data.
        if ((compression == 1 && depth != 8) || (compression == 2 && depth != 4))
            return fail(error, QStringLiteral("неверное сжатие рисунка BMP"));
        if (width * height > available * 256)
            return fail(error, QStringLiteral("рисунок BMP %1 x %2 короче, чем его заголовок "
                                              "обещает")
                                   .arg(width)
                                   .arg(height));
        break;
    default:
        return fail(error, QStringLiteral("неизвестное сжатие рисунка BMP"));
    }
    if (size)
        *size = QSize(int(width), int(height));
    return true;
}

QImage SkinBitmap::decode(const QByteArray& bytes, QString* error)
{
    if (!checkHeader(bytes, nullptr, error))
        return {};
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    QImage image = reader.read();
    if (image.isNull())
        fail(error, QStringLiteral("рисунок BMP не читается"));
    return image;
}
