// Cost of loading and saving PagesImages.dat with 500 pictures of 24 bits.
#include "images/Repository.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

void fill(TRepository& repository, int count)
{
    for (int i = 0; i < count; ++i) {
        QImage image(16, 16, QImage::Format_RGB32);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                image.setPixel(x, y, qRgb((x * 16 + i) & 0xFF, (y * 16) & 0xFF, i & 0xFF));
        repository.AddImage(QStringLiteral("Рисунок %1").arg(i), TBitmap::fromImage(image));
    }
}

void BM_SaveRepository(benchmark::State& state)
{
    QTemporaryDir dir;
    TRepository repository(dir.filePath(QStringLiteral("PagesImages.dat")));
    fill(repository, int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(repository.Save());
}
BENCHMARK(BM_SaveRepository)->Arg(500)->Unit(benchmark::kMillisecond);

void BM_LoadRepository(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("PagesImages.dat"));
    {
        TRepository repository(path);
        fill(repository, int(state.range(0)));
        repository.Save();
    }
    for (auto _ : state) {
        TRepository repository(path);
        benchmark::DoNotOptimize(repository.Load());
    }
}
BENCHMARK(BM_LoadRepository)->Arg(500)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
