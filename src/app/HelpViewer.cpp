#include "app/HelpViewer.h"

#include "images/MainImageList.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QShortcut>
#include <QSplitter>
#include <QStyle>
#include <QTextBrowser>
#include <QToolBar>
#include <QVBoxLayout>

// The resource lives in a static library: its registration must be pulled in explicitly.
static void InitHelpResource()
{
    Q_INIT_RESOURCE(help);
}

namespace {

QPointer<THelpViewer> OpenViewer;

const QString IntroductionPage = QStringLiteral("intro.html");

// QTextBrowser understands a subset of CSS; this keeps the pages plain and readable.
const char* const PageStyle = R"(
body { font-size: 10pt; }
h1 { font-size: 15pt; color: #204a87; margin-bottom: 6px; }
h2 { font-size: 12pt; color: #204a87; margin-top: 14px; margin-bottom: 4px; }
p { margin-top: 4px; margin-bottom: 6px; }
li { margin-bottom: 3px; }
a { color: #3465a4; }
table { border-color: #babdb6; }
th { background-color: #eeeeec; text-align: left; }
.key { font-weight: bold; color: #2e3436; }
.ui { font-weight: bold; }
.note { background-color: #fff8dc; }
.see { color: #555753; }
)";

} // namespace

const QList<THelpViewer::Topic>& THelpViewer::Topics()
{
    static const QList<Topic> topics = {
        {QStringLiteral("Введение"), IntroductionPage},
        {QStringLiteral("Главное окно программы"), QStringLiteral("mainwindow.html")},
        {QStringLiteral("Страницы"), QStringLiteral("pages.html")},
        {QStringLiteral("Команды"), QStringLiteral("commands.html")},
        {QStringLiteral("Параметры команды"), QStringLiteral("commandoptions.html")},
        {QStringLiteral("Быстрый запуск и история"), QStringLiteral("quicklaunch.html")},
        {QStringLiteral("Настройки"), QStringLiteral("settings.html")},
        {QStringLiteral("Рисунки для страниц"), QStringLiteral("pageimages.html")},
        {QStringLiteral("Скины"), QStringLiteral("skins.html")},
        {QStringLiteral("Экспорт настроек"), QStringLiteral("export.html")},
        {QStringLiteral("Отмена, резервные копии и импорт"), QStringLiteral("undo.html")},
        {QStringLiteral("Меню и клавиши"), QStringLiteral("keys.html")},
        {QStringLiteral("Командная строка и горячая клавиша"), QStringLiteral("commandline.html")},
        {QStringLiteral("Файлы программы"), QStringLiteral("files.html")},
    };
    return topics;
}

QString THelpViewer::PageForKeyword(const QString& keyword)
{
    const QString wanted = keyword.trimmed();
    if (wanted.isEmpty())
        return IntroductionPage;
    for (const Topic& topic : Topics()) {
        if (topic.title.compare(wanted, Qt::CaseInsensitive) == 0 ||
            topic.page.compare(wanted, Qt::CaseInsensitive) == 0)
            return topic.page;
    }
    return IntroductionPage;
}

QUrl THelpViewer::PageUrl(const QString& page)
{
    return QUrl(QStringLiteral("qrc:/help/") + page);
}

THelpViewer* THelpViewer::Instance()
{
    return OpenViewer.data();
}

void THelpViewer::ShowTopic(const QString& keyword)
{
    if (!OpenViewer)
        OpenViewer = new THelpViewer;
    OpenViewer->Open(PageForKeyword(keyword));
    OpenViewer->BringToFront();
}

void THelpViewer::ShowContents()
{
    ShowTopic(QString());
    OpenViewer->m_contents->setFocus();
}

THelpViewer::THelpViewer()
{
    static const bool registered = (InitHelpResource(), true);
    Q_UNUSED(registered);

    setWindowFlag(Qt::Window);
    // The main window may be hidden in the tray: closing the help must not end the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Справка Kestrolin"));
    setWindowIcon(MainImage(4));
    resize(780, 540);

    auto* toolBar = new QToolBar(this);
    toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    toolBar->setIconSize(QSize(16, 16));
    m_back =
        toolBar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), QStringLiteral("Назад"));
    m_back->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Left));
    m_back->setToolTip(QStringLiteral("Назад (Alt+Стрелка влево)"));
    m_forward = toolBar->addAction(style()->standardIcon(QStyle::SP_ArrowForward),
                                   QStringLiteral("Вперёд"));
    m_forward->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Right));
    m_forward->setToolTip(QStringLiteral("Вперёд (Alt+Стрелка вправо)"));
    toolBar->addSeparator();
    m_home = toolBar->addAction(MainImage(3), QStringLiteral("Введение"));
    m_home->setToolTip(QStringLiteral("К началу справки"));
    m_back->setEnabled(false);
    m_forward->setEnabled(false);

    auto* contentsPane = new QWidget(this);
    auto* contentsLayout = new QVBoxLayout(contentsPane);
    contentsLayout->setContentsMargins(6, 6, 0, 0);
    contentsLayout->setSpacing(4);
    auto* contentsCaption = new QLabel(QStringLiteral("<b>Содержание</b>"), contentsPane);
    m_contents = new QListWidget(contentsPane);
    m_contents->setAccessibleName(QStringLiteral("Содержание"));
    m_contents->setSpacing(1);
    m_contents->setIconSize(QSize(16, 16));
    contentsCaption->setBuddy(m_contents);
    contentsLayout->addWidget(contentsCaption);
    contentsLayout->addWidget(m_contents, 1);
    for (const Topic& topic : Topics()) {
        auto* item = new QListWidgetItem(MainImage(2), topic.title, m_contents);
        item->setData(Qt::UserRole, topic.page);
    }

    m_browser = new QTextBrowser(this);
    m_browser->setOpenLinks(true);
    m_browser->setOpenExternalLinks(false);
    m_browser->document()->setDefaultStyleSheet(QString::fromUtf8(PageStyle));
    m_browser->document()->setDocumentMargin(12);

    auto* splitter = new QSplitter(this);
    splitter->addWidget(contentsPane);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({230, 550});
    splitter->setChildrenCollapsible(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolBar);
    layout->addWidget(splitter, 1);

    connect(m_back, &QAction::triggered, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QAction::triggered, m_browser, &QTextBrowser::forward);
    connect(m_home, &QAction::triggered, this, [this] { Open(IntroductionPage); });
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this, &THelpViewer::SourceChanged);
    connect(m_contents, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item)
            Open(item->data(Qt::UserRole).toString());
    });
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
    // A help window still open when the program ends goes with it.
    if (qApp)
        connect(qApp, &QCoreApplication::aboutToQuit, this, &QObject::deleteLater);
}

QUrl THelpViewer::CurrentPage() const
{
    return m_browser->source();
}

void THelpViewer::Open(const QString& page)
{
    const QUrl url = PageUrl(page);
    if (m_browser->source() != url)
        m_browser->setSource(url);
}

void THelpViewer::SourceChanged(const QUrl& url)
{
    const QString page = QFileInfo(url.path()).fileName();
    for (int row = 0; row < m_contents->count(); ++row) {
        if (m_contents->item(row)->data(Qt::UserRole).toString() == page) {
            const QSignalBlocker blocker(m_contents);
            m_contents->setCurrentRow(row);
            break;
        }
    }
    const QString title = m_browser->documentTitle();
    setWindowTitle(title.isEmpty() ? QStringLiteral("Справка Kestrolin")
                                   : QStringLiteral("Справка Kestrolin — ") + title);
}

void THelpViewer::BringToFront()
{
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}
