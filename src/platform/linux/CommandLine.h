#pragma once

#include <QString>
#include <QStringList>

// Command lines as a POSIX shell splits them, without ever running one: blanks separate words,
// single quotes keep everything, double quotes keep all but \" \\ \$ \`, a backslash outside quotes
// keeps the next character. Nothing is expanded ($, ~, *, ; are plain characters).
QStringList SplitShellWords(const QString& text);
// One word quoted so SplitShellWords gives it back unchanged.
QString QuoteShellWord(const QString& word);
QString JoinShellWords(const QStringList& words);
