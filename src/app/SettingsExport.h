#pragma once

#include <QDate>
#include <QString>

class QWidget;

// The archive name offered in the save dialog: the date in the short date format of the current
// locale, then " settings.zip".
QString ProposedExportName(const QDate& today);

// Packs the five settings files of appFolder into a ZIP archive that the user names in the
// save-file chooser, and reports the outcome in a message box. today dates the proposed name.
void ExportSettings(const QString& appFolder, const QDate& today, QWidget* parent = nullptr);
