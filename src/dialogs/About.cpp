#include "dialogs/About.h"

#include "dialogs/ClickImage.h"
#include "images/MainImageList.h"
#include "platform/Shell.h"
#include "settings/Constants.h"

#include <QLabel>
#include <QTabWidget>
#include <QUrl>

const QString TfmAbout::DeveloperName = QStringLiteral("Команда Kestrolin");
const QString TfmAbout::InstantMessagingNumber = QStringLiteral("нет");

namespace {

// A value label of fixed size that shows "*" until it is filled.
QLabel* ValueLabel(QWidget* parent, const QString& name, const QRect& bounds)
{
    auto* label = new QLabel(QStringLiteral("*"), parent);
    label->setObjectName(name);
    label->setGeometry(bounds);
    return label;
}

TClickImage* Picture(QWidget* parent, const QString& name, int number, const QPoint& at,
                     const QString& hint)
{
    auto* image = new TClickImage(parent);
    image->setObjectName(name);
    image->setGeometry(at.x(), at.y(), 16, 16);
    image->setPixmap(MainImage(number).pixmap(16, 16));
    image->setAttribute(Qt::WA_TranslucentBackground);
    image->setCursor(Qt::PointingHandCursor);
    image->setToolTip(hint);
    return image;
}

} // namespace

TfmAbout::TfmAbout(QWidget* owner) : TfmCustomOptions(owner)
{
    setWindowTitle(QStringLiteral("О программе"));
    setFixedSize(DesignClientSize);
    MainPageControl->setTabText(0, QStringLiteral("Информация"));
    QWidget* sheet = TabSheet1;

    CreateHeading(sheet, QStringLiteral("Разработчик"), {22, 18}, 130);
    Label7 = ValueLabel(sheet, QStringLiteral("Label7"), {22, 37, 130, 13});

    CreateHeading(sheet, QStringLiteral("Сайт"), {167, 18}, 130);
    WWWNameLabel = new TClickImage(sheet);
    WWWNameLabel->setObjectName(QStringLiteral("WWWNameLabel"));
    WWWNameLabel->setText(QStringLiteral("*"));
    WWWNameLabel->setGeometry(167, 37, 130, 13);
    QFont link = CustomFont();
    link.setUnderline(true);
    WWWNameLabel->setFont(link);
    QPalette blue = WWWNameLabel->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    WWWNameLabel->setPalette(blue);
    WWWNameLabel->setCursor(Qt::PointingHandCursor);
    WWWNameLabel->setToolTip(QStringLiteral("Сайт программы"));
    WWWImage =
        Picture(sheet, QStringLiteral("WWWImage"), 20, {280, 16}, QStringLiteral("Сайт программы"));

    CreateHeading(sheet, QStringLiteral("E-mail"), {22, 57}, 130);
    EmailLabel = ValueLabel(sheet, QStringLiteral("EmailLabel"), {22, 76, 130, 13});
    CreateHeading(sheet, QStringLiteral("ICQ"), {167, 57}, 130);
    ICQLabel = ValueLabel(sheet, QStringLiteral("ICQLabel"), {167, 76, 130, 13});

    CreateHeading(sheet, QStringLiteral("Программа"), {22, 96}, 130);
    MailToImage = Picture(sheet, QStringLiteral("MailToImage"), 19, {115, 94},
                          QStringLiteral("Написать пожелание к программе"));
    BugFoundImage = Picture(sheet, QStringLiteral("BugFoundImage"), 21, {135, 94},
                            QStringLiteral("Написать о найденной ошибке"));
    AppName = ValueLabel(sheet, QStringLiteral("AppName"), {22, 115, 130, 13});
    CreateHeading(sheet, QStringLiteral("Версия"), {167, 96}, 130);
    Version = ValueLabel(sheet, QStringLiteral("Version"), {167, 115, 130, 13});

    CreateHeading(sheet, QStringLiteral("Последнее изменение"), {22, 135}, 275);
    LastChange = ValueLabel(sheet, QStringLiteral("LastChange"), {22, 154, 275, 13});

    // The pictures sit over the heading lines; they come to the front so their clicks arrive.
    for (QWidget* picture : {WWWImage, MailToImage, BugFoundImage})
        picture->raise();
    connect(WWWImage, &TClickImage::clicked, this, [this] { WWWImageClick(); });
    connect(WWWNameLabel, &TClickImage::clicked, this, [this] { WWWImageClick(); });
    connect(MailToImage, &TClickImage::clicked, this, [this] { MailToImageClick(); });
    connect(BugFoundImage, &TClickImage::clicked, this, [this] { BugFoundImageClick(); });

    FormCreate();
}

void TfmAbout::FormCreate()
{
    Version->setText(VersionText());
    LastChange->setText(LastChangeText());
    AppName->setText(Constants::ProductName);
    // The site's address without its scheme fits the label and reads like a name.
    WWWNameLabel->setText(QUrl(WebSiteUrl).host());
    // Shown whole: the dialog grows when the address is longer than its label.
    EmailLabel->setText(MailRecipient);
    EmailLabel->setToolTip(MailRecipient);
    Label7->setText(DeveloperName);
    ICQLabel->setText(InstantMessagingNumber);
}

void TfmAbout::WWWImageClick()
{
    OpenWebSite();
}

void TfmAbout::MailToImageClick()
{
    SendMailLink(MailWish);
}

void TfmAbout::BugFoundImageClick()
{
    SendMailLink(MailErrorReport);
}
