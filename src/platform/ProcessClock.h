#pragma once

#include <QString>
#include <QtGlobal>

// Milliseconds since the operating system started this process; -1 when it cannot be told.
qint64 MillisecondsSinceProcessStart();

// For the start-up probe: the milliseconds since the launcher's clock reading in
// KESTROLIN_STARTUP_PROBE (microseconds since 1970, as bash's EPOCHREALTIME without its point),
// or since the process start when the variable holds no such reading.
double StartupProbeMilliseconds();

// Prints "<label> <milliseconds>" for the start-up probe and flushes it at once: the probe's
// reader may end the program right after.
void PrintStartupProbe(const char* label);
// Prints "<label> <text>" for the start-up probe, a path as the file system spells it.
void PrintStartupProbeText(const char* label, const QString& text);
