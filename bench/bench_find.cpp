// The find box over 5,000 commands: what one keystroke costs, from a fresh query (every command
// searched) and typed on (the previous result narrowed), in the finder alone and in the box
// with its list drawn; and the first keystroke, which opens the box and gathers the commands.
#include "BigProfile.h"
#include "app/FindBox.h"
#include "commands/CommandFinder.h"
#include "pages/CommandsPage.h"
#include "pages/MyPageControl.h"
#include "settings/IniFile.h"
#include "settings/SystemSettings.h"

#include <QApplication>
#include <QLineEdit>
#include <QListView>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int Pages = TBigProfile::Pages;
constexpr int PerPage = TBigProfile::PerPage;

const QStringList Words = {"Почта",    "Браузер", "Калькулятор", "Terminal", "Редактор",
                           "Firefox",  "Office",  "Документы",   "Фото",     "Музыка",
                           "Таблицы",  "Backup",  "Ёлка",        "Проекты",  "Notes",
                           "Загрузки", "Игры",    "Видео",       "Python",   "Счета"};

QString description(int page, int button)
{
    const int i = page * PerPage + button;
    return QStringLiteral("%1 %2 %3")
        .arg(Words[i % Words.size()], Words[(i / 7) % Words.size()])
        .arg(i);
}
QString exePath(int page, int button)
{
    return QStringLiteral("/usr/bin/program-%1-%2").arg(page).arg(button);
}
QString parameters(int page, int button)
{
    return QStringLiteral("--open документ-%1.odt").arg(page * PerPage + button);
}

QList<TFindRecord> makeRecords()
{
    QList<TFindRecord> records;
    for (int p = 0; p < Pages; ++p)
        for (int b = 0; b < PerPage; ++b)
            records.append(
                {description(p, b), exePath(p, b), parameters(p, b), p, b, (p * 31 + b * 17) % 50});
    return records;
}

// The keystrokes of typing a word letter by letter.
QStringList typing(const QString& word)
{
    QStringList steps;
    for (int n = 1; n <= word.size(); ++n)
        steps.append(word.left(n));
    return steps;
}

const QStringList FreshQueries = {"п", "ко", "fire", "ёлка", "док 12", "zz"};

void BM_FinderFreshQuery(benchmark::State& state)
{
    TCommandFinder finder;
    finder.SetRecords(makeRecords());
    qsizetype found = 0;
    for (auto _ : state) {
        for (const QString& query : FreshQueries) {
            finder.Find(QString()); // forget the last query: every command is searched
            found += finder.Find(query).size();
        }
    }
    benchmark::DoNotOptimize(found);
    state.counters["per_keystroke"] = benchmark::Counter(
        double(FreshQueries.size()),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_FinderFreshQuery)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FinderTypedOn(benchmark::State& state)
{
    TCommandFinder finder;
    finder.SetRecords(makeRecords());
    const QStringList steps = typing(QStringLiteral("калькулятор 1"));
    qsizetype found = 0;
    for (auto _ : state) {
        finder.Find(QString());
        for (const QString& query : steps)
            found += finder.Find(query).size();
    }
    benchmark::DoNotOptimize(found);
    state.counters["per_keystroke"] =
        benchmark::Counter(double(steps.size()), benchmark::Counter::kIsIterationInvariantRate |
                                                     benchmark::Counter::kInvert);
}
BENCHMARK(BM_FinderTypedOn)->Unit(benchmark::kMillisecond)->UseRealTime();

// One letter that every command holds ("о" of "документ" in each one's parameters): all 5,000
// match and are sorted.
const QString Broadest = QStringLiteral("о");

void BM_FinderBroadest(benchmark::State& state)
{
    TCommandFinder finder;
    finder.SetRecords(makeRecords());
    qsizetype found = 0;
    for (auto _ : state) {
        finder.Find(QString());
        found = finder.Find(Broadest).size();
    }
    state.counters["found"] = double(found);
}
BENCHMARK(BM_FinderBroadest)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FinderGather(benchmark::State& state)
{
    const QList<TFindRecord> records = makeRecords();
    for (auto _ : state) {
        TCommandFinder finder;
        finder.SetRecords(records);
        benchmark::DoNotOptimize(finder.Count());
    }
}
BENCHMARK(BM_FinderGather)->Unit(benchmark::kMillisecond)->UseRealTime();

// The real page control with 50 pages of 100 commands, every one run, as the program loads
// them.
struct TFindProfile : TBigProfile
{
    TFindProfile()
        : TBigProfile(
              [](int page, int button) -> TBigCommand {
                  return {exePath(page, button), description(page, button),
                          parameters(page, button)};
              },
              [](int page, int button) { return (page * 31 + button * 17) % 50 + 1; })
    {
        load();
    }
    std::unique_ptr<IniFile> runStat = std::make_unique<IniFile>(dir.path() + "/RunStat.ini");
};

// Made once, and gone before the application: its widgets must not outlive it.
std::unique_ptr<TFindProfile> big;

TFindProfile& profile()
{
    if (!big)
        big = std::make_unique<TFindProfile>();
    return *big;
}

// The run counts as the main window hands them to the box: read from RunStat.ini, the disk
// looked at once for all of them.
std::unique_ptr<TFindBox> openBox(TFindProfile& big)
{
    IniFile* stat = big.runStat.get();
    IniFile::Batch batch(*stat);
    auto runCount = [stat](TProfileCommand* command) {
        return stat->readInteger(command->SectionName(), QStringLiteral("RunCount"), 0);
    };
    return std::make_unique<TFindBox>(nullptr, big.control.get(), runCount);
}

// A keystroke in the box: the finder, the list's rows and the list drawn.
void keystroke(TFindBox& box, const QString& text)
{
    box.FindEdit->setText(text);
    box.ResultList->viewport()->repaint();
}

// The first keystroke: the box is made, gathers every command, shows and lists what the letter
// finds (the broadest one: every command).
void BM_BoxOpen(benchmark::State& state)
{
    TFindProfile& big = profile();
    qsizetype found = 0;
    for (auto _ : state) {
        std::unique_ptr<TFindBox> box = openBox(big);
        box->Start(Broadest);
        box->ResultList->viewport()->repaint();
        found = box->ResultCount();
    }
    state.counters["found"] = double(found);
}
BENCHMARK(BM_BoxOpen)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BoxFreshQuery(benchmark::State& state)
{
    TFindProfile& big = profile();
    std::unique_ptr<TFindBox> opened = openBox(big);
    TFindBox& box = *opened;
    box.Start(QString());
    for (auto _ : state) {
        for (const QString& query : FreshQueries) {
            keystroke(box, QString());
            keystroke(box, query);
        }
    }
    // The empty box between the queries is counted as a keystroke too.
    state.counters["per_keystroke"] = benchmark::Counter(
        double(2 * FreshQueries.size()),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_BoxFreshQuery)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BoxBroadest(benchmark::State& state)
{
    TFindProfile& big = profile();
    std::unique_ptr<TFindBox> opened = openBox(big);
    TFindBox& box = *opened;
    box.Start(QString());
    for (auto _ : state) {
        state.PauseTiming();
        keystroke(box, QString());
        state.ResumeTiming();
        keystroke(box, Broadest);
    }
    state.counters["found"] = double(box.ResultCount());
}
BENCHMARK(BM_BoxBroadest)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BoxTypedOn(benchmark::State& state)
{
    TFindProfile& big = profile();
    std::unique_ptr<TFindBox> opened = openBox(big);
    TFindBox& box = *opened;
    box.Start(QString());
    const QStringList steps = typing(QStringLiteral("калькулятор 1"));
    for (auto _ : state) {
        keystroke(box, QString());
        for (const QString& query : steps)
            keystroke(box, query);
    }
    state.counters["per_keystroke"] =
        benchmark::Counter(double(steps.size() + 1), benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
}
BENCHMARK(BM_BoxTypedOn)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    big.reset();
    benchmark::Shutdown();
    return 0;
}
