#include "app/FindBox.h"

#include "commands/Command.h"
#include "dialogs/Custom.h"
#include "pages/CommandsPage.h"
#include "pages/MyPageControl.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int RowHeight = 24;
constexpr int IconSize = 20;
constexpr int PageRole = Qt::UserRole;

// A line: the command's icon, its description, and its page's caption at the right in the
// colour of secondary text.
class TFindDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        return QSize(option.rect.width(), std::max(RowHeight, option.fontMetrics.height() + 4));
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyleOptionViewItem panel = option;
        initStyleOption(&panel, index);
        panel.text.clear();
        panel.icon = QIcon();
        const QWidget* view = option.widget;
        QStyle* style = view ? view->style() : QApplication::style();
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &panel, painter, view);

        const QRect r = option.rect.adjusted(3, 0, -4, 0);
        const QPixmap icon = index.data(Qt::DecorationRole).value<QPixmap>();
        const QRect iconRect(r.left(), r.top() + (r.height() - IconSize) / 2, IconSize, IconSize);
        if (!icon.isNull()) {
            painter->save();
            painter->setRenderHint(QPainter::SmoothPixmapTransform);
            painter->drawPixmap(iconRect, icon);
            painter->restore();
        }
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette& pal = option.palette;
        const QFontMetrics& metrics = option.fontMetrics;
        QRect text = r.adjusted(IconSize + 6, 0, 0, 0);
        // The page keeps at most a third of the line; the description gets the rest.
        const QString page =
            metrics.elidedText(index.data(PageRole).toString(), Qt::ElideRight, text.width() / 3);
        const int pageWidth = metrics.horizontalAdvance(page);
        painter->save();
        painter->setPen(
            pal.color(selected ? QPalette::HighlightedText : QPalette::PlaceholderText));
        painter->drawText(text, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, page);
        text.setRight(text.right() - pageWidth - 8);
        painter->setPen(pal.color(selected ? QPalette::HighlightedText : QPalette::Text));
        const QString description = metrics.elidedText(index.data(Qt::DisplayRole).toString(),
                                                       Qt::ElideRight, text.width());
        painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, description);
        painter->restore();
    }
};

} // namespace

// The rows of the list: the finder's result, read through to the buttons only for the rows in
// sight, so that thousands of matches cost no more than a screenful.
class TFindModel : public QAbstractListModel
{
public:
    TFindModel(const TCommandFinder& finder, const QList<TProfileCommand*>& commands,
               const QStringList& captions, QObject* parent)
        : QAbstractListModel(parent), m_finder(finder), m_commands(commands), m_captions(captions)
    {}

    void SetResult(QList<int> result)
    {
        beginResetModel();
        m_result = std::move(result);
        endResetModel();
    }
    int Record(int row) const { return row >= 0 && row < m_result.size() ? m_result[row] : -1; }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_result.size());
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        const int record = Record(index.row());
        if (record < 0)
            return {};
        const TFindRecord& found = m_finder.Record(record);
        switch (role) {
        case Qt::DisplayRole:
            return found.description;
        case Qt::ToolTipRole:
            return found.description + u'\n' + found.exePath;
        case Qt::DecorationRole:
            return Icon(m_commands[record]);
        case PageRole:
            return found.page >= 0 && found.page < m_captions.size() ? m_captions[found.page]
                                                                     : QString();
        default:
            return {};
        }
    }

private:
    // The button's picture when its page was shown, else drawn here once: a find must not make
    // the buttons of every page.
    QPixmap Icon(TProfileCommand* command) const
    {
        if (!TProfileCommand::IsLive(command))
            return QPixmap();
        if (const TCommand* button = TCommand::ButtonOf(command))
            return button->Icon();
        auto found = m_icons.constFind(command);
        if (found != m_icons.constEnd())
            return *found;
        TCommandPicture picture;
        picture.size = TCommand::PictureRect().width();
        DrawCommandIcon(command->IconPath(), command->ExePath(), command->IconIndex(), picture);
        m_icons.insert(command, picture.pixmap);
        return picture.pixmap;
    }

    const TCommandFinder& m_finder;
    const QList<TProfileCommand*>& m_commands;
    mutable QHash<const TProfileCommand*, QPixmap> m_icons;
    const QStringList& m_captions;
    QList<int> m_result;
};

TFindBox::TFindBox(QWidget* mainWindow, TMyPageControl* pages,
                   const std::function<int(TProfileCommand*)>& runCount)
    : QFrame(mainWindow, Qt::Popup), m_mainWindow(mainWindow)
{
    setObjectName(QStringLiteral("FindBox"));
    setAttribute(Qt::WA_DeleteOnClose);
    ApplyCustomLook(this);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);

    // The profile's commands, whether or not their pages have been shown.
    QList<TFindRecord> records;
    const TProfileModel* profile = pages ? pages->Model() : nullptr;
    if (profile)
        records.reserve(profile->PageCount() * profile->ColCount() * profile->CommandsCount());
    for (int p = 0; profile && p < profile->PageCount(); ++p) {
        const TProfilePage* page = profile->Page(p);
        m_pageCaptions.append(page->Caption());
        for (int b = 0; b < page->CommandCount(); ++b) {
            TProfileCommand* command = page->Command(b);
            if (command->IsEmpty())
                continue;
            records.append({command->DisplayName(), command->ExePath(), command->Parameters(), p, b,
                            runCount ? runCount(command) : 0});
            m_commands.append(command);
        }
    }
    m_finder.SetRecords(std::move(records));

    FindEdit = new QLineEdit(this);
    FindEdit->setObjectName(QStringLiteral("FindEdit"));
    FindEdit->setPlaceholderText(QStringLiteral("Поиск команды"));
    FindEdit->installEventFilter(this);

    m_model = new TFindModel(m_finder, m_commands, m_pageCaptions, this);
    ResultList = new QListView(this);
    ResultList->setObjectName(QStringLiteral("ResultList"));
    ResultList->setModel(m_model);
    ResultList->setItemDelegate(new TFindDelegate(ResultList));
    ResultList->setUniformItemSizes(true);
    ResultList->setFocusPolicy(Qt::NoFocus);
    ResultList->setSelectionMode(QAbstractItemView::SingleSelection);
    ResultList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ResultList->setMouseTracking(true);
    connect(ResultList, &QListView::clicked, this,
            [this](const QModelIndex& index) { RunRow(index.row()); });

    NothingLabel = new QLabel(QStringLiteral("Ничего не найдено"), this);
    NothingLabel->setObjectName(QStringLiteral("NothingLabel"));
    NothingLabel->setAlignment(Qt::AlignCenter);
    NothingLabel->setFixedHeight(RowHeight);
    NothingLabel->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(3, 3, 3, 3);
    layout->setSpacing(3);
    layout->addWidget(FindEdit);
    layout->addWidget(ResultList);
    layout->addWidget(NothingLabel);
    setFixedWidth(BoxWidth);

    connect(FindEdit, &QLineEdit::textChanged, this, &TFindBox::TextChanged);
}

TFindBox::~TFindBox() = default;

void TFindBox::Start(const QString& typed)
{
    // Placed at its full height: the line stays where it is while the list grows and shrinks
    // below it.
    SetListRows(VisibleRows);
    adjustSize();
    PlaceBeside();
    FindEdit->setText(typed);
    TextChanged(typed);
    show();
    FindEdit->setFocus();
    FindEdit->deselect();
    FindEdit->end(false);
}

void TFindBox::PlaceBeside()
{
    QWidget* main = m_mainWindow.data();
    if (!main)
        return;
    const QRect window = main->frameGeometry();
    QScreen* screen = QGuiApplication::screenAt(window.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect work = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const QSize box = size();
    // Left of the window, which stands at the right edge of the screen most of the time; to
    // its right when there is no room on the left. The bottoms line up, as the window's
    // quick-launch button sits at its bottom.
    int left = window.left() - box.width();
    if (left < work.left())
        left = window.right() + 1;
    left = std::clamp(left, work.left(), std::max(work.left(), work.right() + 1 - box.width()));
    int top = window.bottom() + 1 - box.height();
    top = std::clamp(top, work.top(), std::max(work.top(), work.bottom() + 1 - box.height()));
    move(left, top);
}

void TFindBox::TextChanged(const QString& text)
{
    m_model->SetResult(m_finder.Find(text));
    const bool nothing = m_model->rowCount() == 0;
    ResultList->setVisible(!nothing);
    NothingLabel->setVisible(nothing);
    NothingLabel->setText(text.trimmed().isEmpty() ? QStringLiteral("Наберите часть названия")
                                                   : QStringLiteral("Ничего не найдено"));
    SetListRows(std::clamp(m_model->rowCount(), 1, int(VisibleRows)));
    Choose(0);
}

void TFindBox::SetListRows(int rows)
{
    const int height = rows * RowHeight + 2 * ResultList->frameWidth();
    if (ResultList->height() == height && ResultList->minimumHeight() == height)
        return;
    ResultList->setFixedHeight(height);
    if (QLayout* box = layout())
        box->activate();
    resize(width(), sizeHint().height());
}

int TFindBox::ResultCount() const
{
    return m_model->rowCount();
}

TCommand* TFindBox::ResultCommand(int row) const
{
    const int record = m_model->Record(row);
    return record >= 0 ? TCommand::ButtonFor(m_commands[record]) : nullptr;
}

QString TFindBox::ResultPage(int row) const
{
    return m_model->data(m_model->index(row), PageRole).toString();
}

int TFindBox::ChosenRow() const
{
    const QModelIndex current = ResultList->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void TFindBox::Choose(int row)
{
    if (row < 0 || row >= ResultCount()) {
        ResultList->setCurrentIndex({});
        return;
    }
    const QModelIndex index = m_model->index(row);
    ResultList->setCurrentIndex(index);
    ResultList->scrollTo(index);
}

void TFindBox::RunRow(int row)
{
    QPointer<TCommand> button = ResultCommand(row);
    // The box goes first: the click may hide the main window or open the parameters dialog.
    close();
    if (button)
        button->Click();
}

bool TFindBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == FindEdit && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const int row = ChosenRow();
        const int page = VisibleRows - 1;
        switch (key->key()) {
        case Qt::Key_Down:
            Choose(std::min(row + 1, ResultCount() - 1));
            return true;
        case Qt::Key_Up:
            Choose(std::max(row - 1, 0));
            return true;
        case Qt::Key_PageDown:
            Choose(std::min(row + page, ResultCount() - 1));
            return true;
        case Qt::Key_PageUp:
            Choose(std::max(row - page, 0));
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (row >= 0 && !key->isAutoRepeat())
                RunRow(row);
            return true;
        case Qt::Key_Escape:
            close();
            return true;
        default:
            break;
        }
    }
    return QFrame::eventFilter(watched, event);
}
