#include "images/Bmp.h"

#include <QFile>
#include <QtEndian>

#include <cstring>

namespace {

constexpr int FileHeaderSize = 14;
constexpr int CoreHeaderSize = 12;
constexpr int InfoHeaderSize = 40;
constexpr quint32 BI_RGB = 0;
constexpr quint32 BI_BITFIELDS = 3;
constexpr quint32 BI_ALPHABITFIELDS = 6;

quint16 u16(const uchar* p)
{
    return qFromLittleEndian<quint16>(p);
}
quint32 u32(const uchar* p)
{
    return qFromLittleEndian<quint32>(p);
}
qint32 i32(const uchar* p)
{
    return qFromLittleEndian<qint32>(p);
}

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

qint64 rowStride(qint64 width, int bits)
{
    return ((width * bits + 31) / 32) * 4;
}

// Decodes one channel given by a bit mask into 0..255.
struct MaskChannel
{
    quint32 mask = 0;
    int shift = 0;
    int bits = 0;

    explicit MaskChannel(quint32 m) : mask(m)
    {
        if (!mask)
            return;
        while (!((mask >> shift) & 1))
            ++shift;
        while (bits < 32 - shift && ((mask >> (shift + bits)) & 1))
            ++bits;
    }
    int value(quint32 pixel) const
    {
        if (!bits)
            return 0;
        const quint32 raw = (pixel & mask) >> shift;
        const quint32 max = bits >= 32 ? 0xFFFFFFFFu : ((1u << bits) - 1);
        return int(qMin<quint64>(255, (quint64(raw) * 255 + max / 2) / max));
    }
};

void appendU16(QByteArray& out, quint16 v)
{
    uchar b[2];
    qToLittleEndian(v, b);
    out.append(reinterpret_cast<const char*>(b), 2);
}

void appendU32(QByteArray& out, quint32 v)
{
    uchar b[4];
    qToLittleEndian(v, b);
    out.append(reinterpret_cast<const char*>(b), 4);
}

} // namespace

TBitmap TBitmap::fromImage(const QImage& image)
{
    TBitmap result;
    if (image.isNull())
        return result;
    switch (image.format()) {
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
    case QImage::Format_Indexed8: {
        result.Image = image.convertToFormat(QImage::Format_Indexed8);
        const int colors = result.Image.colorCount();
        result.BitsPerPixel = colors <= 2 ? 1 : colors <= 16 ? 4 : 8;
        QList<QRgb> table = result.Image.colorTable();
        table.resize(1 << result.BitsPerPixel, qRgb(0, 0, 0));
        result.Image.setColorTable(table);
        break;
    }
    case QImage::Format_RGB555:
    case QImage::Format_RGB16:
        result.Image = image;
        result.BitsPerPixel = 16;
        break;
    case QImage::Format_RGB888:
    case QImage::Format_BGR888:
    case QImage::Format_RGB32:
        result.Image = image.convertToFormat(QImage::Format_BGR888);
        result.BitsPerPixel = 24;
        break;
    default:
        result.Image = image.convertToFormat(QImage::Format_ARGB32);
        result.BitsPerPixel = 32;
        break;
    }
    return result;
}

QImage TBitmap::displayImage() const
{
    if (BitsPerPixel != 32 || Image.isNull())
        return Image;
    for (int y = 0; y < Image.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(Image.constScanLine(y));
        for (int x = 0; x < Image.width(); ++x)
            if (qAlpha(line[x]))
                return Image;
    }
    return Image.convertToFormat(QImage::Format_RGB32);
}

QImage TBitmap::maskedImage(QRgb transparent) const
{
    QImage result = displayImage().convertToFormat(QImage::Format_ARGB32);
    const QRgb key = transparent & 0xFFFFFF;
    for (int y = 0; y < result.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x)
            if ((line[x] & 0xFFFFFF) == key)
                line[x] = 0;
    }
    return result;
}

QRgb TBitmap::bottomLeftColor() const
{
    if (Image.isNull())
        return qRgb(0, 0, 0);
    return displayImage().pixel(0, Image.height() - 1);
}

bool TBitmap::operator==(const TBitmap& other) const
{
    return BitsPerPixel == other.BitsPerPixel && Image == other.Image;
}

namespace Bmp {

bool read(QByteArrayView data, TBitmap* bitmap, qsizetype* consumed, QString* error)
{
    const auto* bytes = reinterpret_cast<const uchar*>(data.data());
    const qint64 size = data.size();
    if (size < FileHeaderSize + CoreHeaderSize || bytes[0] != 'B' || bytes[1] != 'M')
        return fail(error, QStringLiteral("это не рисунок BMP"));
    const quint32 offBits = u32(bytes + 10);
    const quint32 headerSize = u32(bytes + 14);
    if (headerSize != CoreHeaderSize && (headerSize < InfoHeaderSize || headerSize > 4096))
        return fail(error, QStringLiteral("неизвестный заголовок BMP"));
    if (FileHeaderSize + qint64(headerSize) > size)
        return fail(error, QStringLiteral("файл BMP обрывается в заголовке"));

    const uchar* h = bytes + FileHeaderSize;
    qint64 width = 0;
    qint64 height = 0;
    int bits = 0;
    quint32 compression = BI_RGB;
    quint32 colorsUsed = 0;
    int paletteEntrySize = 4;
    quint32 masks[4] = {0, 0, 0, 0};
    bool hasMasks = false;
    qint64 pos = FileHeaderSize + headerSize;
    if (headerSize == CoreHeaderSize) {
        width = u16(h + 4);
        height = u16(h + 6);
        if (u16(h + 8) != 1)
            return fail(error, QStringLiteral("неверное число плоскостей BMP"));
        bits = u16(h + 10);
        paletteEntrySize = 3;
    } else {
        width = i32(h + 4);
        height = i32(h + 8);
        if (u16(h + 12) != 1)
            return fail(error, QStringLiteral("неверное число плоскостей BMP"));
        bits = u16(h + 14);
        compression = u32(h + 16);
        colorsUsed = u32(h + 32);
        if (compression == BI_BITFIELDS || compression == BI_ALPHABITFIELDS) {
            const int count = compression == BI_ALPHABITFIELDS ? 4 : 3;
            // Newer headers hold the masks; the 40-byte one is followed by them.
            const bool inHeader = headerSize >= quint32(InfoHeaderSize + 4 * count);
            const uchar* m = inHeader ? h + InfoHeaderSize : bytes + pos;
            if (!inHeader) {
                if (pos + 4 * count > size)
                    return fail(error, QStringLiteral("файл BMP обрывается в масках цветов"));
                pos += 4 * count;
            }
            for (int i = 0; i < count; ++i)
                masks[i] = u32(m + 4 * i);
            if (count == 3 && headerSize >= InfoHeaderSize + 16)
                masks[3] = u32(h + InfoHeaderSize + 12);
            hasMasks = true;
        } else if (compression != BI_RGB) {
            return fail(error, QStringLiteral("сжатые рисунки BMP не поддерживаются"));
        }
    }
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return fail(error, QStringLiteral("неподдерживаемая глубина цвета BMP: %1").arg(bits));
    if (hasMasks && bits != 16 && bits != 32)
        return fail(error, QStringLiteral("маски цветов при глубине %1 бит").arg(bits));
    const bool bottomUp = height > 0;
    height = qAbs(height);
    if (width <= 0 || height <= 0 || width > 65535 || height > 65535 || width * height > MaxPixels)
        return fail(error, QStringLiteral("недопустимый размер рисунка BMP"));

    QList<QRgb> table;
    if (bits <= 8) {
        const qint64 maxColors = qint64(1) << bits;
        const qint64 colors = colorsUsed == 0 ? maxColors : qMin<qint64>(colorsUsed, maxColors);
        if (pos + colors * paletteEntrySize > size)
            return fail(error, QStringLiteral("файл BMP обрывается в таблице цветов"));
        table.reserve(maxColors);
        for (qint64 i = 0; i < colors; ++i) {
            const uchar* c = bytes + pos + i * paletteEntrySize;
            table.append(qRgb(c[2], c[1], c[0]));
        }
        // Indices beyond a short colour table show black instead of reading past it.
        table.resize(maxColors, qRgb(0, 0, 0));
        // Some writers state fewer colours than they store; the pixel offset tells the truth.
        pos += colors * paletteEntrySize;
    }
    qint64 pixelsAt = offBits;
    if (offBits == 0)
        pixelsAt = pos;
    else if (pixelsAt < pos)
        return fail(error, QStringLiteral("пиксели BMP пересекаются с заголовком"));
    const qint64 stride = rowStride(width, bits);
    const qint64 end = pixelsAt + stride * height;
    if (end > size)
        return fail(error, QStringLiteral("файл BMP короче, чем требует его заголовок"));

    QImage::Format format = QImage::Format_Indexed8;
    MaskChannel r(0), g(0), b(0), a(0);
    bool generic = false;
    if (bits == 16) {
        if (!hasMasks) {
            masks[0] = 0x7C00;
            masks[1] = 0x03E0;
            masks[2] = 0x001F;
        }
        if (masks[0] == 0x7C00 && masks[1] == 0x03E0 && masks[2] == 0x001F && !masks[3])
            format = QImage::Format_RGB555;
        else if (masks[0] == 0xF800 && masks[1] == 0x07E0 && masks[2] == 0x001F && !masks[3])
            format = QImage::Format_RGB16;
        else
            generic = true;
    } else if (bits == 24) {
        format = QImage::Format_BGR888;
    } else if (bits == 32) {
        format = QImage::Format_ARGB32;
        if (hasMasks && !(masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF &&
                          (masks[3] == 0 || masks[3] == 0xFF000000u)))
            generic = true;
    }
    if (generic) {
        format = QImage::Format_ARGB32;
        r = MaskChannel(masks[0]);
        g = MaskChannel(masks[1]);
        b = MaskChannel(masks[2]);
        a = MaskChannel(masks[3]);
    }

    QImage image(int(width), int(height), format);
    if (image.isNull())
        return fail(error, QStringLiteral("недостаточно памяти для рисунка BMP"));
    if (bits <= 8)
        image.setColorTable(table);
    for (qint64 row = 0; row < height; ++row) {
        const uchar* src = bytes + pixelsAt + row * stride;
        uchar* dst = image.scanLine(int(bottomUp ? height - 1 - row : row));
        switch (bits) {
        case 1:
            for (qint64 x = 0; x < width; ++x)
                dst[x] = (src[x >> 3] >> (7 - (x & 7))) & 1;
            break;
        case 4:
            for (qint64 x = 0; x < width; ++x)
                dst[x] = (x & 1) ? (src[x >> 1] & 0x0F) : (src[x >> 1] >> 4);
            break;
        case 8:
        case 24:
            std::memcpy(dst, src, size_t(width * (bits / 8)));
            break;
        case 16:
            for (qint64 x = 0; x < width; ++x) {
                const quint16 v = u16(src + 2 * x);
                if (generic) {
                    reinterpret_cast<QRgb*>(dst)[x] =
                        qRgba(r.value(v), g.value(v), b.value(v), masks[3] ? a.value(v) : 255);
                } else {
                    reinterpret_cast<quint16*>(dst)[x] = v;
                }
            }
            break;
        case 32:
            for (qint64 x = 0; x < width; ++x) {
                const quint32 v = u32(src + 4 * x);
                reinterpret_cast<QRgb*>(dst)[x] =
                    generic ? qRgba(r.value(v), g.value(v), b.value(v), masks[3] ? a.value(v) : 255)
                            : QRgb(v);
            }
            break;
        }
    }
    if (bitmap) {
        bitmap->Image = image;
        bitmap->BitsPerPixel = generic ? 32 : bits;
    }
    if (consumed)
        *consumed = qsizetype(end);
    return true;
}

QByteArray write(const TBitmap& bitmap)
{
    if (bitmap.isNull())
        return {};
    int bits = bitmap.BitsPerPixel;
    QImage image = bitmap.Image;
    switch (bits) {
    case 1:
    case 4:
    case 8:
        if (image.format() != QImage::Format_Indexed8)
            image = image.convertToFormat(QImage::Format_Indexed8);
        break;
    case 16:
        if (image.format() != QImage::Format_RGB555 && image.format() != QImage::Format_RGB16)
            image = image.convertToFormat(QImage::Format_RGB16);
        break;
    case 24:
        image = image.convertToFormat(QImage::Format_BGR888);
        break;
    default:
        bits = 32;
        image = image.convertToFormat(QImage::Format_ARGB32);
        break;
    }
    const bool masks = image.format() == QImage::Format_RGB16;
    const qint64 width = image.width();
    const qint64 height = image.height();
    const qint64 stride = rowStride(width, bits);
    const int colors = bits <= 8 ? 1 << bits : 0;
    const quint32 offBits = FileHeaderSize + InfoHeaderSize + colors * 4 + (masks ? 12 : 0);
    const quint32 fileSize = quint32(offBits + stride * height);

    QByteArray out;
    out.reserve(fileSize);
    out.append("BM", 2);
    appendU32(out, fileSize);
    appendU32(out, 0);
    appendU32(out, offBits);
    appendU32(out, InfoHeaderSize);
    appendU32(out, quint32(width));
    appendU32(out, quint32(height));
    appendU16(out, 1);
    appendU16(out, quint16(bits));
    appendU32(out, masks ? BI_BITFIELDS : BI_RGB);
    appendU32(out, quint32(stride * height));
    appendU32(out, 3780); // 96 dots per inch
    appendU32(out, 3780);
    appendU32(out, 0);
    appendU32(out, 0);
    if (masks) {
        appendU32(out, 0xF800);
        appendU32(out, 0x07E0);
        appendU32(out, 0x001F);
    }
    for (int i = 0; i < colors; ++i) {
        const QRgb c = i < image.colorCount() ? image.color(i) : qRgb(0, 0, 0);
        const char quad[4] = {char(qBlue(c)), char(qGreen(c)), char(qRed(c)), 0};
        out.append(quad, 4);
    }
    QByteArray row(stride, '\0');
    for (qint64 y = height - 1; y >= 0; --y) {
        row.fill('\0');
        auto* dst = reinterpret_cast<uchar*>(row.data());
        const uchar* src = image.constScanLine(int(y));
        switch (bits) {
        case 1:
            for (qint64 x = 0; x < width; ++x)
                dst[x >> 3] |= uchar((src[x] & 1) << (7 - (x & 7)));
            break;
        case 4:
            for (qint64 x = 0; x < width; ++x)
                dst[x >> 1] |= uchar((x & 1) ? (src[x] & 0x0F) : ((src[x] & 0x0F) << 4));
            break;
        case 8:
        case 24:
            std::memcpy(dst, src, size_t(width * (bits / 8)));
            break;
        case 16:
            for (qint64 x = 0; x < width; ++x)
                qToLittleEndian(reinterpret_cast<const quint16*>(src)[x], dst + 2 * x);
            break;
        case 32:
            for (qint64 x = 0; x < width; ++x)
                qToLittleEndian(quint32(reinterpret_cast<const QRgb*>(src)[x]), dst + 4 * x);
            break;
        }
        out.append(row);
    }
    return out;
}

bool loadFile(const QString& path, TBitmap* bitmap, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(error, file.errorString());
    if (file.size() > MaxFileSize)
        return fail(error, QStringLiteral("файл слишком велик"));
    const QByteArray data = file.readAll();
    return read(data, bitmap, nullptr, error);
}

} // namespace Bmp
