#include "platform/ProcessClock.h"

#include <QFile>
#include <QList>

#include <unistd.h>

qint64 MillisecondsSinceProcessStart()
{
    // Field 22 of /proc/self/stat is the start time in clock ticks after boot; /proc/uptime
    // gives the seconds since boot.
    QFile stat(QStringLiteral("/proc/self/stat")), uptime(QStringLiteral("/proc/uptime"));
    if (!stat.open(QIODevice::ReadOnly) || !uptime.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    if (close < 0)
        return -1;
    const QList<QByteArray> fields = line.mid(close + 2).split(' ');
    // After the command name, the state is field 3; the start time is field 22.
    if (fields.size() < 20)
        return -1;
    bool ok = false;
    const double startTicks = fields[19].toDouble(&ok);
    const double now = uptime.readAll().split(' ').value(0).toDouble();
    const long ticks = sysconf(_SC_CLK_TCK);
    if (!ok || ticks <= 0 || now <= 0)
        return -1;
    return qint64((now - startTicks / double(ticks)) * 1000.0);
}
