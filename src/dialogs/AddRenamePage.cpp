#include "dialogs/AddRenamePage.h"

#include "dialogs/ClickImage.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QTabWidget>
#include <QLineEdit>
#include <QShowEvent>

TfmAddRenamePage::TfmAddRenamePage(QWidget* owner, TMode mode, const QStringList& imageNames,
                                   const QList<QPixmap>& images, const QString& initialName)
    : TfmCustomOptions(owner), PagesImageList(images), m_mode(mode)
{
    setWindowTitle(QStringLiteral("Параметры страницы"));
    setFixedSize(DesignClientSize);
    MainPageControl->setTabText(0, QStringLiteral("Страница"));
    QWidget* sheet = TabSheet1;

    QFrame* line = nullptr;
    PromptLabel = CreateHeading(sheet, QStringLiteral("Название"), {22, 18}, 200, &line);
    PromptLabel->setObjectName(QStringLiteral("PromptLabel"));
    line->setObjectName(QStringLiteral("Bevel7"));
    Edit = new QLineEdit(sheet);
    Edit->setObjectName(QStringLiteral("Edit"));
    Edit->setGeometry(24, 42, 200, 21);
    Edit->setMaxLength(MaxNameLength);

    Label4 = CreateHeading(sheet, QStringLiteral("Рисунок"), {22, 68}, 200, &line);
    Label4->setObjectName(QStringLiteral("Label4"));
    line->setObjectName(QStringLiteral("Bevel6"));
    PagesImagesImageComboBox = new QComboBox(sheet);
    PagesImagesImageComboBox->setObjectName(QStringLiteral("PagesImagesImageComboBox"));
    PagesImagesImageComboBox->setGeometry(24, 92, 200, 23);
    PagesImagesImageComboBox->setIconSize(QSize(16, 16));
    PagesImagesImageComboBox->view()->setMinimumWidth(203);
    setTabOrder(Edit, PagesImagesImageComboBox);

    Edit->setText(initialName);
    if (mode == RenamePage) {
        PagesImagesImageComboBox->setEnabled(false);
    } else {
        if (mode == ChangeImage)
            Edit->setEnabled(false);
        PagesImagesImageComboBox->addItem(QStringLiteral("Нет"));
        for (int i = 0; i < imageNames.size(); ++i) {
            const QPixmap picture = i < PagesImageList.size() ? PagesImageList[i] : QPixmap();
            PagesImagesImageComboBox->addItem(QIcon(picture), imageNames[i]);
        }
        // Without pictures there is nothing to choose; no entry is selected then.
        PagesImagesImageComboBox->setCurrentIndex(imageNames.isEmpty() ? -1 : 0);
    }
}

QString TfmAddRenamePage::PageName() const
{
    return Edit->text();
}

int TfmAddRenamePage::SelectedImageEntry() const
{
    return PagesImagesImageComboBox->currentIndex();
}

void TfmAddRenamePage::FormActivate()
{
    if (Edit->isEnabled())
        Edit->setFocus();
    else
        PagesImagesImageComboBox->setFocus();
}

void TfmAddRenamePage::showEvent(QShowEvent* event)
{
    TfmCustomOptions::showEvent(event);
    if (!event->spontaneous())
        FormActivate();
}
