#include "dialogs/AddRenamePage.h"

#include "dialogs/ClickImage.h"
#include "platform/MessageBoxes.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>
#include <QTabWidget>

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

    Label4 = CreateHeading(sheet, QStringLiteral("Рисунок"), {22, 68}, 200, &line);
    Label4->setObjectName(QStringLiteral("Label4"));
    line->setObjectName(QStringLiteral("Bevel6"));
    PagesImagesImageComboBox = new QComboBox(sheet);
    PagesImagesImageComboBox->setObjectName(QStringLiteral("PagesImagesImageComboBox"));
    PagesImagesImageComboBox->setGeometry(24, 92, 200, 23);
    PagesImagesImageComboBox->setIconSize(QSize(16, 16));
    PagesImagesImageComboBox->view()->setMinimumWidth(203);
    setTabOrder(Edit, PagesImagesImageComboBox);

    // The limit is for typing: a longer name stored earlier is shown and kept whole, and typing
    // never makes it longer than it was.
    Edit->setMaxLength(qMax(MaxNameLength, int(qMin<qsizetype>(initialName.size(), 32767))));
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
    // Pages.ini keeps captions trimmed; the page shows what the next start will read.
    return Edit->text().trimmed();
}

void TfmAddRenamePage::OkButtonClick()
{
    // A page without a caption is not read back at the next start, and its commands with it.
    if (Edit->isEnabled() && PageName().isEmpty()) {
        ShowError(QStringLiteral("Введите название страницы!"), QStringLiteral("Ошибка"));
        Edit->setFocus();
        return;
    }
    TfmCustomOptions::OkButtonClick();
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
