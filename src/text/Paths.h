#pragma once

#include <QChar>
#include <QString>

// Path rules the whole program shares. What differs between systems (which characters separate
// folders or may not stand in a file name) is defined once a system, in
// src/platform/<system>/PathFacts.cpp; the rules built on it are the same everywhere.

// The separator the program puts between folders.
extern const QChar PathSeparator;
// True for every character that ends a folder name in a path (Windows: also "/" and the drive's
// ":").
bool IsPathSeparator(QChar c);
// True for a printable character that a file name may not hold on this system.
bool IsForbiddenInFileName(QChar c);
// True where the file system ignores the letter case of paths (Windows).
bool PathsIgnoreCase();

// The file-name part: the text after the last separator.
QString ExtractFileName(const QString& path);
// The folder part with its trailing separator; empty without one.
QString ExtractFilePath(const QString& path);
// The extension of the file-name part with its dot; empty without one.
QString ExtractFileExt(const QString& path);
// True for the addresses a command may open instead of a file: web pages (http, https) and mail
// links (mailto), letter case of the scheme ignored.
bool IsLinkAddress(const QString& text);
// True when text can be used as a file name on this system as it is: not empty, not "." or "..",
// no control character and nothing the system forbids.
bool IsValidFileName(const QString& name);
