#include "commands/DroppedItems.h"

#include <QMimeData>
#include <QTest>
#include <QUrl>

namespace {

TDroppedItem fileItem(const QString& path)
{
    return {path, QString(), false};
}
TDroppedItem linkItem(const QString& address, const QString& title = QString())
{
    return {address, title, true};
}

// What Firefox writes: UTF-16 in the machine's order, "url\ntitle" pairs.
QByteArray utf16(const QString& text)
{
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

} // namespace

namespace QTest {
template <> char* toString(const TDroppedItem& item)
{
    return qstrdup(qPrintable((item.link ? "link " : "file ") + item.path + " | " + item.title));
}
} // namespace QTest

// What a drag from a file manager or a browser carries, as the window reads it.
class TestDroppedItems : public QObject
{
    Q_OBJECT

private slots:
    void linkAddresses()
    {
        for (const char* yes : {"http://a", "HTTPS://example.org/x", "mailto:me@example.org"})
            QVERIFY2(IsLinkAddress(yes), yes);
        for (const char* no : {"", "http://", "mailto:", "/home/me/http://x", "ftp://example.org",
                               "file:///etc/hosts", "javascript:alert(1)", "https:"})
            QVERIFY2(!IsLinkAddress(no), no);
    }

    void urlListKeepsFilesAndLinksInOrder()
    {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile("/tmp/a b/отчёт.txt"), QUrl("https://example.org/page"),
                      QUrl("ftp://example.org/x"), QUrl("javascript:alert(1)"),
                      QUrl("mailto:me@example.org"), QUrl("https:nohost"),
                      QUrl::fromLocalFile("/tmp")});
        const QList<TDroppedItem> expected = {fileItem("/tmp/a b/отчёт.txt"),
                                              linkItem("https://example.org/page"),
                                              linkItem("mailto:me@example.org"), fileItem("/tmp")};
        QCOMPARE(DroppedItems(&data), expected);
        QVERIFY(DroppedItems(nullptr).isEmpty());
    }

    void browserTitlesGoWithTheirLinks()
    {
        // The URL list with Firefox's titles beside it.
        {
            QMimeData data;
            data.setUrls({QUrl("https://example.org/a"), QUrl("https://example.org/b")});
            data.setData("text/x-moz-url", utf16("https://example.org/b\nСтраница  Б\n"
                                                 "https://example.org/a\nhttps://example.org/a"));
            // A title that only repeats its address is none; spaces and lines fold into one.
            QCOMPARE(DroppedItems(&data),
                     QList<TDroppedItem>({linkItem("https://example.org/a"),
                                          linkItem("https://example.org/b", "Страница Б")}));
        }
        // Firefox's pairs alone, with a byte-order mark and a closing zero.
        {
            QMimeData data;
            data.setData("text/x-moz-url",
                         utf16(QString(QChar(0xFEFF)) + "https://example.org/\r\nПример") +
                             QByteArray(2, '\0'));
            QCOMPARE(DroppedItems(&data),
                     QList<TDroppedItem>({linkItem("https://example.org/", "Пример")}));
        }
        // The older form other browsers give, in UTF-8.
        {
            QMimeData data;
            data.setData("_NETSCAPE_URL", QStringLiteral("http://example.org/x\nИкс").toUtf8());
            QCOMPARE(DroppedItems(&data),
                     QList<TDroppedItem>({linkItem("http://example.org/x", "Икс")}));
        }
    }

    void plainTextCountsOnlyWhenItIsAddresses()
    {
        QMimeData data;
        data.setText("  https://example.org/a \n\nfile:///tmp/x.txt\n");
        QCOMPARE(DroppedItems(&data),
                 QList<TDroppedItem>({linkItem("https://example.org/a"), fileItem("/tmp/x.txt")}));
        for (const char* text : {"см. https://example.org/a", "https://example.org/a\nи ещё",
                                 "/tmp/x.txt", "ftp://example.org/", ""}) {
            data.setText(text);
            QVERIFY2(DroppedItems(&data).isEmpty(), text);
        }
    }

    void linkDescriptions()
    {
        QCOMPARE(LinkDescription("https://example.org/a", "  Заголовок\nстраницы "),
                 QStringLiteral("Заголовок страницы"));
        QCOMPARE(LinkDescription("https://www.example.org:8080/a?b=c", ""),
                 QStringLiteral("www.example.org"));
        QCOMPARE(LinkDescription("mailto:me@example.org?subject=Hi", ""),
                 QStringLiteral("me@example.org"));
        QCOMPARE(LinkDescription("http://", ""), QStringLiteral("http://"));
    }
};

QTEST_GUILESS_MAIN(TestDroppedItems)
#include "tst_droppeditems.moc"
