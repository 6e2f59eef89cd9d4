#include "text/Paths.h"

const QChar PathSeparator = u'/';

bool IsPathSeparator(QChar c)
{
    return c == u'/';
}

bool IsForbiddenInFileName(QChar c)
{
    return c == u'/';
}

bool PathsIgnoreCase()
{
    return false;
}
