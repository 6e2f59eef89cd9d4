// Skin files from hostile hands: the LZH decoder, the archive reader, the description parser
// and the BMP check. The first byte picks the layer the rest of the input is fed to, so the
// deeper layers are reached without having to get through the compression first.
#include "skin/LZH.h"
#include "skin/QuickIni.h"
#include "skin/Skin.h"
#include "skin/SkinBitmap.h"
#include "skin/SkinReader.h"

#include <cstddef>
#include <cstdint>

namespace {

// A small picture for descriptions to name.
QByteArray tinyBitmap()
{
    QByteArray bmp("BM", 2);
    auto put32 = [&](quint32 v) {
        for (int i = 0; i < 4; ++i)
            bmp.append(char((v >> (8 * i)) & 0xFF));
    };
    auto put16 = [&](quint16 v) {
        bmp.append(char(v & 0xFF));
        bmp.append(char(v >> 8));
    };
    put32(54 + 16);
    put32(0);
    put32(54);
    put32(40);
    put32(2);
    put32(2);
    put16(1);
    put16(24);
    put32(0);
    put32(16);
    put32(0);
    put32(0);
    put32(0);
    put32(0);
    bmp.append(QByteArray(16, '\x7f'));
    return bmp;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray input(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    TSkin skin;
    QString error;
    switch (data[0] % 5) {
    case 0: // a whole skin file
        TSkin::Load(input, &skin, &error);
        break;
    case 1: // an unpacked archive
        TSkin::LoadArchive(input, &skin, &error);
        break;
    case 2: { // a description, in an archive with pictures it may name
        const QByteArray archive =
            TSkinReader::BuildArchive({{QStringLiteral("skin.ini"), input},
                                       {QStringLiteral("a.bmp"), tinyBitmap()},
                                       {QStringLiteral("b.bmp"), input}});
        TSkin::LoadArchive(archive, &skin, &error);
        TQuickIni ini;
        ini.Load(input);
        for (const QString& section : ini.SectionNames())
            ini.ReadInteger(section, QStringLiteral("Image"), 0);
        break;
    }
    case 3: // a picture
        SkinBitmap::decode(input, &error);
        break;
    case 4: { // the bare compressed stream, asking for as much as it can give
        QByteArray out;
        TLZH::Decode(input.constData(), input.size(),
                     qMin<qint64>(TLZH::MaxDecodedSize(input.size()), 1 << 16), &out, &error);
        break;
    }
    }
    return 0;
}
