// 50 pages of 5 columns x 20 buttons (5,000 commands): loading them, deleting the first page
// and dragging the last tab to the front, with the number of file writes each costs.
#include "BigProfile.h"
#include "pages/CommandsPage.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int Pages = TBigProfile::Pages;

TBigCommand command(int page, int button)
{
    return {QString("/usr/bin/program-%1-%2").arg(page).arg(button),
            QString("Команда %1-%2").arg(page).arg(button), QString()};
}

void report(benchmark::State& state, const TBigProfile& p, quint64 commandWrites,
            quint64 pageWrites)
{
    state.counters["commands_ini_writes"] = double(p.commands->diskWrites() - commandWrites);
    state.counters["pages_ini_writes"] = double(p.pages->diskWrites() - pageWrites);
}

void BM_LoadPages(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        TBigProfile p(command);
        const quint64 c = p.commands->diskWrites(), pg = p.pages->diskWrites();
        state.ResumeTiming();
        p.load();
        state.PauseTiming();
        report(state, p, c, pg);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadPages)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_DeleteFirstPage(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        TBigProfile p(command);
        p.load();
        p.control->SetActivePageIndex(0);
        const quint64 c = p.commands->diskWrites(), pg = p.pages->diskWrites();
        state.ResumeTiming();
        p.control->DeleteActivePage();
        state.PauseTiming();
        report(state, p, c, pg);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DeleteFirstPage)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_DragLastTabToFront(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        TBigProfile p(command);
        p.load();
        p.control->SetActivePageIndex(Pages - 1);
        const QPoint front = p.control->TabRect(0).center();
        const quint64 c = p.commands->diskWrites(), pg = p.pages->diskWrites();
        state.ResumeTiming();
        p.control->DropPage(front);
        state.PauseTiming();
        report(state, p, c, pg);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DragLastTabToFront)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
