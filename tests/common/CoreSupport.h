#pragma once

#include <QByteArray>
#include <QString>

// File helpers for tests of the core library, which run without a display.
QByteArray readAll(const QString& path);
void writeAll(const QString& path, const QByteArray& bytes);
