// Cost of one key written into a Commands.ini of 5,000 sections, and of 5,000 writes batched
// into one file replace.
#include "settings/IniFile.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

void fill(IniFile& ini, int sections)
{
    IniFile::Batch batch(ini);
    for (int i = 0; i < sections; ++i) {
        const QString section = QStringLiteral("%1\\%2").arg(i / 100).arg(i % 100);
        ini.writeString(section, QStringLiteral("ExePath"),
                        QStringLiteral("/usr/bin/program-%1").arg(i));
        ini.writeString(section, QStringLiteral("Parameters"),
                        QStringLiteral("--option %1").arg(i));
        ini.writeString(section, QStringLiteral("IconPath"),
                        QStringLiteral("/usr/share/icons/icon-%1.png").arg(i));
        ini.writeInteger(section, QStringLiteral("IconIndex"), 0);
        ini.writeString(section, QStringLiteral("Description"),
                        QStringLiteral("Программа номер %1").arg(i));
    }
}

void BM_WriteOneKey(benchmark::State& state)
{
    QTemporaryDir dir;
    IniFile ini(dir.filePath(QStringLiteral("Commands.ini")));
    fill(ini, 5000);
    int n = 0;
    for (auto _ : state)
        ini.writeInteger(QStringLiteral("25\\50"), QStringLiteral("IconIndex"), ++n);
    state.counters["file_replaces_per_write"] = 1;
}
BENCHMARK(BM_WriteOneKey)->Unit(benchmark::kMillisecond);

void BM_Batch5000Writes(benchmark::State& state)
{
    QTemporaryDir dir;
    IniFile ini(dir.filePath(QStringLiteral("Commands.ini")));
    fill(ini, 5000);
    int n = 0;
    for (auto _ : state) {
        const quint64 before = ini.diskWrites();
        {
            IniFile::Batch batch(ini);
            ++n;
            for (int i = 0; i < 5000; ++i)
                ini.writeInteger(QStringLiteral("%1\\%2").arg(i / 100).arg(i % 100),
                                 QStringLiteral("IconIndex"), n);
        }
        state.counters["file_replaces"] = double(ini.diskWrites() - before);
    }
}
BENCHMARK(BM_Batch5000Writes)->Unit(benchmark::kMillisecond);

void BM_Load5000Sections(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Commands.ini"));
    {
        IniFile ini(path);
        fill(ini, 5000);
    }
    for (auto _ : state) {
        IniFile ini(path);
        benchmark::DoNotOptimize(
            ini.readString(QStringLiteral("49\\99"), QStringLiteral("ExePath"), QString()));
    }
}
BENCHMARK(BM_Load5000Sections)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
