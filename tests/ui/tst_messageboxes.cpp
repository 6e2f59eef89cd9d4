// The real message boxes keep the program's conventions: buttons, icons, default button,
// line breaks and the caption.
#include "TestSupport.h"
#include "platform/MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

struct SeenBox
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QList<QMessageBox::ButtonRole> buttons;
    QMessageBox::ButtonRole defaultButton = QMessageBox::InvalidRole;
    bool seen = false;
};

// Looks at the next modal message box, then presses the button with the given role in it, or
// closes the box with Escape.
SeenBox answerNextBox(const std::function<int()>& show, QMessageBox::ButtonRole press, bool escape,
                      int* result)
{
    SeenBox seen;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen.seen = true;
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        for (QAbstractButton* button : box->buttons())
            seen.buttons << box->buttonRole(button);
        if (box->defaultButton())
            seen.defaultButton = box->buttonRole(box->defaultButton());
        if (escape) {
            QTest::keyClick(box, Qt::Key_Escape);
            return;
        }
        for (QAbstractButton* button : box->buttons()) {
            if (box->buttonRole(button) == press) {
                button->click();
                return;
            }
        }
    });
    *result = show();
    return seen;
}

} // namespace

class TestMessageBoxes : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QApplication::setApplicationDisplayName(QStringLiteral("Kestrolin")); }

    void confirmationAsksWithCancelAsDefault()
    {
        int result = -1;
        SeenBox box = answerNextBox(
            [] {
                return int(Confirm(QStringLiteral("Удалить?\rТочно?"), QStringLiteral("Вопрос")));
            },
            QMessageBox::AcceptRole, false, &result);
        QVERIFY(box.seen);
        QCOMPARE(result, 1);
        QCOMPARE(box.title, QStringLiteral("Вопрос"));
        QCOMPARE(box.text, QStringLiteral("Удалить?\nТочно?"));
        QCOMPARE(box.icon, QMessageBox::Question);
        QCOMPARE(box.buttons.size(), 2);
        QVERIFY(box.buttons.contains(QMessageBox::AcceptRole) &&
                box.buttons.contains(QMessageBox::RejectRole));
        QCOMPARE(box.defaultButton, QMessageBox::RejectRole);

        box =
            answerNextBox([] { return int(Confirm(QStringLiteral("Заменить?"), QString(), true)); },
                          QMessageBox::RejectRole, false, &result);
        QVERIFY(box.seen);
        QCOMPARE(result, 0);
        QCOMPARE(box.defaultButton, QMessageBox::AcceptRole);
        QCOMPARE(box.title, QStringLiteral("Kestrolin")); // no caption: the application title

        // Closing the box counts as Cancel.
        box =
            answerNextBox([] { return int(Confirm(QStringLiteral("Закрыть?"), QString(), true)); },
                          QMessageBox::AcceptRole, true, &result);
        QVERIFY(box.seen);
        QCOMPARE(result, 0);
    }

    void errorAndReportHaveOneButton()
    {
        int result = -1;
        SeenBox box = answerNextBox(
            [] {
                ShowError(QStringLiteral("Не удаётся запустить команду\r\"/x\" -a"),
                          QStringLiteral("Ошибка"));
                return IDOK;
            },
            QMessageBox::AcceptRole, false, &result);
        QVERIFY(box.seen);
        QCOMPARE(box.title, QStringLiteral("Ошибка"));
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.buttons, QList<QMessageBox::ButtonRole>({QMessageBox::AcceptRole}));
        QCOMPARE(box.text, QStringLiteral("Не удаётся запустить команду\n\"/x\" -a"));

        box = answerNextBox(
            [] { return ShowMessage(QStringLiteral("Готово"), QStringLiteral("Экспорт"), MB::OK); },
            QMessageBox::AcceptRole, true, &result);
        QVERIFY(box.seen);
        QCOMPARE(result, IDOK);
        QCOMPARE(box.icon, QMessageBox::NoIcon);
        QCOMPARE(box.buttons, QList<QMessageBox::ButtonRole>({QMessageBox::AcceptRole}));
    }
};

QTEST_MAIN(TestMessageBoxes)
#include "tst_messageboxes.moc"
