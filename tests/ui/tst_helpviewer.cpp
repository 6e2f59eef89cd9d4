#include "app/HelpViewer.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QRegularExpression>
#include <QSet>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QtTest>

namespace {

QString pageOf(const QUrl& url)
{
    return url.path().section(QLatin1Char('/'), -1);
}

QString titleOfPage(const QString& page)
{
    for (const THelpViewer::Topic& topic : THelpViewer::Topics())
        if (topic.page == page)
            return topic.title;
    return QString();
}

QString readPage(const QString& page)
{
    QFile file(QStringLiteral(":/help/") + page);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

// The anchors as the browser's document knows them, so an anchor the rich-text engine does not
// understand counts as missing.
QSet<QString> anchorsOf(const QTextDocument* document)
{
    QSet<QString> anchors;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (const QString& name : block.charFormat().anchorNames())
            anchors.insert(name);
        for (auto it = block.begin(); !it.atEnd(); ++it)
            for (const QString& name : it.fragment().charFormat().anchorNames())
                anchors.insert(name);
    }
    return anchors;
}

void closeViewer()
{
    if (THelpViewer* viewer = THelpViewer::Instance())
        viewer->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class TestHelpViewer : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { closeViewer(); }

    void keywordsLeadToTheirPages()
    {
        QCOMPARE(THelpViewer::PageForKeyword(QStringLiteral("Введение")),
                 QStringLiteral("intro.html"));
        QCOMPARE(THelpViewer::PageForKeyword(QStringLiteral("Главное окно программы")),
                 QStringLiteral("mainwindow.html"));
        // Letter case and stray spaces from a caller do not lose the topic.
        QCOMPARE(THelpViewer::PageForKeyword(QStringLiteral("  главное ОКНО программы ")),
                 QStringLiteral("mainwindow.html"));
        QCOMPARE(THelpViewer::PageForKeyword(QStringLiteral("settings.html")),
                 QStringLiteral("settings.html"));
        for (const QString& unknown : {QString(), QStringLiteral(""), QStringLiteral("   "),
                                       QStringLiteral("Нет такой темы"), QStringLiteral("intro")})
            QCOMPARE(THelpViewer::PageForKeyword(unknown), QStringLiteral("intro.html"));
        QSet<QString> pages;
        for (const THelpViewer::Topic& topic : THelpViewer::Topics()) {
            QCOMPARE(THelpViewer::PageForKeyword(topic.title), topic.page);
            QVERIFY2(!pages.contains(topic.page), qPrintable(topic.page));
            pages.insert(topic.page);
        }
        QCOMPARE(THelpViewer::Topics().first().page, QStringLiteral("intro.html"));
    }

    void everyTopicOpensItsOwnPage()
    {
        for (const THelpViewer::Topic& topic : THelpViewer::Topics()) {
            THelpViewer::ShowTopic(topic.title);
            THelpViewer* viewer = THelpViewer::Instance();
            QVERIFY(viewer);
            QVERIFY(viewer->isVisible());
            QCOMPARE(pageOf(viewer->CurrentPage()), topic.page);
            // The page really loaded, and it is about what the contents list says.
            QCOMPARE(viewer->Browser()->documentTitle(), topic.title);
            QVERIFY(viewer->Browser()->toPlainText().contains(topic.title));
            QCOMPARE(viewer->ContentsList()->currentItem()->text(), topic.title);
            QVERIFY(viewer->windowTitle().endsWith(topic.title));
        }
        THelpViewer::ShowTopic(QStringLiteral("что-то неизвестное"));
        QCOMPARE(pageOf(THelpViewer::Instance()->CurrentPage()), QStringLiteral("intro.html"));
    }

    void aSecondRequestReusesTheOpenWindow()
    {
        THelpViewer::ShowTopic(QStringLiteral("Введение"));
        THelpViewer* first = THelpViewer::Instance();
        QVERIFY(first);
        first->showMinimized();
        THelpViewer::ShowTopic(QStringLiteral("Главное окно программы"));
        QCOMPARE(THelpViewer::Instance(), first);
        QVERIFY(!first->isMinimized());
        QCOMPARE(pageOf(first->CurrentPage()), QStringLiteral("mainwindow.html"));
        // The help never ends the program when it is the last window closed.
        QVERIFY(!first->testAttribute(Qt::WA_QuitOnClose));

        QVERIFY(QTest::qWaitForWindowActive(first));
        QTest::keyClick(first, Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!THelpViewer::Instance());
        THelpViewer::ShowContents();
        QVERIFY(THelpViewer::Instance());
        QCOMPARE(pageOf(THelpViewer::Instance()->CurrentPage()), QStringLiteral("intro.html"));
        QCOMPARE(THelpViewer::Instance()->focusWidget(),
                 static_cast<QWidget*>(THelpViewer::Instance()->ContentsList()));
    }

    void contentsListAndHistoryNavigate()
    {
        THelpViewer::ShowTopic(QStringLiteral("Введение"));
        THelpViewer* viewer = THelpViewer::Instance();
        QVERIFY(!viewer->BackAction()->isEnabled());
        viewer->ContentsList()->setCurrentRow(2);
        QCOMPARE(pageOf(viewer->CurrentPage()), THelpViewer::Topics().at(2).page);
        THelpViewer::ShowTopic(QStringLiteral("Скины"));
        QVERIFY(viewer->BackAction()->isEnabled());
        viewer->BackAction()->trigger();
        QCOMPARE(pageOf(viewer->CurrentPage()), THelpViewer::Topics().at(2).page);
        QCOMPARE(viewer->ContentsList()->currentRow(), 2);
        viewer->BackAction()->trigger();
        QCOMPARE(pageOf(viewer->CurrentPage()), QStringLiteral("intro.html"));
        QVERIFY(!viewer->BackAction()->isEnabled());
        QVERIFY(viewer->ForwardAction()->isEnabled());
        viewer->ForwardAction()->trigger();
        viewer->ForwardAction()->trigger();
        QCOMPARE(pageOf(viewer->CurrentPage()), QStringLiteral("skins.html"));
        QVERIFY(!viewer->ForwardAction()->isEnabled());
    }

    void everyLinkOfEveryPageResolves()
    {
        const QStringList files = QDir(QStringLiteral(":/help")).entryList({"*.html"});
        QSet<QString> listed;
        for (const THelpViewer::Topic& topic : THelpViewer::Topics())
            listed.insert(topic.page);
        // No page is left out of the contents, and the contents name no missing page.
        QCOMPARE(QSet<QString>(files.begin(), files.end()), listed);

        THelpViewer::ShowTopic(QString());
        QTextBrowser* browser = THelpViewer::Instance()->Browser();
        const QRegularExpression hrefs(QStringLiteral("href\\s*=\\s*\"([^\"]*)\""));
        QSet<QString> linkedTo;
        int links = 0;
        for (const QString& page : files) {
            const QString html = readPage(page);
            QVERIFY2(html.contains(QStringLiteral("<title>") + titleOfPage(page) + "</title>"),
                     qPrintable(page));
            for (auto match = hrefs.globalMatch(html); match.hasNext();) {
                const QString href = match.next().captured(1);
                const QString where = page + " → " + href;
                // The pages are the program's own: no links that leave it.
                QVERIFY2(!href.contains(':'), qPrintable(where));
                browser->setSource(THelpViewer::PageUrl(page));
                const QUrl target = browser->source().resolved(QUrl(href));
                browser->setSource(target);
                const QString targetPage = pageOf(target);
                QVERIFY2(listed.contains(targetPage), qPrintable(where));
                QCOMPARE(browser->documentTitle(), titleOfPage(targetPage));
                if (target.hasFragment())
                    QVERIFY2(anchorsOf(browser->document()).contains(target.fragment()),
                             qPrintable(where));
                linkedTo.insert(targetPage);
                ++links;
            }
        }
        QVERIFY(links > 50);
        // Every topic can be reached by following links, not only from the list.
        for (const QString& page : listed)
            if (page != QStringLiteral("intro.html"))
                QVERIFY2(linkedTo.contains(page), qPrintable(page));
    }
};

QTEST_MAIN(TestHelpViewer)
#include "tst_helpviewer.moc"
