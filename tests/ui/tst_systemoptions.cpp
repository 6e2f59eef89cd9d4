#include "DialogFakes.h"
#include "TestSupport.h"
#include "dialogs/SystemOptions.h"

#include <QCheckBox>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>

class TestSystemOptions : public QObject
{
    Q_OBJECT

private slots:
    void pagesRangesAndFocus()
    {
        QTemporaryDir dir;
        TfmSystemOptions d(nullptr, nullptr, dir.path() + '/');
        QCOMPARE(d.size(), QSize(338, 363));
        // The controls take their places from the size once the dialog is up.
        // The designed size is the least it takes; fonts that need more room widen it.
        d.show();
        QVERIFY(d.width() >= 338);
        QCOMPARE(d.height(), 363);
        QCOMPARE(d.MainPageControl->size(), QSize(d.width() - 13, 308));
        QCOMPARE(d.OkButton->geometry().topLeft(), QPoint(d.width() - 163, 332));
        QCOMPARE(d.CancelButton->geometry().topLeft(), QPoint(d.width() - 82, 332));
        QCOMPARE(d.HelpButton->y(), 332);
        QCOMPARE(d.HelpKeyword(), QStringLiteral("Главное окно программы"));
        QStringList tabs;
        for (int i = 0; i < d.MainPageControl->count(); ++i)
            tabs << d.MainPageControl->tabText(i);
        QCOMPARE(tabs, QStringList({"Общие", "Подтверждения", "Прозрачность", "История", "Звуки"}));
        QCOMPARE(d.MainPageControl->currentIndex(), 0);
        // All five tabs are in sight at once, none behind scroll arrows, and no caption of any
        // page is cut, whatever fonts the machine has.
        const QTabBar* bar = d.MainPageControl->tabBar();
        QVERIFY(bar->tabRect(4).right() < d.MainPageControl->width());
        QVERIFY(bar->tabRect(1).width() >= bar->fontMetrics().horizontalAdvance(tabs[1]));
        QCOMPARE(clippedCaptions(&d), QStringList());

        // The spin edits and the track bar keep their values inside the ranges.
        d.ColCountSpinEdit->setValue(9);
        QCOMPARE(d.ColCountSpinEdit->value(), 5);
        d.CommandsCountSpinEdit->setValue(0);
        QCOMPARE(d.CommandsCountSpinEdit->value(), 1);
        d.CommandsCountSpinEdit->setValue(21);
        QCOMPARE(d.CommandsCountSpinEdit->value(), 20);
        QCOMPARE(d.HystoryCommandCountSpinEdit->value(), 10);
        d.HystoryCommandCountSpinEdit->setValue(4);
        QCOMPARE(d.HystoryCommandCountSpinEdit->value(), 5);
        d.HystoryCommandCountSpinEdit->setValue(31);
        QCOMPARE(d.HystoryCommandCountSpinEdit->value(), 30);
        QCOMPARE(d.AlphaBlendTrackBar->value(), 100);
        d.AlphaBlendTrackBar->setValue(20);
        QCOMPARE(d.AlphaBlendTrackBar->value(), 100);
        d.AlphaBlendTrackBar->setValue(300);
        QCOMPARE(d.AlphaBlendTrackBar->value(), 255);
        QVERIFY(d.chbReplaceLnk->isHidden());
        QVERIFY(d.DescSortRadioButton->isChecked());

        d.hide();
        // Opens with the focus on the column count; Enter in it is OK.
        QWidget* focused = nullptr;
        onModal([&d, &focused](QWidget*) {
            focused = d.focusWidget();
            d.MainPageControl->setCurrentIndex(0);
            QTest::keyClick(d.ColCountSpinEdit, Qt::Key_Return);
        });
        QCOMPARE(d.exec(), int(QDialog::Accepted));
        QCOMPARE(focused, d.ColCountSpinEdit);
    }

    void clearRunHistory()
    {
        QTemporaryDir dir;
        TMessageRecorder history;
        {
            // Nothing to clear yet.
            TfmSystemOptions d(nullptr, &history, dir.path() + '/');
            QVERIFY(!d.ClearRunHistoryButton->isEnabled());
        }
        writeAll(dir.filePath("RunStat.ini"), "[LastCommand]\r\nPage=0\r\n");
        TfmSystemOptions d(nullptr, &history, dir.path() + '/');
        QVERIFY(d.ClearRunHistoryButton->isEnabled());
        d.ClearRunHistoryButton->click();
        QCOMPARE(history.received.size(), 1);
        QCOMPARE(history.received[0].message, 1035);
        QCOMPARE(history.received[0].wParam, intptr_t(1));
        QCOMPARE(history.received[0].lParam, intptr_t(0));
        QVERIFY(!d.ClearRunHistoryButton->isEnabled());
    }

    void soundBoxesFollowMuteAll()
    {
        QTemporaryDir dir;
        TfmSystemOptions d(nullptr, nullptr, dir.path() + '/');
        const QList<QCheckBox*> events = {d.DropShortCutCheckBox, d.ScrollPageCheckBox,
                                          d.ClickButtonCheckBox, d.DragButtonCheckBox,
                                          d.DragPageCheckBox};
        // Filled as the creator does: values first, then the handler once.
        d.MuteAllCheckBox->setChecked(true);
        d.DropShortCutCheckBox->setChecked(true);
        d.DragButtonCheckBox->setChecked(true);
        d.MuteAllCheckBoxClick();
        for (QCheckBox* box : events)
            QVERIFY(box->isEnabled());

        d.MainPageControl->setCurrentIndex(4);
        d.show();
        QTest::mouseClick(d.MuteAllCheckBox, Qt::LeftButton, {}, QPoint(6, 8));
        QVERIFY(!d.MuteAllCheckBox->isChecked());
        for (QCheckBox* box : events)
            QVERIFY(!box->isEnabled());
        // Greyed, not cleared.
        QVERIFY(d.DropShortCutCheckBox->isChecked());
        QVERIFY(d.DragButtonCheckBox->isChecked());
        QVERIFY(!d.ScrollPageCheckBox->isChecked());

        d.MuteAllCheckBox->click();
        for (QCheckBox* box : events)
            QVERIFY(box->isEnabled());
        QVERIFY(d.DropShortCutCheckBox->isChecked());
    }

    void sortRadioButtons()
    {
        QTemporaryDir dir;
        TfmSystemOptions d(nullptr, nullptr, dir.path() + '/');
        // The creator sets both and runs the checked one's handler.
        d.AscSortRadioButton->setChecked(true);
        d.AscSortRadioButtonClick();
        QVERIFY(!d.DescSortRadioButton->isChecked());
        d.DescSortRadioButton->click();
        QVERIFY(d.DescSortRadioButton->isChecked());
        QVERIFY(!d.AscSortRadioButton->isChecked());
        d.AscSortRadioButton->click();
        QVERIFY(d.AscSortRadioButton->isChecked());
        QVERIFY(!d.DescSortRadioButton->isChecked());
    }

    void hotkeyBox()
    {
        QTemporaryDir dir;
        qunsetenv("WAYLAND_DISPLAY");
        {
            TfmSystemOptions d(nullptr, nullptr, dir.path() + '/');
            QVERIFY(!d.HotkeyCheckBox->isHidden() && !d.HotkeyEdit->isHidden());
            QVERIFY(d.HotkeyCommandEdit->isHidden());
            d.SetHotkey("Meta+F12");
            QVERIFY(d.HotkeyCheckBox->isChecked());
            QCOMPARE(d.Hotkey(), "Meta+F12");
            // Switched off, whatever the box shows.
            d.HotkeyCheckBox->setChecked(false);
            QVERIFY(!d.HotkeyEdit->isEnabled());
            QCOMPARE(d.Hotkey(), "");
            // Off when opened: switching it on offers the usual combination.
            d.SetHotkey("");
            QVERIFY(!d.HotkeyCheckBox->isChecked());
            d.HotkeyCheckBox->setChecked(true);
            QVERIFY(d.HotkeyEdit->isEnabled());
            QCOMPARE(d.Hotkey(), "Ctrl+Alt+K");
            // A sequence of several combinations counts with its first; an empty box is off.
            d.HotkeyEdit->setKeySequence(QKeySequence("Ctrl+J, Ctrl+L"));
            QCOMPARE(d.Hotkey(), "Ctrl+J");
            d.HotkeyEdit->clear();
            QCOMPARE(d.Hotkey(), "");
        }
        // On Wayland the desktop binds the key: the dialog shows the command to bind instead.
        qputenv("WAYLAND_DISPLAY", "wayland-0");
        TfmSystemOptions d(nullptr, nullptr, dir.path() + '/');
        qunsetenv("WAYLAND_DISPLAY");
        QVERIFY(d.HotkeyCheckBox->isHidden() && d.HotkeyEdit->isHidden());
        QVERIFY(!d.HotkeyDesktopLabel->isHidden());
        QCOMPARE(d.HotkeyCommandEdit->text(), "kestrolin --toggle");
        QVERIFY(d.HotkeyCommandEdit->isReadOnly());
        d.show();
        d.MainPageControl->setCurrentIndex(2);
        QCOMPARE(clippedCaptions(&d), QStringList());
    }
};

QTEST_MAIN(TestSystemOptions)
#include "tst_systemoptions.moc"
