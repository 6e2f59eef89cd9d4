// Settings export of a large profile: a Commands.ini of 5,000 commands plus the other four files,
// through the whole export (chooser and report answered by fakes) and through the writer alone.
// Goal: under 100 ms per export.
#include "app/SettingsExport.h"
#include "platform/FileDialogs.h"
#include "platform/MessageBoxes.h"
#include "settings/Zip.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

void write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

void makeProfile(const QString& folder)
{
    QByteArray commands;
    QByteArray runStat("[RunStat]\r\n");
    for (int i = 0; i < 5000; ++i) {
        commands += QStringLiteral("[%1\\%2]\r\nExePath=/usr/bin/program-%3\r\nParameters=--option "
                                   "%3\r\nIconPath=/usr/share/icons/icon-%3.png\r\nIconIndex=0\r\n"
                                   "Description=Программа номер %3\r\n\r\n")
                        .arg(i / 100)
                        .arg(i % 100)
                        .arg(i)
                        .toUtf8();
        runStat +=
            QStringLiteral("%1\\%2=%3\r\n").arg(i / 100).arg(i % 100).arg(i * 7 % 311).toUtf8();
    }
    QByteArray pages;
    for (int i = 0; i < 50; ++i)
        pages +=
            QStringLiteral("[%1]\r\nCaption=Страница %1\r\nImage=img%1\r\n\r\n").arg(i).toUtf8();
    // Page pictures are already zlib data: nearly incompressible.
    QByteArray images(64 * 1024, Qt::Uninitialized);
    QRandomGenerator generator(1);
    for (char& byte : images)
        byte = char(generator.bounded(256));
    write(folder + "Commands.ini", commands);
    write(folder + "RunStat.ini", runStat);
    write(folder + "Pages.ini", pages);
    write(folder + "PagesImages.dat", images);
    write(folder + "Options.ini", "[Options]\r\nColCount=4\r\nUseStayOnTop=1\r\n");
}

class TFixedDialogs : public IFileDialogs
{
public:
    QString path;
    QString GetSaveFileName(QWidget*, const QString&, const QString&, const QString&,
                            const QString&, const QString&, bool) override
    {
        return path;
    }
    QString GetOpenFileName(QWidget*, const QString&, const QString&, const QString&) override
    {
        return {};
    }
    QString GetExistingDirectory(QWidget*, const QString&, const QString&) override { return {}; }
};

class TSilentBoxes : public IMessageBoxes
{
public:
    QString last;
    int Show(const QString& text, const QString&, int) override
    {
        last = text;
        return IDOK;
    }
};

void BM_ExportSettings(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString app = dir.filePath("app") + '/';
    QDir().mkpath(app);
    makeProfile(app);
    TFixedDialogs dialogs;
    dialogs.path = dir.filePath("export.zip");
    TSilentBoxes boxes;
    {
        TScopedSeam dialogsSeam(SetFileDialogs, &dialogs);
        TScopedSeam boxesSeam(SetMessageBoxes, &boxes);
        for (auto _ : state)
            ExportSettings(app, QDate(2026, 12, 6));
    }
    if (!boxes.last.startsWith(QStringLiteral("Экспорт произведён!")))
        state.SkipWithError("the export failed");
    state.counters["commands_ini_bytes"] = double(QFileInfo(app + "Commands.ini").size());
    state.counters["archive_bytes"] = double(QFileInfo(dialogs.path).size());
}
BENCHMARK(BM_ExportSettings)->Unit(benchmark::kMillisecond);

void BM_CompressOnly(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString app = dir.filePath("app") + '/';
    QDir().mkpath(app);
    makeProfile(app);
    for (auto _ : state) {
        TZip zip;
        zip.SetOverwrite(true);
        zip.SetArcName(dir.filePath("only.zip"));
        for (const char* name :
             {"Options.ini", "RunStat.ini", "PagesImages.dat", "Commands.ini", "Pages.ini"})
            zip.Files().append(app + name);
        if (!zip.Compress())
            state.SkipWithError("Compress failed");
    }
}
BENCHMARK(BM_CompressOnly)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
