// Decoding speed of a skin file: a 1 MB archive of a description and bitmaps of the kinds skins
// are made of (gradient frames, flat buttons, dithered and noisy textures). The goal is at
// least 50 MB/s of unpacked output.
#include "skin/LZH.h"
#include "skin/SkinReader.h"

#include <QRandomGenerator>

#include <benchmark/benchmark.h>

namespace {

QByteArray bitmap(int width, int height, int kind, quint32 seed)
{
    QRandomGenerator random(seed);
    const int stride = (width * 3 + 3) / 4 * 4;
    QByteArray bmp("BM", 2);
    auto put = [&](quint32 v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            bmp.append(char((v >> (8 * i)) & 0xFF));
    };
    put(54 + stride * height, 4);
    put(0, 4);
    put(54, 4);
    put(40, 4);
    put(width, 4);
    put(height, 4);
    put(1, 2);
    put(24, 2);
    put(0, 4);
    put(stride * height, 4);
    put(0, 16);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            int r, g, b;
            switch (kind) {
            case 0: // vertical gradient, as in title bars
                r = 40 + y * 2;
                g = 60 + y * 3;
                b = 120 + y;
                break;
            case 1: // flat face with a 3D border
                r = g = b = (x == 0 || y == 0)                    ? 255
                            : (x == width - 1 || y == height - 1) ? 64
                                                                  : 192;
                break;
            case 2: // dither
                r = g = b = ((x ^ y) & 1) ? 200 : 180;
                break;
            default: // textured
                r = 100 + int(random.bounded(24));
                g = 90 + int(random.bounded(24));
                b = 80 + int(random.bounded(24));
                break;
            }
            bmp.append(char(b & 0xFF)).append(char(g & 0xFF)).append(char(r & 0xFF));
        }
        bmp.append(QByteArray(stride - width * 3, '\0'));
    }
    return bmp;
}

QByteArray skinLikeArchive()
{
    QList<QPair<QString, QByteArray>> entries;
    QByteArray ini = "[TitlebarSkin]\r\nSkinName=Bench\r\n[Personality]\r\n";
    for (int i = 0; i < 40; ++i)
        ini += QStringLiteral("[Part%1]\r\nImage=part%1.bmp\r\nLeftWidth=4\r\nTile=1\r\n")
                   .arg(i)
                   .toLatin1();
    entries.append({QStringLiteral("skin.ini"), ini});
    qsizetype total = ini.size();
    for (int i = 0; total < 1024 * 1024; ++i) {
        const QByteArray bmp = bitmap(64 + (i % 5) * 16, 24 + (i % 3) * 8, i % 4, quint32(i));
        entries.append({QStringLiteral("part%1.bmp").arg(i), bmp});
        total += bmp.size();
    }
    return TSkinReader::BuildArchive(entries).left(1024 * 1024);
}

void BM_DecodeSkinArchive(benchmark::State& state)
{
    const QByteArray archive = skinLikeArchive();
    const QByteArray packed = TLZH::Encode(archive);
    QByteArray out;
    for (auto _ : state) {
        if (!TLZH::Decode(packed.constData(), packed.size(), archive.size(), &out)) {
            state.SkipWithError("decoding failed");
            break;
        }
        benchmark::DoNotOptimize(out.data());
    }
    if (out != archive)
        state.SkipWithError("decoded bytes differ");
    state.SetBytesProcessed(state.iterations() * archive.size());
    state.counters["ratio"] = double(archive.size()) / double(packed.size());
}
BENCHMARK(BM_DecodeSkinArchive)->Unit(benchmark::kMillisecond);

void BM_EncodeSkinArchive(benchmark::State& state)
{
    const QByteArray archive = skinLikeArchive();
    for (auto _ : state)
        benchmark::DoNotOptimize(TLZH::Encode(archive));
    state.SetBytesProcessed(state.iterations() * archive.size());
}
BENCHMARK(BM_EncodeSkinArchive)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
