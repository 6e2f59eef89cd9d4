// A stand-in for a file manager or a browser in the end-to-end tests: a small window that starts
// a drag of the given URLs when the left button is pressed on it, the way those programs offer
// them (a URL list, with the browser's "url\ntitle" form when a title is given).
//   kestrolin_dragsource [--link-title TITLE] URL...
// (not --title: the X11 platform takes that one for the window title)
// It prints "dragging" when the drag starts, "accepted" or "refused" as the window under the
// pointer answers, and "done" when the drag ends; it stays to hand over the data until ended.

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <cstdio>

class TDragSource : public QWidget
{
public:
    TDragSource(const QList<QUrl>& urls, const QString& title) : m_urls(urls), m_title(title)
    {
        setWindowTitle(QStringLiteral("drag source"));
        setGeometry(100, 100, 120, 120);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton)
            return;
        auto* data = new QMimeData;
        data->setUrls(m_urls);
        if (!m_title.isEmpty() && !m_urls.isEmpty())
            data->setData(QStringLiteral("_NETSCAPE_URL"),
                          (m_urls.first().toString() + u'\n' + m_title).toUtf8());
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        // The target's answer comes after the pointer reached it: a release before it cancels.
        QObject::connect(drag, &QDrag::actionChanged, this, [](Qt::DropAction action) {
            std::puts(action == Qt::IgnoreAction ? "refused" : "accepted");
            std::fflush(stdout);
        });
        std::puts("dragging");
        std::fflush(stdout);
        drag->exec(Qt::CopyAction | Qt::LinkAction, Qt::CopyAction);
        // The window that took the drop fetches the data only now: the source must stay to hand
        // it over, until the test ends it (or a minute has passed, should nobody).
        std::puts("done");
        std::fflush(stdout);
        QTimer::singleShot(60000, qApp, &QApplication::quit);
    }

private:
    QList<QUrl> m_urls;
    QString m_title;
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QStringList arguments = QApplication::arguments().mid(1);
    QString title;
    if (arguments.size() >= 2 && arguments.first() == QStringLiteral("--link-title")) {
        title = arguments.at(1);
        arguments = arguments.mid(2);
    }
    QList<QUrl> urls;
    for (const QString& argument : arguments)
        urls.append(QUrl::fromUserInput(argument));
    TDragSource source(urls, title);
    source.show();
    return app.exec();
}
