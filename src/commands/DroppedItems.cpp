#include "commands/DroppedItems.h"

#include <QHash>
#include <QMimeData>
#include <QUrl>

namespace {

// The longest text a stored value keeps when read back; longer titles would only be cut later.
constexpr int MaxTitleLength = 2047;

const QString MozUrlType = QStringLiteral("text/x-moz-url");
const QString NetscapeUrlType = QStringLiteral("_NETSCAPE_URL");

// Browsers write text/x-moz-url in UTF-16 and _NETSCAPE_URL in UTF-8; neither marks which.
QString decodeUrlText(const QByteArray& bytes)
{
    QString text;
    if (bytes.size() >= 2 && bytes.size() % 2 == 0 && bytes.contains('\0'))
        text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()),
                                  bytes.size() / 2);
    else
        text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    const qsizetype zero = text.indexOf(QChar(0));
    if (zero >= 0)
        text.truncate(zero);
    return text;
}

QStringList lines(const QString& text)
{
    QStringList result = text.split(u'\n');
    for (QString& line : result)
        line = line.trimmed();
    return result;
}

// "url\ntitle" pairs, one after another.
QList<QPair<QUrl, QString>> urlTitlePairs(const QMimeData* data, const QString& type)
{
    QList<QPair<QUrl, QString>> pairs;
    if (!data->hasFormat(type))
        return pairs;
    const QStringList parts = lines(decodeUrlText(data->data(type)));
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        if (parts[i].isEmpty())
            continue;
        pairs.append({QUrl(parts[i]), i + 1 < parts.size() ? parts[i + 1] : QString()});
    }
    return pairs;
}

// Plain text counts only when every line of it is an address: a dragged sentence that happens
// to start with one is no command.
QList<QUrl> textUrls(const QMimeData* data)
{
    QList<QUrl> urls;
    if (!data->hasText())
        return urls;
    for (const QString& line : lines(data->text())) {
        if (line.isEmpty())
            continue;
        const QUrl url(line, QUrl::StrictMode);
        if (!url.isValid() || (!url.isLocalFile() && !IsLinkAddress(line)))
            return {};
        urls.append(url);
    }
    return urls;
}

QString key(const QUrl& url)
{
    return url.adjusted(QUrl::NormalizePathSegments).toString(QUrl::FullyEncoded);
}

} // namespace

QList<TDroppedItem> DroppedItems(const QMimeData* data)
{
    QList<TDroppedItem> items;
    if (!data)
        return items;
    const QList<QPair<QUrl, QString>> moz = urlTitlePairs(data, MozUrlType);
    const QList<QPair<QUrl, QString>> netscape = urlTitlePairs(data, NetscapeUrlType);
    QHash<QString, QString> titles;
    for (const auto& pairs : {netscape, moz})
        for (const auto& [url, title] : pairs)
            if (!title.isEmpty())
                titles.insert(key(url), title);

    QList<QUrl> urls = data->urls();
    for (const auto& pairs : {moz, netscape}) {
        if (!urls.isEmpty())
            break;
        for (const auto& pair : pairs)
            urls.append(pair.first);
    }
    if (urls.isEmpty())
        urls = textUrls(data);

    for (const QUrl& url : urls) {
        if (!url.isValid())
            continue;
        if (url.isLocalFile()) {
            const QString path = url.toLocalFile();
            if (!path.isEmpty())
                items.append({path, QString(), false});
            continue;
        }
        const QString address = url.toString();
        if (!IsLinkAddress(address))
            continue;
        const bool mail = url.scheme().compare(QLatin1String("mailto"), Qt::CaseInsensitive) == 0;
        if (mail ? url.path().isEmpty() : url.host().isEmpty())
            continue;
        QString title = titles.value(key(url)).simplified();
        // A title that only repeats the address says nothing the address does not.
        if (title == address)
            title.clear();
        items.append({address, title.left(MaxTitleLength), true});
    }
    return items;
}

QString LinkDescription(const QString& address, const QString& title)
{
    const QString simple = title.simplified();
    if (!simple.isEmpty())
        return simple;
    const QUrl url(address, QUrl::TolerantMode);
    const QString name = url.scheme().compare(QLatin1String("mailto"), Qt::CaseInsensitive) == 0
                             ? url.path()
                             : url.host();
    return name.isEmpty() ? address : name;
}
