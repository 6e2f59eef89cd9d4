#pragma once

#include <QList>
#include <QString>
#include <QUrl>
#include <QWidget>

class QAction;
class QListWidget;
class QTextBrowser;

// The program's help: Russian pages bundled with the program, shown in one window with the list
// of topics on the left. Asking for help again brings the open window to the front with the
// asked topic instead of opening a second one.
class THelpViewer : public QWidget
{
    Q_OBJECT

public:
    struct Topic
    {
        QString title; // also the keyword that opens the topic
        QString page;  // file name of the page among the help pages
    };

    // The topics in the order of the contents list; the first is the introduction.
    static const QList<Topic>& Topics();
    // The page a keyword leads to: a topic's title (letter case and surrounding spaces do not
    // matter) or a page's file name; anything else, the empty keyword included, leads to the
    // introduction.
    static QString PageForKeyword(const QString& keyword);
    // Where the pages live, for a page's file name.
    static QUrl PageUrl(const QString& page);

    // Shows the topic of the keyword, opening the help window if it is not open.
    static void ShowTopic(const QString& keyword);
    // Shows the help window at the introduction with the keyboard in the list of topics.
    static void ShowContents();
    // The open help window, or null.
    static THelpViewer* Instance();

    // The page shown now.
    QUrl CurrentPage() const;
    QTextBrowser* Browser() const { return m_browser; }
    QListWidget* ContentsList() const { return m_contents; }
    QAction* BackAction() const { return m_back; }
    QAction* ForwardAction() const { return m_forward; }

private:
    THelpViewer();
    void Open(const QString& page);
    void SourceChanged(const QUrl& url);
    void BringToFront();

    QTextBrowser* m_browser = nullptr;
    QListWidget* m_contents = nullptr;
    QAction* m_back = nullptr;
    QAction* m_forward = nullptr;
    QAction* m_home = nullptr;
};
