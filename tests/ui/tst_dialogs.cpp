#include "TestSupport.h"
#include "dialogs/Custom.h"
#include "dialogs/CustomOptions.h"
#include "dialogs/Help.h"
#include "dialogs/InputBox.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

namespace {

// Runs action on the modal window once it is up.
void onModal(std::function<void(QWidget*)> action)
{
    QTimer::singleShot(0, qApp, [action] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        action(modal);
    });
}

class TRecordingHelp : public IHelpViewer
{
public:
    void ShowTopic(const QString& keyword) override { topics.append(keyword); }
    QStringList topics;
};

void turnWheel(QWidget* target, int delta)
{
    const QPointF at(target->width() / 2.0, target->height() / 2.0);
    QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}

} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT

private slots:
    void placeBesideMainWindow()
    {
        QWidget main;
        QWidget dialog;
        main.setGeometry(800, 100, 200, 600);
        dialog.resize(261, 213);
        // Level with the main window's top, touching its left side.
        PlaceBesideMainWindow(&main, &dialog);
        QCOMPARE(dialog.frameGeometry().topLeft(), QPoint(800 - 261, 100));
        QCOMPARE(dialog.frameGeometry().right() + 1, main.frameGeometry().left());

        // Taller than the main window: the bottoms align, even when the top leaves the screen.
        main.setGeometry(800, 50, 200, 300);
        dialog.resize(261, 400);
        PlaceBesideMainWindow(&main, &dialog);
        QCOMPARE(dialog.frameGeometry().topLeft(), QPoint(800 - 261, -50));
        QCOMPARE(dialog.frameGeometry().bottom(), main.frameGeometry().bottom());

        // No room on the left: to the right of the main window.
        main.setGeometry(100, 200, 200, 600);
        dialog.resize(261, 213);
        PlaceBesideMainWindow(&main, &dialog);
        QCOMPARE(dialog.frameGeometry().topLeft(), QPoint(300, 200));
        // Exactly enough room stays on the left.
        main.setGeometry(261, 200, 200, 600);
        PlaceBesideMainWindow(&main, &dialog);
        QCOMPARE(dialog.frameGeometry().left(), 0);
    }

    void mulDivRoundsToNearest()
    {
        QCOMPARE(MulDiv(15, 13, 8), 24);  // 24.375
        QCOMPARE(MulDiv(50, 5, 4), 63);   // 62.5 rounds away from zero
        QCOMPARE(MulDiv(-50, 5, 4), -63); // as does its negative
        QCOMPARE(MulDiv(164, 6, 4), 246);
        QCOMPARE(MulDiv(1, 2, 0), -1);
    }

    void inputBoxTakesAtMost25CharactersAndEnter()
    {
        QWidget main;
        main.setGeometry(900, 100, 200, 600);
        QString result = QStringLiteral("unchanged");
        onModal([](QWidget* box) {
            auto* edit = box->findChild<QLineEdit*>(QStringLiteral("Edit"));
            QVERIFY(edit);
            QCOMPARE(edit->selectedText(), QStringLiteral("Новый"));
            QCOMPARE(box->focusWidget(), edit);
            // Typing over the selection; the 26th character and later are refused.
            QTest::keyClicks(edit, QStringLiteral("abcdefghijklmnopqrstuvwxyz0123"));
            QCOMPARE(edit->text(), QStringLiteral("abcdefghijklmnopqrstuvwxy"));
            QTest::keyClick(edit, Qt::Key_Return);
        });
        QVERIFY(InputBox(QStringLiteral("Добавление рисунка"),
                         QStringLiteral("Введите название для рисунка"), QStringLiteral("Новый"),
                         true, true, result, &main));
        QCOMPARE(result, QStringLiteral("abcdefghijklmnopqrstuvwxy"));
    }

    void inputBoxEscapeLeavesResultUnchanged()
    {
        QString result = QStringLiteral("unchanged");
        QRect placed;
        QWidget main;
        main.setGeometry(900, 100, 200, 600);
        main.show();
        onModal([&placed](QWidget* box) {
            placed = box->frameGeometry();
            auto* edit = box->findChild<QLineEdit*>(QStringLiteral("Edit"));
            QTest::keyClicks(edit, QStringLiteral("Garden"));
            QTest::keyClick(edit, Qt::Key_Escape);
        });
        QVERIFY(!InputBox(QStringLiteral("c"), QStringLiteral("p"), QStringLiteral("x"), true, true,
                          result, &main));
        QCOMPARE(result, QStringLiteral("unchanged"));
        // Placed beside the main window like every dialog.
        QCOMPARE(placed.right() + 1, main.frameGeometry().left());
        QCOMPARE(placed.top(), main.frameGeometry().top());
    }

    void inputBoxWithCancelAsDefault()
    {
        auto form = CreateInputBoxForm(QStringLiteral("c"), QStringLiteral("p"), QString(), true,
                                       false, nullptr);
        auto* ok = form->findChild<QPushButton*>(QStringLiteral("OkButton"));
        auto* cancel = form->findChild<QPushButton*>(QStringLiteral("CancelButton"));
        auto* edit = form->findChild<QLineEdit*>(QStringLiteral("Edit"));
        QVERIFY(cancel->isDefault());
        QVERIFY(!ok->isDefault());
        // Cancel comes before OK after the edit.
        QCOMPARE(edit->nextInFocusChain(), cancel);
        QString result = QStringLiteral("unchanged");
        onModal([](QWidget* box) {
            QTest::keyClick(box->findChild<QLineEdit*>(QStringLiteral("Edit")), Qt::Key_Return);
        });
        QVERIFY(!InputBox(QStringLiteral("c"), QStringLiteral("p"), QStringLiteral("x"), true,
                          false, result, nullptr));
        QCOMPARE(result, QStringLiteral("unchanged"));
    }

    void optionsDialogEscapeAndEnter()
    {
        TfmCustomOptions dialog;
        QCOMPARE(dialog.size(), QSize(261, 213));
        auto* edit = new QLineEdit(dialog.TabSheet1);
        onModal([edit](QWidget*) {
            edit->setFocus();
            QTest::keyClick(edit, Qt::Key_Return);
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));

        onModal([edit](QWidget*) {
            edit->setFocus();
            QTest::keyClick(edit, Qt::Key_Escape);
        });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));

        // Enter is OK even with the focus on "Отмена"; the key does not reach the button too.
        onModal([&dialog](QWidget*) {
            dialog.CancelButton->setFocus();
            QTest::keyClick(dialog.CancelButton, Qt::Key_Return);
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));

        // Other keys go to the controls as usual.
        onModal([edit, &dialog](QWidget*) {
            edit->setFocus();
            QTest::keyClicks(edit, QStringLiteral("ab"));
            QCOMPARE(edit->text(), QStringLiteral("ab"));
            dialog.reject();
        });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    }

    void optionsDialogLayoutFollowsAnchors()
    {
        TfmCustomOptions dialog;
        QCOMPARE(dialog.OkButton->geometry(), QRect(99, 182, 75, 25));
        QCOMPARE(dialog.CancelButton->geometry(), QRect(180, 182, 75, 25));
        QCOMPARE(dialog.HelpButton->geometry(), QRect(6, 182, 75, 25));
        QCOMPARE(dialog.MainPageControl->geometry(), QRect(7, 6, 248, 158));
        dialog.setMinimumSize(0, 0);
        dialog.setMaximumSize(1000, 1000);
        dialog.resize(361, 313);
        dialog.show();
        QCOMPARE(dialog.OkButton->geometry(), QRect(199, 282, 75, 25));
        QCOMPARE(dialog.HelpButton->geometry(), QRect(6, 282, 75, 25));
        QCOMPARE(dialog.MainPageControl->geometry(), QRect(7, 6, 348, 258));
        QCOMPARE(dialog.Bevel1->geometry(), QRect(0, 272, 361, 2));
        // Tab order: help, OK, cancel, page control.
        QCOMPARE(dialog.HelpButton->nextInFocusChain(), dialog.OkButton);
        QCOMPARE(dialog.OkButton->nextInFocusChain(), dialog.CancelButton);
        QWidget* next = dialog.CancelButton->nextInFocusChain();
        while (next != dialog.HelpButton && !(next->focusPolicy() & Qt::TabFocus))
            next = next->nextInFocusChain();
        QCOMPARE(next, dialog.MainPageControl);
    }

    void wheelOverPageControlTurnsPagesWithoutWrap()
    {
        TfmCustomOptions dialog;
        dialog.MainPageControl->addTab(new QWidget, QStringLiteral("Two"));
        dialog.MainPageControl->addTab(new QWidget, QStringLiteral("Three"));
        dialog.show();
        QTabBar* bar = dialog.MainPageControl->tabBar();
        turnWheel(bar, 120);
        QCOMPARE(dialog.MainPageControl->currentIndex(), 0);
        turnWheel(bar, -120);
        QCOMPARE(dialog.MainPageControl->currentIndex(), 1);
        turnWheel(dialog.MainPageControl, -120);
        QCOMPARE(dialog.MainPageControl->currentIndex(), 2);
        turnWheel(bar, -120);
        QCOMPARE(dialog.MainPageControl->currentIndex(), 2);
        // Small touchpad steps add up to one page.
        turnWheel(bar, 60);
        QCOMPARE(dialog.MainPageControl->currentIndex(), 2);
        turnWheel(bar, 60);
        QCOMPARE(dialog.MainPageControl->currentIndex(), 1);
    }

    void helpButtonAsksForTheKeyword()
    {
        TfmCustomOptions dialog;
        dialog.SetHelpKeyword(QStringLiteral("Главное окно программы"));
        // No viewer registered: nothing happens.
        QTest::mouseClick(dialog.HelpButton, Qt::LeftButton);
        TRecordingHelp help;
        {
            TScopedSeam viewer(SetHelpViewer, &help);
            QTest::mouseClick(dialog.HelpButton, Qt::LeftButton);
        }
        QCOMPARE(help.topics, QStringList{QStringLiteral("Главное окно программы")});
        QVERIFY(!dialog.isVisible());
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
