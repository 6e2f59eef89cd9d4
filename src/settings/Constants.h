#pragma once

#include <QString>

// Names and sizes shared by the whole program.
namespace Constants {
inline const QString ProductName = QStringLiteral("Kestrolin");
inline const QString OptionsFileName = QStringLiteral("Options.ini");
inline const QString PagesFileName = QStringLiteral("Pages.ini");
inline const QString CommandsFileName = QStringLiteral("Commands.ini");
inline const QString RunStatFileName = QStringLiteral("RunStat.ini");
inline const QString PagesImagesFileName = QStringLiteral("PagesImages.dat");
// A shell shortcut: a freedesktop desktop entry, on Windows a shell link (chosen by CMake).
inline const QString ShortcutExtension = QStringLiteral(KESTROLIN_SHORTCUT_EXTENSION);
inline const QString MailSpace = QStringLiteral("%20");
inline const QString HelpFileName = QStringLiteral("Kestrolin.hlp");
inline const QString DefaultPageCaption = QStringLiteral("Новая");

constexpr int ButtonGap = 2;
constexpr int PageControlExtraWidth = 28;
constexpr int InputBoxWidth = 276;
} // namespace Constants
