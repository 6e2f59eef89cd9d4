// Cost of drawing the icons of 500 commands of mixed kinds (programs, documents, pictures,
// icon-library entries, missing files) as the buttons of a large profile do at start, and of
// reading desktop entries, one ordinary and one at the size limit.
#include "platform/Shell.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

struct Command
{
    QString icon;
    QString target;
    int index = 0;
};

QList<Command> makeCommands(const QTemporaryDir& dir, int count)
{
    const QString folder = dir.path();
    const QString picture = folder + QStringLiteral("/picture.png");
    QImage image(64, 64, QImage::Format_ARGB32);
    image.fill(Qt::blue);
    image.save(picture);
    const QString library =
        QCoreApplication::applicationDirPath() + QStringLiteral("/kestrolin-icons.ico");
    QList<Command> commands;
    for (int i = 0; i < count; ++i) {
        const QString document =
            folder + QStringLiteral("/doc-%1.%2").arg(i).arg(i % 3 == 0 ? "txt" : "pdf");
        QFile file(document);
        if (file.open(QIODevice::WriteOnly))
            file.write("text");
        switch (i % 5) {
        case 0:
            commands.append({document, document, 0});
            break;
        case 1:
            commands.append({picture, document, 0});
            break;
        case 2:
            commands.append({library, folder + u'/', 3});
            break;
        case 3:
            commands.append({QStringLiteral("/usr/bin/env"), QStringLiteral("/usr/bin/env"), 0});
            break;
        default:
            commands.append({QString(), folder + QStringLiteral("/missing-%1").arg(i), 0});
        }
    }
    return commands;
}

void BM_DrawIconsOfAPage(benchmark::State& state)
{
    QTemporaryDir dir;
    const QList<Command> commands = makeCommands(dir, 500);
    for (auto _ : state) {
        for (const Command& command : commands) {
            TCommandPicture picture{QPixmap(), QStringLiteral("Команда"), 32};
            DrawCommandIcon(command.icon, command.target, command.index, picture);
            benchmark::DoNotOptimize(picture.pixmap.cacheKey());
        }
    }
    state.counters["icons"] = double(commands.size());
}
BENCHMARK(BM_DrawIconsOfAPage)->Unit(benchmark::kMillisecond);

void BM_ReadDesktopEntry(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("entry.desktop"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write("[Desktop Entry]\nType=Application\nName=Terminal\nComment[ru]=Терминал\n"
                   "Exec=env \"A B\" %U\nIcon=utilities-terminal\n");
        if (state.range(0) > 0)
            file.write("X-Padding=" + QByteArray(state.range(0), 'x') + "\n");
        file.close();
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadShortcut(path).targetPath.size());
}
BENCHMARK(BM_ReadDesktopEntry)->Arg(0)->Arg(1000 * 1000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
