#include "dialogs/IconChooser.h"

#include "dialogs/Custom.h"
#include "platform/FileDialogs.h"
#include "platform/Seam.h"
#include "platform/Shell.h"
#include "text/Paths.h"

#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace {

class TRealIconChooser : public IIconChooser
{
public:
    bool Execute(QWidget* parent, QString& file, int& index) override
    {
        TfmChangeIcon form(parent, file, index);
        if (form.exec() != QDialog::Accepted || form.IconIndex() < 0)
            return false;
        file = form.FileName();
        index = form.IconIndex();
        return true;
    }
};

TSeam<IIconChooser> seam;

// A file with a thousand icons is not one a user picks from; the list stops there.
constexpr int MaxIcons = 1000;

} // namespace

IIconChooser& IconChooser()
{
    static TRealIconChooser real;
    return *seam.Current(&real);
}

IIconChooser* SetIconChooser(IIconChooser* chooser)
{
    return seam.Replace(chooser);
}

QList<QPixmap> FileIcons(const QString& file, int size)
{
    QList<QPixmap> icons;
    const QFileInfo info(file);
    if (file.isEmpty() || !info.exists())
        return icons;
    int count = 1;
    if (info.isFile()) {
        QImageReader reader(file);
        // Icon files hold several images; other pictures one (an animation shows its first).
        if (reader.canRead() && reader.format() == "ico")
            count = qBound(1, reader.imageCount(), MaxIcons);
    }
    for (int i = 0; i < count; ++i) {
        const QPixmap icon = Shell().ExtractIcon(file, i, size);
        if (icon.isNull() && i > 0)
            break;
        icons.append(icon);
    }
    return icons;
}

TfmChangeIcon::TfmChangeIcon(QWidget* parent, const QString& file, int index) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Сменить значок"));
    ApplyCustomLook(this);
    setFixedSize(380, 290);

    auto* prompt = new QLabel(QStringLiteral("Искать значки в файле:"), this);
    prompt->setGeometry(10, 10, 360, 14);
    FileNameEdit = new QLineEdit(this);
    FileNameEdit->setObjectName(QStringLiteral("FileNameEdit"));
    FileNameEdit->setGeometry(10, 28, 275, 21);
    FileNameEdit->setReadOnly(true);
    BrowseButton = new QPushButton(QStringLiteral("&Обзор..."), this);
    BrowseButton->setObjectName(QStringLiteral("BrowseButton"));
    BrowseButton->setGeometry(295, 26, 75, 25);
    BrowseButton->setAutoDefault(false);

    auto* listLabel = new QLabel(QStringLiteral("Выберите значок из списка:"), this);
    listLabel->setGeometry(10, 58, 360, 14);
    IconsListWidget = new QListWidget(this);
    IconsListWidget->setObjectName(QStringLiteral("IconsListWidget"));
    IconsListWidget->setGeometry(10, 76, 360, 168);
    IconsListWidget->setViewMode(QListView::IconMode);
    IconsListWidget->setFlow(QListView::LeftToRight);
    IconsListWidget->setWrapping(true);
    IconsListWidget->setIconSize(QSize(32, 32));
    IconsListWidget->setGridSize(QSize(44, 44));
    IconsListWidget->setUniformItemSizes(true);
    // A selected icon is marked by a frame around it, as the captions are empty.
    IconsListWidget->setStyleSheet(
        QStringLiteral("QListWidget::item { border: 2px solid transparent; padding: 2px; }"
                       "QListWidget::item:selected { border: 2px solid palette(highlight);"
                       " background: transparent; }"));
    IconsListWidget->setMovement(QListView::Static);
    IconsListWidget->setResizeMode(QListView::Adjust);
    IconsListWidget->setSelectionMode(QAbstractItemView::SingleSelection);

    OkButton = new QPushButton(QStringLiteral("&Ок"), this);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    OkButton->setGeometry(214, 255, 75, 25);
    OkButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("&Отмена"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setGeometry(295, 255, 75, 25);
    CancelButton->setAutoDefault(false);

    connect(BrowseButton, &QPushButton::clicked, this, [this] { BrowseButtonClick(); });
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(IconsListWidget, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(IconsListWidget, &QListWidget::currentRowChanged, this, [this] { UpdateOk(); });

    FileNameEdit->setText(file);
    Fill(index);
}

QString TfmChangeIcon::FileName() const
{
    return FileNameEdit->text();
}

int TfmChangeIcon::IconIndex() const
{
    return IconsListWidget->currentRow();
}

void TfmChangeIcon::SetFileName(const QString& file)
{
    FileNameEdit->setText(file);
    Fill(0);
}

void TfmChangeIcon::BrowseButtonClick()
{
    const QString chosen = FileDialogs().GetOpenFileName(
        this, QStringLiteral("Сменить значок"), ExtractFilePath(FileName()),
        QStringLiteral("Значки (*.ico *.png *.svg *.xpm *.bmp *.desktop);;Все файлы (*)"));
    if (!chosen.isEmpty())
        SetFileName(chosen);
}

void TfmChangeIcon::Fill(int index)
{
    IconsListWidget->clear();
    const QList<QPixmap> icons = FileIcons(FileName(), 32);
    for (int i = 0; i < icons.size(); ++i) {
        auto* item = new QListWidgetItem(QIcon(icons[i]), QString(), IconsListWidget);
        item->setToolTip(QString::number(i));
    }
    if (!icons.isEmpty())
        IconsListWidget->setCurrentRow(index >= 0 && index < icons.size() ? index : 0);
    UpdateOk();
}

void TfmChangeIcon::UpdateOk()
{
    OkButton->setEnabled(IconsListWidget->currentRow() >= 0);
}
