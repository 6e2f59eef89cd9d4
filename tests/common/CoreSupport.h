#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// File helpers for tests of the core library, which run without a display.
QByteArray readAll(const QString& path);
void writeAll(const QString& path, const QByteArray& bytes);
// Writes a profile's Options.ini, Pages.ini, Commands.ini and RunStat.ini into folder, each only
// when its text is not empty.
void writeProfileFiles(const QString& folder, const QByteArray& options, const QByteArray& pages,
                       const QByteArray& commands, const QByteArray& runStat = QByteArray());

// For tests that kill a writing child at random moments: runs the child once with arguments plus
// the number of rounds, and gives how long (in microseconds) a few of its rounds take, at least
// floorMicros, so that the kills land in the middle of writes however fast the machine and build
// are. 0 when the child did not run to its end (the test then fails).
qint64 killWindowMicros(const QString& program, const QStringList& arguments, int rounds,
                        qint64 floorMicros);
