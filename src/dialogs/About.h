#pragma once

#include "dialogs/CustomOptions.h"

class QLabel;
class TClickImage;

// "О программе": who made the program and how to reach them, its name, version and date of
// last change, with the web site and two mail links (a wish, an error report) to click.
class TfmAbout : public TfmCustomOptions
{
    Q_OBJECT
public:
    static constexpr QSize DesignClientSize{341, 269};
    // The developer's contacts shown in the dialog.
    static const QString DeveloperName;
    static const QString InstantMessagingNumber;

    explicit TfmAbout(QWidget* owner = nullptr);

    void WWWImageClick();
    void MailToImageClick();
    void BugFoundImageClick();

    QLabel* Label7;
    TClickImage* WWWNameLabel;
    TClickImage* WWWImage;
    QLabel* EmailLabel;
    QLabel* ICQLabel;
    TClickImage* MailToImage;
    TClickImage* BugFoundImage;
    QLabel* AppName;
    QLabel* Version;
    QLabel* LastChange;

private:
    void FormCreate();
};
