// Feeds arbitrary bytes to the desktop entry reader as a file on disk, then takes the entry
// apart the way the shell does: name, icon, Exec line split into program and arguments.
#include "platform/linux/DesktopEntry.h"

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("fuzz.desktop"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            abort();
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }

    const TDesktopEntry entry = TDesktopEntry::read(path);
    if (!entry.isValid() && !entry.value(QStringLiteral("Exec")).isEmpty())
        abort();
    (void)entry.localizedValue(QStringLiteral("Name"));
    (void)entry.localizedValue(QStringLiteral("Comment"));
    (void)entry.value(QStringLiteral("Icon"));
    (void)entry.value(QStringLiteral("Path"));

    const QStringList arguments = SplitExecLine(entry.value(QStringLiteral("Exec")));
    if (!arguments.isEmpty()) {
        // Writing the split line back must give the same words.
        if (SplitExecLine(FormatExecLine(arguments)) != arguments)
            abort();
    }

    // An escaped text written as a value reads back as itself. The format has no escape for
    // the rarer blanks (form feed, no-break space ...), which the reader trims off the ends.
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const bool plainBlanks = std::none_of(text.begin(), text.end(), [](QChar c) {
        return c.isNull() || (c.isSpace() && !QStringView(u" \t\n\r").contains(c));
    });
    if (plainBlanks) {
        const QByteArray written =
            "[Desktop Entry]\nName=" + EscapeEntryValue(text).toUtf8() + "\n";
        const TDesktopEntry back = TDesktopEntry::parse(written);
        if (!back.isValid() || back.value(QStringLiteral("Name")) != text)
            abort();
    }
    return 0;
}
