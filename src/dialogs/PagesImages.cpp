#include "dialogs/PagesImages.h"

#include "dialogs/InputBox.h"
#include "platform/FileDialogs.h"
#include "platform/MessageBoxes.h"

#include <QFrame>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QTabWidget>

namespace {

const QString ErrorCaption = QStringLiteral("Ошибка");
const QString DuplicateNameText =
    QStringLiteral("Рисунок с таким именем уже существует!\rВведите другое!");
const QString WrongSizeText = QStringLiteral("Размер рисунка не соответствует!\rВыберите другой!");
// Pictures read from the file show with this colour transparent.
constexpr QRgb FileTransparentColor = qRgb(255, 0, 255);
constexpr int NameRole = Qt::UserRole;

enum class Glyph
{
    Add,
    Delete,
    Replace,
    Edit
};

QIcon glyph(Glyph kind)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (kind) {
    case Glyph::Add:
        p.setPen(QPen(QColor(0, 128, 0), 3, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(8, 2), QPointF(8, 14));
        p.drawLine(QPointF(2, 8), QPointF(14, 8));
        break;
    case Glyph::Delete:
        p.setPen(QPen(QColor(192, 0, 0), 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(3, 3), QPointF(13, 13));
        p.drawLine(QPointF(13, 3), QPointF(3, 13));
        break;
    case Glyph::Replace: {
        p.setPen(QPen(QColor(0, 64, 160), 2));
        p.drawLine(QPointF(2, 5), QPointF(12, 5));
        p.drawLine(QPointF(4, 11), QPointF(14, 11));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 64, 160));
        p.drawPolygon(QPolygonF({QPointF(11, 1.5), QPointF(15, 5), QPointF(11, 8.5)}));
        p.drawPolygon(QPolygonF({QPointF(5, 7.5), QPointF(1, 11), QPointF(5, 14.5)}));
        break;
    }
    case Glyph::Edit: {
        p.setPen(QPen(QColor(96, 64, 0), 1));
        p.setBrush(QColor(240, 200, 64));
        QPainterPath pencil;
        pencil.moveTo(3, 13);
        pencil.lineTo(4, 10);
        pencil.lineTo(11, 3);
        pencil.lineTo(13, 5);
        pencil.lineTo(6, 12);
        pencil.closeSubpath();
        p.drawPath(pencil);
        p.setPen(QPen(Qt::black, 1));
        p.drawLine(QPointF(2, 14.5), QPointF(14, 14.5));
        break;
    }
    }
    return QIcon(pixmap);
}

} // namespace

TfmPagesImages::TfmPagesImages(QWidget* mainWindow, const QString& fileName)
    : TfmCustomOptions(mainWindow), m_mainWindow(mainWindow), m_repository(fileName, 16, 16)
{
    // The form is sizeable; its designed size (432 x 255 with a sizeable Windows frame) is
    // 424 x 228 inside the frame, and no smaller.
    const QSize client(424, 228);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Рисунки для страниц"));
    setMinimumSize(client);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    resize(client);
    MainPageControl->setTabText(0, QStringLiteral("Рисунки 16 x 16"));
    Bevel2->hide();

    const QSize sheet = TabSheetDesignSize(
        {client.width() - (DesignClientSize.width() - DesignPageControl.width()),
         client.height() - (DesignClientSize.height() - DesignPageControl.height())});
    TabsIconsListView = new QListWidget(TabSheet1);
    TabsIconsListView->setObjectName(QStringLiteral("TabsIconsListView"));
    TabsIconsListView->setViewMode(QListView::IconMode);
    TabsIconsListView->setIconSize(QSize(16, 16));
    TabsIconsListView->setMovement(QListView::Static);
    TabsIconsListView->setResizeMode(QListView::Adjust);
    TabsIconsListView->setWordWrap(false);
    TabsIconsListView->setTextElideMode(Qt::ElideRight);
    TabsIconsListView->setGridSize(QSize(76, 40));
    TabsIconsListView->setSelectionMode(QAbstractItemView::SingleSelection);
    TabsIconsListView->setEditTriggers(QAbstractItemView::EditKeyPressed |
                                       QAbstractItemView::SelectedClicked);
    Anchor(TabsIconsListView, {8, 8, 293, 129}, sheet,
           Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge | Qt::BottomEdge);

    ButtonsPanel = new QFrame(TabSheet1);
    ButtonsPanel->setObjectName(QStringLiteral("ButtonsPanel"));
    ButtonsPanel->setFrameShape(QFrame::Panel);
    ButtonsPanel->setFrameShadow(QFrame::Raised);
    Anchor(ButtonsPanel, {302, 6, 95, 133}, sheet, Qt::TopEdge | Qt::RightEdge | Qt::BottomEdge);
    const auto button = [this](const QString& name, const QString& text, Glyph kind, int top) {
        auto* b = new QPushButton(glyph(kind), text, ButtonsPanel);
        b->setObjectName(name);
        b->setAutoDefault(false);
        b->setGeometry(5, top, 83, 25);
        return b;
    };
    AddBitBtn = button(QStringLiteral("AddBitBtn"), QStringLiteral("Добавить"), Glyph::Add, 6);
    DelBitBtn = button(QStringLiteral("DelBitBtn"), QStringLiteral("Удалить"), Glyph::Delete, 38);
    ReplaceBitBtn =
        button(QStringLiteral("ReplaceBitBtn"), QStringLiteral("Заменить"), Glyph::Replace, 70);
    btnEdit = button(QStringLiteral("btnEdit"), QStringLiteral("Изменить"), Glyph::Edit, 102);
    connect(AddBitBtn, &QPushButton::clicked, this, [this] { AddBitBtnClick(); });
    connect(DelBitBtn, &QPushButton::clicked, this, [this] { DelBitBtnClick(); });
    connect(ReplaceBitBtn, &QPushButton::clicked, this, [this] { ReplaceBitBtnClick(); });
    connect(btnEdit, &QPushButton::clicked, this, [this] { btnEditClick(); });
    connect(TabsIconsListView, &QListWidget::itemChanged, this,
            [this](QListWidgetItem* item) { TabsIconsListViewEdited(item); });

    // A damaged file shows what could be read; saving keeps the damaged original as a copy.
    m_repository.Load();
    for (int i = 0; i < m_repository.Count(); ++i) {
        const TRepositoryItem* item = m_repository.Images(i);
        addListItem(item->Name, item->Bitmap.maskedImage(FileTransparentColor));
    }
}

TfmPagesImages::~TfmPagesImages() = default;

void TfmPagesImages::showEvent(QShowEvent* event)
{
    TfmCustomOptions::showEvent(event);
    AddBitBtn->setFocus();
}

QListWidgetItem* TfmPagesImages::addListItem(const QString& name, const QImage& picture)
{
    m_filling = true;
    auto* item = new QListWidgetItem(QIcon(QPixmap::fromImage(picture)), name);
    item->setData(NameRole, name);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    TabsIconsListView->addItem(item);
    m_filling = false;
    return item;
}

QListWidgetItem* TfmPagesImages::selectedItem() const
{
    const QList<QListWidgetItem*> selected = TabsIconsListView->selectedItems();
    return selected.isEmpty() ? nullptr : selected.constFirst();
}

QString TfmPagesImages::choosePictureFile()
{
    return FileDialogs().GetOpenFileName(this, QStringLiteral("Открыть"), QString(),
                                         QStringLiteral("Bitmaps (*.bmp)"));
}

bool TfmPagesImages::loadWorkBitmap(const QString& path)
{
    QString error;
    TBitmap bitmap;
    if (!Bmp::loadFile(path, &bitmap, &error)) {
        ShowError(
            QStringLiteral("Не удалось прочитать рисунок из файла\r%1\r(%2)").arg(path, error),
            QString());
        return false;
    }
    m_workBitmap = bitmap;
    if (m_workBitmap.width() != m_repository.ImageWidth() ||
        m_workBitmap.height() != m_repository.ImageHeight()) {
        ShowError(WrongSizeText, ErrorCaption);
        return false;
    }
    return true;
}

void TfmPagesImages::AddBitBtnClick()
{
    const QString path = choosePictureFile();
    if (path.isEmpty())
        return;
    // A picture that cannot be used is refused before anyone is asked to name it.
    if (!loadWorkBitmap(path))
        return;
    QString name = QStringLiteral("Новый");
    for (;;) {
        if (!InputBox(QStringLiteral("Добавление рисунка"),
                      QStringLiteral("Введите название для рисунка"), name, true, true, name,
                      m_mainWindow))
            return;
        if (m_repository.IndexOfName(name) < 0)
            break;
        ShowError(DuplicateNameText, ErrorCaption);
    }
    // Shown as it will show on the tabs and at the next opening: the bottom-left colour of a
    // picture is often its background, and taking it as transparent left nothing to see.
    if (TRepositoryItem* item = m_repository.AddImage(name, m_workBitmap))
        TabsIconsListView->setCurrentItem(
            addListItem(item->Name, m_workBitmap.maskedImage(FileTransparentColor)));
}

void TfmPagesImages::DelBitBtnClick()
{
    QListWidgetItem* item = selectedItem();
    if (!item)
        return;
    const QString name = item->data(NameRole).toString();
    if (!Confirm(QStringLiteral("Вы действительно хотите удалить рисунок \r") + name +
                     QStringLiteral(" ?"),
                 QStringLiteral("Подтвердите удаление")))
        return;
    m_repository.DeleteImage(name);
    delete item;
}

void TfmPagesImages::ReplaceBitBtnClick()
{
    QListWidgetItem* item = selectedItem();
    if (!item)
        return;
    const QString path = choosePictureFile();
    if (path.isEmpty() || !loadWorkBitmap(path))
        return;
    m_repository.ReplaceImage(item->data(NameRole).toString(), m_workBitmap);
    // The new picture shows at once, as it will at the next opening.
    m_filling = true;
    item->setIcon(QPixmap::fromImage(m_workBitmap.maskedImage(FileTransparentColor)));
    m_filling = false;
}

void TfmPagesImages::btnEditClick()
{
    QListWidgetItem* item = selectedItem();
    if (!item) {
        ShowError(QStringLiteral("Выберите рисунок!"), QString());
        return;
    }
    const QString name = item->data(NameRole).toString();
    QString text = name;
    if (!InputQuery(QStringLiteral("Изменение названия рисунка"),
                    QStringLiteral("Введите новое название"), text, this))
        return;
    if (text == name)
        return;
    renameItem(item, name, text);
}

bool TfmPagesImages::renameItem(QListWidgetItem* item, const QString& oldName,
                                const QString& newName)
{
    const int other = m_repository.IndexOfName(newName);
    m_filling = true;
    bool renamed = false;
    if (other >= 0 && other != TabsIconsListView->row(item)) {
        ShowError(DuplicateNameText, ErrorCaption);
        item->setText(oldName);
    } else {
        m_repository.RenameImage(oldName, newName);
        const int row = TabsIconsListView->row(item);
        const QString stored = m_repository.Images(row)->Name;
        item->setText(stored);
        item->setData(NameRole, stored);
        renamed = true;
    }
    m_filling = false;
    return renamed;
}

void TfmPagesImages::TabsIconsListViewEdited(QListWidgetItem* item)
{
    if (m_filling)
        return;
    const QString oldName = item->data(NameRole).toString();
    const QString newName = item->text();
    if (newName == oldName)
        return;
    renameItem(item, oldName, newName);
}

void TfmPagesImages::OkButtonClick()
{
    QString error;
    if (!m_repository.Save(&error)) {
        // Stay open, so the user's changes are not lost.
        ShowError(QStringLiteral("Не удалось сохранить рисунки\r") + error, ErrorCaption);
        return;
    }
    accept();
}
