#include "images/MainImageList.h"

// The resource lives in a static library: its registration must be pulled in explicitly.
static void InitActionsResource()
{
    Q_INIT_RESOURCE(actions);
}

QIcon MainImage(int index)
{
    if (index < 0 || index >= MainImageCount)
        return QIcon();
    static const bool registered = (InitActionsResource(), true);
    Q_UNUSED(registered);
    // Not cached in a static: icons must not outlive the application object. Building one only
    // records the two file names; the pictures are read when first drawn.
    const QString name = QStringLiteral("%1.png").arg(index, 2, 10, QLatin1Char('0'));
    QIcon icon;
    icon.addFile(QStringLiteral(":/actions/16/") + name, QSize(16, 16));
    icon.addFile(QStringLiteral(":/actions/32/") + name, QSize(32, 32));
    return icon;
}
