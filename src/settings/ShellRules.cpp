#include "settings/ShellRules.h"

#include "settings/Constants.h"
#include "text/Paths.h"
#include "text/Text.h"

#include <QLocale>

bool NamesFolder(const QString& path)
{
    return ExtractFileName(path).isEmpty();
}

QString ExpandSystemRoot(const QString& path, const QString& windowsFolder)
{
    static const QString pattern = QStringLiteral("%systemroot%");
    const QString lowered = AsciiLowerCase(path);
    // Without a Windows folder there is nothing to expand to; the path stays as it was.
    if (!lowered.contains(pattern) || windowsFolder.isEmpty())
        return path;
    return ReplaceAll(lowered, pattern, windowsFolder);
}

QString FormatVersionText(const TVersionNumbers& v)
{
    return QStringLiteral("%1.%2.%3 сборка %4")
        .arg(v.major)
        .arg(v.minor)
        .arg(v.release)
        .arg(v.build);
}

QString FormatLastChangeText(const QDateTime& time, const QString& dateText,
                             const QString& timeText)
{
    if (!time.isValid() || dateText.isEmpty())
        return {};
    if (time.time() == QTime(0, 0))
        return dateText;
    // Half a text would look like a whole one; better none.
    if (timeText.isEmpty())
        return {};
    return dateText + u' ' + timeText;
}

QString LocaleShortDate(const QDate& date)
{
    return QLocale().toString(date, QLocale::ShortFormat);
}

QString LocaleLongTime(const QTime& time)
{
    // The locale's long time format carries the time zone name, which the desktop's own long time
    // does not show; keep hours, minutes and seconds.
    QString format = QLocale().timeFormat(QLocale::LongFormat);
    format.remove(u't');
    return time.toString(format.trimmed());
}

QString AutorunDescription(const QString& versionText, const QString& lastChangeText)
{
    return Constants::ProductName + QStringLiteral(" v.") + versionText + QStringLiteral(" от ") +
           lastChangeText;
}

QString AutorunShortcutIn(const QString& startupFolder)
{
    return startupFolder + PathSeparator + Constants::ProductName + Constants::ShortcutExtension;
}

QString DesktopShortcutFile(const QString& desktopFolder, const QString& description)
{
    const QString name = description + Constants::ShortcutExtension;
    if (description.isEmpty() || !IsValidFileName(name))
        return {};
    return desktopFolder + PathSeparator + name;
}

bool IsSameTarget(const QString& target, const QString& executable)
{
    return !target.isEmpty() && AsciiLowerCase(target) == AsciiLowerCase(executable);
}
