#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// BMP pictures of a skin. The header is checked against the bytes that are really there before
// anything is decoded, so a header that claims a huge picture cannot make us allocate for it.
namespace SkinBitmap {

constexpr int MaxSide = 16384;
constexpr qint64 MaxPixels = 16 * 1024 * 1024;

// Width and height the header declares, or false (with the reason) when the bytes cannot hold
// such a picture or the picture is beyond the limits above.
bool checkHeader(const QByteArray& bytes, QSize* size, QString* error);
// A null image (and the reason) when the bytes are not a sound BMP file.
QImage decode(const QByteArray& bytes, QString* error);

} // namespace SkinBitmap
