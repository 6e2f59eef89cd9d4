#include "DialogFakes.h"
#include "TestSupport.h"
#include "dialogs/About.h"
#include "dialogs/ClickImage.h"
#include "platform/Shell.h"

#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

namespace {

// A shell of a given version that records the addresses it is asked to open.
class TVersionShell : public IShell
{
public:
    bool Execute(const QString&, const QString&, const QString&) override { return false; }
    void PlaySound(int) override {}
    TShortcutInfo ReadShortcut(const QString&) override { return {}; }
    bool WriteShortcut(const TShortcutInfo&, const QString&, int) override { return false; }
    QPixmap ExtractIcon(const QString&, int, int) override { return {}; }
    void OpenUrl(const QString& url) override { opened.append(url); }
    QString StartupFolder() override { return {}; }
    QString DesktopFolder() override { return {}; }
    QString ExecutablePath() override { return QStringLiteral("/opt/kestrolin/kestrolin"); }
    TVersionNumbers ExecutableVersion() override { return {1, 4, 3, 374}; }
    QDateTime ExecutableLastChange() override
    {
        return QDateTime(QDate(2024, 3, 9), QTime(14, 5, 7));
    }

    QStringList opened;

private:
    TScopedSeam<IShell> m_seam{SetShell, this};
};

} // namespace

class TestAbout : public QObject
{
    Q_OBJECT

private slots:
    void labelsAndLinks()
    {
        TVersionShell shell;
        InitializeShellTexts();
        TfmAbout d;
        QCOMPARE(d.size(), QSize(341, 269));
        // The controls take their places from the size once the dialog is up.
        // The designed size is the least it takes; fonts that need more room widen it.
        d.show();
        QVERIFY(d.width() >= 341);
        QCOMPARE(d.height(), 269);
        QCOMPARE(d.MainPageControl->size(), QSize(d.width() - 13, 214));
        QCOMPARE(d.OkButton->geometry().topLeft(), QPoint(d.width() - 162, 238));
        QCOMPARE(d.CancelButton->geometry().topLeft(), QPoint(d.width() - 81, 238));
        QCOMPARE(clippedCaptions(&d), QStringList());
        QCOMPARE(d.Version->text(), QStringLiteral("1.4.3 сборка 374"));
        QCOMPARE(d.LastChange->text(), LastChangeText());
        QVERIFY(d.LastChange->text().contains(QStringLiteral("14:05:07")));
        QCOMPARE(d.AppName->text(), QStringLiteral("Kestrolin"));
        // The address is shown whole, never shortened.
        QCOMPARE(d.EmailLabel->text(), MailRecipient);
        QCOMPARE(d.EmailLabel->toolTip(), MailRecipient);
        QVERIFY(d.EmailLabel->fontMetrics().horizontalAdvance(d.EmailLabel->text()) <=
                d.EmailLabel->width());
        QVERIFY(!d.WWWImage->pixmap().isNull());
        QVERIFY(!d.MailToImage->pixmap().isNull());
        QVERIFY(!d.BugFoundImage->pixmap().isNull());

        d.hide();
        onModal([&d](QWidget*) {
            // The site's name and its picture lead to the same place.
            QTest::mouseClick(d.WWWNameLabel, Qt::LeftButton);
            QTest::mouseClick(d.WWWImage, Qt::LeftButton);
            QTest::mouseClick(d.MailToImage, Qt::LeftButton, {}, QPoint(8, 8));
            QTest::mouseClick(d.BugFoundImage, Qt::LeftButton, {}, QPoint(8, 8));
            d.OkButton->click();
        });
        QCOMPARE(d.exec(), int(QDialog::Accepted));
        QCOMPARE(shell.opened.size(), 4);
        QCOMPARE(shell.opened[0], WebSiteUrl);
        QCOMPARE(shell.opened[1], WebSiteUrl);
        QCOMPARE(shell.opened[2], MailLinkText(MailWish, VersionText(), LastChangeText()));
        QCOMPARE(shell.opened[3], MailLinkText(MailErrorReport, VersionText(), LastChangeText()));
        QVERIFY(shell.opened[2] != shell.opened[3]);
        ClearShellTexts();
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
