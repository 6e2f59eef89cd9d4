#include "DialogFakes.h"
#include "TestSupport.h"
#include "dialogs/AddRenamePage.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

namespace {

QPixmap square(QColor colour)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    return pixmap;
}

// Shows the dialog, notes where the focus went and leaves with the key given.
QWidget* focusOnShow(TfmAddRenamePage& d, Qt::Key leaveWith)
{
    QWidget* focused = nullptr;
    onModal([&d, &focused, leaveWith](QWidget*) {
        focused = d.focusWidget();
        QTest::keyClick(focused ? focused : &d, leaveWith);
    });
    d.exec();
    return focused;
}

} // namespace

class TestAddRenamePage : public QObject
{
    Q_OBJECT

private slots:
    void addMode()
    {
        const QStringList names = {"Дом", "Работа"};
        TfmAddRenamePage d(nullptr, TfmAddRenamePage::AddPage, names,
                           {square(Qt::red), square(Qt::blue)}, QStringLiteral("Новая"));
        QCOMPARE(d.size(), QSize(270, 215));
        // The controls take their places from the size once the dialog is up.
        d.show();
        QCOMPARE(d.windowTitle(), QStringLiteral("Параметры страницы"));
        QCOMPARE(d.MainPageControl->tabText(0), QStringLiteral("Страница"));
        QVERIFY(d.width() >= 270);
        QCOMPARE(d.OkButton->geometry().topLeft(), QPoint(d.width() - 162, 184));
        QCOMPARE(d.CancelButton->geometry().topLeft(), QPoint(d.width() - 81, 184));
        QCOMPARE(clippedCaptions(&d), QStringList());
        QCOMPARE(d.PagesImagesImageComboBox->count(), 3);
        QCOMPARE(d.PagesImagesImageComboBox->itemText(0), QStringLiteral("Нет"));
        QVERIFY(d.PagesImagesImageComboBox->itemIcon(0).isNull());
        QCOMPARE(d.PagesImagesImageComboBox->itemText(2), QStringLiteral("Работа"));
        QCOMPARE(d.PagesImagesImageComboBox->itemIcon(2).pixmap(16, 16).toImage().pixelColor(8, 8),
                 QColor(Qt::blue));
        QCOMPARE(d.SelectedImageEntry(), 0);

        d.hide();
        onModal([&d](QWidget*) {
            // The name is typed over; the 16th character and later are refused.
            d.Edit->selectAll();
            QTest::keyClicks(d.Edit, QStringLiteral("Games and Multimedia"));
            d.PagesImagesImageComboBox->setCurrentIndex(1);
            QTest::keyClick(d.Edit, Qt::Key_Return);
        });
        QCOMPARE(d.exec(), int(QDialog::Accepted));
        QCOMPARE(d.PageName(), QStringLiteral("Games and Multi"));
        QCOMPARE(d.SelectedImageEntry(), 1);
        QCOMPARE(focusOnShow(d, Qt::Key_Escape), d.Edit);
        QCOMPARE(d.result(), int(QDialog::Rejected));
    }

    void addModeWithoutPictures()
    {
        TfmAddRenamePage d(nullptr, TfmAddRenamePage::AddPage, {}, {}, QStringLiteral("Новая"));
        QCOMPARE(d.PagesImagesImageComboBox->count(), 1);
        QCOMPARE(d.PagesImagesImageComboBox->itemText(0), QStringLiteral("Нет"));
        QCOMPARE(d.SelectedImageEntry(), -1);
    }

    void renameMode()
    {
        TfmAddRenamePage d(nullptr, TfmAddRenamePage::RenamePage, {"Дом"}, {square(Qt::red)},
                           QStringLiteral("Игры"));
        QVERIFY(!d.PagesImagesImageComboBox->isEnabled());
        QCOMPARE(d.PagesImagesImageComboBox->count(), 0);
        QCOMPARE(d.SelectedImageEntry(), -1);
        QVERIFY(d.Edit->isEnabled());
        QCOMPARE(d.Edit->text(), QStringLiteral("Игры"));
        QCOMPARE(focusOnShow(d, Qt::Key_Return), d.Edit);
        QCOMPARE(d.result(), int(QDialog::Accepted));
    }

    void storedLongNameStaysWhole()
    {
        // A caption longer than can be typed, stored earlier: shown whole, given back whole.
        const QString stored = QStringLiteral("Программы для работы");
        TfmAddRenamePage d(nullptr, TfmAddRenamePage::RenamePage, {}, {}, stored);
        QCOMPARE(d.Edit->text(), stored);
        onModal([&d](QWidget*) {
            d.Edit->end(false);
            d.Edit->insert(QStringLiteral("абв")); // typed or pasted: no room for more
            QTest::keyClick(d.Edit, Qt::Key_Return);
        });
        QCOMPARE(d.exec(), int(QDialog::Accepted));
        QCOMPARE(d.PageName(), stored);
        // What was deleted can be typed again, no more.
        onModal([&d](QWidget*) {
            d.Edit->end(false);
            QTest::keyClick(d.Edit, Qt::Key_Backspace);
            d.Edit->insert(QStringLiteral("ыйй"));
            QTest::keyClick(d.Edit, Qt::Key_Return);
        });
        QCOMPARE(d.exec(), int(QDialog::Accepted));
        QCOMPARE(d.PageName(), stored.chopped(1) + QStringLiteral("ы"));
    }

    void emptyNameIsRefused()
    {
        TScriptedMessageBoxes boxes;
        TfmAddRenamePage d(nullptr, TfmAddRenamePage::AddPage, {}, {}, QStringLiteral("Новая"));
        QList<bool> openAfterOk;
        onModal([&d, &openAfterOk](QWidget*) {
            for (const QString& name : {QString(), QStringLiteral("  \t ")}) {
                d.Edit->setText(name);
                d.OkButton->click();
                openAfterOk.append(d.isVisible());
            }
            // Blanks around a name go, as they would at the next start.
            d.Edit->setText(QStringLiteral("  Игры "));
            QTest::keyClick(d.Edit, Qt::Key_Return);
        });
        boxes.expect(IDOK);
        boxes.expect(IDOK);
        QCOMPARE(d.exec(), int(QDialog::Accepted));
        QCOMPARE(openAfterOk, QList<bool>({true, true}));
        QCOMPARE(d.PageName(), QStringLiteral("Игры"));
        QCOMPARE(boxes.shown.size(), 2);
        QCOMPARE(boxes.shown[0].text, QStringLiteral("Введите название страницы!"));
        QCOMPARE(boxes.shown[0].caption, QStringLiteral("Ошибка"));
        QCOMPARE(boxes.shown[0].flags, MB::OK | MB::ICONERROR);

        // Rename mode too; a page whose name can't be edited asks nothing.
        TfmAddRenamePage r(nullptr, TfmAddRenamePage::RenamePage, {}, {}, QStringLiteral("Игры"));
        onModal([&r](QWidget*) {
            r.Edit->clear();
            r.OkButton->click();
            r.CancelButton->click();
        });
        boxes.expect(IDOK);
        QCOMPARE(r.exec(), int(QDialog::Rejected));
        QCOMPARE(boxes.shown.size(), 3);
        TfmAddRenamePage c(nullptr, TfmAddRenamePage::ChangeImage, {}, {}, QString());
        onModal([&c](QWidget*) { c.OkButton->click(); });
        QCOMPARE(c.exec(), int(QDialog::Accepted));
        QCOMPARE(boxes.shown.size(), 3);
        QVERIFY(!boxes.unexpected);
    }

    void changeImageMode()
    {
        TfmAddRenamePage d(nullptr, TfmAddRenamePage::ChangeImage, {"Дом"}, {square(Qt::red)},
                           QStringLiteral("Игры"));
        // The name is shown, not editable; the picture is what changes.
        QCOMPARE(d.Edit->text(), QStringLiteral("Игры"));
        QVERIFY(!d.Edit->isEnabled());
        QVERIFY(d.PagesImagesImageComboBox->isEnabled());
        QCOMPARE(d.PagesImagesImageComboBox->count(), 2);
        QCOMPARE(focusOnShow(d, Qt::Key_Return), d.PagesImagesImageComboBox);
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(d.SelectedImageEntry(), 0);
    }
};

QTEST_MAIN(TestAddRenamePage)
#include "tst_addrenamepage.moc"
