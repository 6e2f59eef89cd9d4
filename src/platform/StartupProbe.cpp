#include "platform/ProcessClock.h"

#include <QByteArray>
#include <QFile>

#include <chrono>
#include <cstdio>

double StartupProbeMilliseconds()
{
    bool ok = false;
    const qint64 launched = qgetenv("KESTROLIN_STARTUP_PROBE").toLongLong(&ok);
    const qint64 now = std::chrono::duration_cast<std::chrono::microseconds>(
                           std::chrono::system_clock::now().time_since_epoch())
                           .count();
    // The process start is known to the clock tick only; a launcher's reading is finer.
    if (ok && launched > 0 && launched <= now)
        return double(now - launched) / 1000.0;
    return double(MillisecondsSinceProcessStart());
}

void PrintStartupProbe(const char* label)
{
    std::printf("%s %.1f\n", label, StartupProbeMilliseconds());
    std::fflush(stdout);
}

void PrintStartupProbeText(const char* label, const QString& text)
{
    std::printf("%s %s\n", label, QFile::encodeName(text).constData());
    std::fflush(stdout);
}
