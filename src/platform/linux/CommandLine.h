#pragma once

#include <QString>
#include <QStringList>

// Parameters split into words much as a shell would, but so that every character typed reaches
// the program unless it groups or escapes:
// - blanks separate words;
// - a double quote with a closing one after it groups what lies between (blanks included),
//   where \" and \\ stand for " and \;
// - an apostrophe groups the same way, everything between taken as it is, but only where a word
//   may start and end: one after a letter or digit (it's, O'Brien) is part of the word, and one
//   opening a group is closed by the first apostrophe not followed by a letter or digit;
// - a quote or apostrophe without its partner is a plain character, and the words go on
//   splitting at blanks as typed;
// - a backslash keeps a following blank, quote, apostrophe or backslash as a plain character;
//   before anything else it is a plain character itself.
// Nothing is expanded ($, ~, *, ; are plain characters).
QStringList SplitShellWords(const QString& text);
// One word quoted so SplitShellWords gives it back unchanged.
QString QuoteShellWord(const QString& word);
QString JoinShellWords(const QStringList& words);
