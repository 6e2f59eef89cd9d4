#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QString>

// A picture together with the pixel format of the BMP file it came from, so that writing it back
// gives a file of the same kind.
//
// Image formats by bit count: 1, 4 and 8 bits -> Indexed8 with a colour table of 2^bits entries;
// 16 bits -> RGB555 (5-5-5) or RGB16 (5-6-5); 24 bits -> BGR888; 32 bits -> ARGB32 whose alpha
// holds the file's fourth byte unchanged.
struct TBitmap
{
    QImage Image;
    int BitsPerPixel = 0;

    bool isNull() const { return Image.isNull(); }
    int width() const { return Image.width(); }
    int height() const { return Image.height(); }

    // A bitmap of the bit count that suits the image's format (anything else becomes 32 bits).
    static TBitmap fromImage(const QImage& image);
    // The picture for the screen: a 32-bit picture whose fourth bytes are all zero is opaque,
    // as BMP viewers show it.
    QImage displayImage() const;
    // The picture with every pixel of the transparent colour made transparent.
    QImage maskedImage(QRgb transparent) const;
    // The colour of the bottom-left pixel, or black for an empty bitmap.
    QRgb bottomLeftColor() const;

    bool operator==(const TBitmap& other) const;
};

namespace Bmp {

// Pictures larger than this are refused before anything is allocated for them.
constexpr qint64 MaxPixels = 32 * 1024 * 1024;
// Picture files larger than this are not read.
constexpr qint64 MaxFileSize = 64 * 1024 * 1024;

// Reads one BMP file (file header, info header, colour table, pixel rows) from the start of data.
// On success *consumed is the number of bytes the file takes: from "BM" to the end of its last
// pixel row. Uncompressed pictures only; 1, 4, 8, 16, 24 and 32 bits.
bool read(QByteArrayView data, TBitmap* bitmap, qsizetype* consumed = nullptr,
          QString* error = nullptr);
// Writes a complete BMP file in the bitmap's own pixel format, bottom-up rows.
QByteArray write(const TBitmap& bitmap);
// Reads a picture file from disk.
bool loadFile(const QString& path, TBitmap* bitmap, QString* error = nullptr);

} // namespace Bmp
