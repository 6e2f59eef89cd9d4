// Cost of counting one run in a history of 500 buttons (counts are read from RunStat.ini, not
// cached) and of filling a 30-item menu from it at start-up.
#include "history/RepositoryCommands.h"
#include "settings/IniFile.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <vector>

namespace {

struct Position
{
    int page;
    int index;
};

class Info : public IHistoryCommandInfo
{
public:
    int PageIndex(THistoryCommand c) const override { return static_cast<Position*>(c)->page; }
    int CommandIndex(THistoryCommand c) const override { return static_cast<Position*>(c)->index; }
    QString ProgramPath(THistoryCommand) const override { return QString(); }
};

constexpr int Buttons = 500;

std::vector<Position> makePositions()
{
    std::vector<Position> positions;
    for (int i = 0; i < Buttons; ++i)
        positions.push_back({i / 50, i % 50});
    return positions;
}

void writeCounts(const QString& path)
{
    IniFile ini(path);
    IniFile::Batch batch(ini);
    for (int i = 0; i < Buttons; ++i)
        ini.writeInteger(QStringLiteral("%1\\%2").arg(i / 50).arg(i % 50),
                         QStringLiteral("RunCount"), (i * 37) % 101 + 1);
}

void BM_RecordRunOutsideTheMenu(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("RunStat.ini"));
    writeCounts(path);
    auto positions = makePositions();
    Info info;
    TRepositoryCommands history(std::make_unique<IniFile>(path), &info);
    for (Position& p : positions)
        history.AddCommand(&p);
    history.StoreMaxCount(30);
    history.LoadLastState();
    int i = 0;
    for (auto _ : state) {
        // Runs a command that is mostly not in the menu: count, sort the menu, compare.
        history.RecordRun(&positions[size_t(i)]);
        i = (i + 97) % Buttons;
    }
}
BENCHMARK(BM_RecordRunOutsideTheMenu)->Unit(benchmark::kMillisecond);

void BM_StartUpFill(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("RunStat.ini"));
    writeCounts(path);
    auto positions = makePositions();
    Info info;
    for (auto _ : state) {
        TRepositoryCommands history(std::make_unique<IniFile>(path), &info);
        for (Position& p : positions)
            history.AddCommand(&p);
        history.StoreMaxCount(30);
        history.LoadLastState();
        benchmark::DoNotOptimize(history.TopCount());
    }
}
BENCHMARK(BM_StartUpFill)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
