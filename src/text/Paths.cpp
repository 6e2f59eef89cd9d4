#include "text/Paths.h"

namespace {

qsizetype lastSeparator(const QString& path)
{
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        if (IsPathSeparator(path.at(i)))
            return i;
    }
    return -1;
}

} // namespace

QString ExtractFileName(const QString& path)
{
    return path.mid(lastSeparator(path) + 1);
}

QString ExtractFilePath(const QString& path)
{
    return path.left(lastSeparator(path) + 1);
}

QString ExtractFileExt(const QString& path)
{
    const QString name = ExtractFileName(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot);
}

bool IsLinkAddress(const QString& text)
{
    for (const char* scheme : {"http://", "https://", "mailto:"}) {
        const QLatin1String prefix(scheme);
        if (text.size() > prefix.size() && text.startsWith(prefix, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool IsValidFileName(const QString& name)
{
    if (name.isEmpty() || name == u"." || name == u"..")
        return false;
    for (QChar c : name) {
        if (c.unicode() < 0x20 || IsForbiddenInFileName(c))
            return false;
    }
    return true;
}
