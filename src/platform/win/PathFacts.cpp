#include "text/Paths.h"

#include <QStringView>

const QChar PathSeparator = u'\\';

bool IsPathSeparator(QChar c)
{
    return c == u'\\' || c == u':' || c == u'/';
}

bool IsForbiddenInFileName(QChar c)
{
    return QStringView(u"\\/:*?\"<>|").contains(c);
}

bool PathsIgnoreCase()
{
    return true;
}
