#pragma once

#include "text/Paths.h"

#include <QList>
#include <QString>

class QMimeData;

// One thing dragged onto the window from a file manager or a browser: a local file or folder
// (its path), or a link (its address and, when the source gave one, its title).
struct TDroppedItem
{
    QString path;
    QString title;
    bool link = false;

    bool operator==(const TDroppedItem& other) const = default;
};

// What a drag carries that may become commands, in the order the source lists it: file URLs as
// local paths, links with the titles that text/x-moz-url or _NETSCAPE_URL give them. The URL
// list is read first, then those two, then plain text holding nothing but addresses. Anything
// else (other schemes, text that is not an address) is left out.
QList<TDroppedItem> DroppedItems(const QMimeData* data);

// A link's description: its title on one line, else the host of a web address or the address
// of a mail link.
QString LinkDescription(const QString& address, const QString& title);
