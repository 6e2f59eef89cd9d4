#pragma once

#include "platform/Seam.h"

#include <QString>

class QWidget;

// File and folder choosers, reached through one seam so tests can answer them ahead of time.
// Every call returns an empty text when the user cancels.
class IFileDialogs
{
public:
    virtual ~IFileDialogs() = default;
    // filter in Qt's form ("Архивы (*.zip)"); defaultSuffix without the dot.
    virtual QString GetSaveFileName(QWidget* parent, const QString& title, const QString& folder,
                                    const QString& proposedName, const QString& filter,
                                    const QString& defaultSuffix, bool confirmOverwrite) = 0;
    virtual QString GetOpenFileName(QWidget* parent, const QString& title, const QString& folder,
                                    const QString& filter) = 0;
    virtual QString GetExistingDirectory(QWidget* parent, const QString& title,
                                         const QString& folder) = 0;
};

// The choosers in use; the real ones unless a test has set its own.
IFileDialogs& FileDialogs();
// Replaces the choosers (null restores the real ones); returns the previous replacement.
// Tests put theirs in place with TScopedSeam, which restores the previous one.
IFileDialogs* SetFileDialogs(IFileDialogs* dialogs);
