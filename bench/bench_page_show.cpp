// A page nobody has looked at yet, shown by a click on its tab: 50 pages of 5 columns x 20
// buttons (5,000 commands, each a real file of its own type, as bench/startup.sh makes them).
// Times the click up to the page painted with its buttons and icons (painted), and up to the
// end of what the click leaves queued (settled), page after page, and reports the fastest, the
// median and the slowest page.
#include "BigProfile.h"
#include "pages/CommandsPage.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMouseEvent>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <functional>

namespace {

// Files of many types, as a desktop's launcher holds them: programs, scripts, texts, pictures.
QStringList realFiles(int wanted)
{
    QStringList found;
    std::function<void(const QString&, int)> walk = [&](const QString& folder, int depth) {
        const QDir dir(folder);
        for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
            if (found.size() >= wanted)
                return;
            found << dir.filePath(name);
        }
        if (depth <= 1)
            return;
        for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
            if (found.size() < wanted)
                walk(dir.filePath(name), depth - 1);
    };
    for (const char* root :
         {"/usr/bin", "/usr/share/doc", "/usr/share/pixmaps", "/usr/share/icons"})
        walk(QString::fromLatin1(root), 3);
    return found;
}

void click(QWidget* widget, const QPoint& point)
{
    const QPointF local(point);
    const QPointF global(widget->mapToGlobal(point));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

void BM_ClickUnseenPage(benchmark::State& state)
{
    const QStringList files = realFiles(TBigProfile::Pages * TBigProfile::PerPage);
    if (files.isEmpty()) {
        state.SkipWithError("no files to make commands of");
        return;
    }
    QList<double> painted, settled;
    for (auto _ : state) {
        state.PauseTiming();
        TBigProfile p(
            [&](int page, int button) {
                const int i = page * TBigProfile::PerPage + button;
                return TBigCommand{files[i % files.size()], QString(), QString()};
            },
            {}, true);
        p.load();
        p.control->show();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        // Every page but the first, which the load showed: each is shown for the first time.
        for (int page = 1; page < TBigProfile::Pages; ++page) {
            const QRect tab = p.control->TabRect(page);
            if (tab.isNull())
                continue;
            QElapsedTimer timer;
            timer.start();
            click(p.control.get(), tab.center());
            // The paint the click asked for, as the event loop makes it next.
            QCoreApplication::sendPostedEvents(p.control.get(), QEvent::UpdateRequest);
            painted << timer.nsecsElapsed() / 1e6;
            // What the click leaves queued (the look at the page's files) runs next.
            QCoreApplication::processEvents();
            settled << timer.nsecsElapsed() / 1e6;
            if (!p.control->Page(page)->HasButtons())
                state.SkipWithError("the clicked page was not shown");
        }
    }
    auto report = [&state](QList<double> times, const char* name) {
        if (times.isEmpty())
            return;
        std::sort(times.begin(), times.end());
        const std::string prefix(name);
        state.counters[prefix + "_min_ms"] = times.front();
        state.counters[prefix + "_median_ms"] = times[times.size() / 2];
        state.counters[prefix + "_max_ms"] = times.back();
    };
    report(painted, "painted");
    report(settled, "settled");
    state.counters["pages"] = double(painted.size());
}
BENCHMARK(BM_ClickUnseenPage)->Unit(benchmark::kMillisecond)->Iterations(1);

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
