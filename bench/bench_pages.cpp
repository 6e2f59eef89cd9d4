// 50 pages of 5 columns x 20 buttons (5,000 commands): loading them, deleting the first page
// and dragging the last tab to the front, with the number of file writes each costs.
#include "pages/CommandsPage.h"
#include "pages/MyPageControl.h"
#include "settings/IniFile.h"
#include "settings/SystemSettings.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int Pages = 50;

struct TBigProfile
{
    QTemporaryDir dir;
    std::unique_ptr<TSystemSettings> settings;
    std::unique_ptr<IniFile> pages;
    std::unique_ptr<IniFile> commands;
    std::unique_ptr<TMyPageControl> control;

    TBigProfile()
    {
        const QString folder = dir.path() + '/';
        {
            IniFile options(folder + "Options.ini");
            IniFile::Batch batch(options);
            options.writeInteger("PageControl", "ColCount", 5);
            options.writeInteger("PageControl", "CommandsCount", 20);
            options.writeInteger("PageControl", "PagesCount", Pages);
        }
        {
            IniFile p(folder + "Pages.ini");
            IniFile c(folder + "Commands.ini");
            IniFile::Batch pb(p), cb(c);
            for (int page = 0; page < Pages; ++page) {
                p.writeString(QString::number(page), "Caption", QString("Страница %1").arg(page));
                p.writeInteger(QString::number(page), "ImageIndex", -1);
                for (int b = 0; b < 100; ++b) {
                    const QString s = QString("%1\\%2").arg(page).arg(b);
                    c.writeString(s, "ExePath", QString("/usr/bin/program-%1-%2").arg(page).arg(b));
                    c.writeInteger(s, "IconIndex", 0);
                    c.writeString(s, "Description", QString("Команда %1-%2").arg(page).arg(b));
                }
            }
        }
        settings = std::make_unique<TSystemSettings>(folder);
        SystemSettings = settings.get();
        pages = std::make_unique<IniFile>(folder + "Pages.ini");
        commands = std::make_unique<IniFile>(folder + "Commands.ini");
        control =
            std::make_unique<TMyPageControl>(nullptr, settings.get(), pages.get(), commands.get());
        control->resize(5 * 43 + 28, 900);
    }
    ~TBigProfile()
    {
        control.reset();
        SystemSettings = nullptr;
    }
    // As in the program, the event loop runs between loading and the user's next step.
    bool load()
    {
        const bool loaded = control->LoadPages(nullptr, nullptr, nullptr, TEditCallback(), nullptr);
        QCoreApplication::sendPostedEvents();
        return loaded;
    }
};

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
        TBigProfile p;
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
        TBigProfile p;
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
        TBigProfile p;
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
