#include "CoreSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QPair>
#include <QProcess>

#include <algorithm>

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

qint64 killWindowMicros(const QString& program, const QStringList& arguments, int rounds,
                        qint64 floorMicros)
{
    QProcess child;
    child.start(program, arguments + QStringList{QString::number(rounds)});
    // The child says when it begins writing; what came before is no part of a write.
    if (!child.waitForStarted() || !child.waitForReadyRead(10000))
        return 0;
    QElapsedTimer writing;
    writing.start();
    if (!child.waitForFinished(60000) || child.exitCode() != 0)
        return 0;
    return std::max<qint64>(floorMicros, 3 * writing.nsecsElapsed() / 1000 / rounds);
}

void writeProfileFiles(const QString& folder, const QByteArray& options, const QByteArray& pages,
                       const QByteArray& commands, const QByteArray& runStat)
{
    const QList<QPair<const char*, QByteArray>> files = {{"Options.ini", options},
                                                         {"Pages.ini", pages},
                                                         {"Commands.ini", commands},
                                                         {"RunStat.ini", runStat}};
    for (const auto& [name, bytes] : files)
        if (!bytes.isEmpty())
            writeAll(folder + '/' + QLatin1String(name), bytes);
}
