#pragma once

#include <QtGlobal>

// Milliseconds since the operating system started this process; -1 when it cannot be told.
qint64 MillisecondsSinceProcessStart();
