#include "MainFixture.h"
#include "SoundCounter.h"
#include "TestSupport.h"
#include "app/FindBox.h"
#include "app/Main.h"
#include "commands/Command.h"
#include "history/ArrowButton.h"
#include "history/RepositoryCommands.h"
#include "pages/CommandsPage.h"
#include "pages/MyPageControl.h"

#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QTest>

namespace {

// Records the runs instead of starting anything; sounds are counted as before.
class TRunRecorder : public TSoundCounter
{
public:
    bool Execute(const QString& program, const QString& arguments, const QString&) override
    {
        runs.append(program + u' ' + arguments);
        return true;
    }
    QStringList runs;
};

// Three pages of two columns of three buttons; the commands start tool.sh with a word.
struct TFindFixture : TMainFixture
{
    QString program;

    static QByteArray options(const QByteArray& extra)
    {
        return "[PageControl]\r\nColCount=2\r\nCommandsCount=3\r\nPagesCount=3\r\n" + extra;
    }

    explicit TFindFixture(const QByteArray& extraOptions = QByteArray(),
                          const QByteArray& runStat = QByteArray())
        : TMainFixture(options(extraOptions),
                       QStringLiteral("[0]\r\nCaption=Работа\r\n[1]\r\nCaption=Дом\r\n"
                                      "[2]\r\nCaption=Игры\r\n")
                           .toUtf8())
    {
        program = file("tool.sh");
        writeAll(program, "#!/bin/sh\n");
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // Written after the main window is made: the commands file is read when pages load.
        QByteArray ini;
        auto add = [&](int page, int button, const QString& description, const QString& word) {
            ini += QStringLiteral("[%1\\%2]\r\nExePath=%3\r\nIconPath=%3\r\nIconIndex=0\r\n"
                                  "Description=%4\r\nParameters=%5\r\n")
                       .arg(page)
                       .arg(button)
                       .arg(program, description, word)
                       .toUtf8();
        };
        add(0, 0, "Почта", "mail");
        add(0, 4, "Браузер", "web");
        add(1, 2, "Бухгалтерия", "books");
        add(2, 5, "Шахматы", "chess");
        add(2, 1, "Бридж", "bridge");
        writeAll(file("Commands.ini"), ini);
        if (!runStat.isEmpty())
            writeAll(file("RunStat.ini"), runStat);
        main->show();
        main->FormActivate();
    }

    int markedCount() const
    {
        int marked = 0;
        for (int p = 0; p < pc()->PageCount(); ++p)
            for (TCommand* button : pc()->Page(p)->Buttons())
                marked += button->HasKeyFocus() ? 1 : 0;
        return marked;
    }
    TFindBox* box() const { return main->findChild<TFindBox*>(); }
    QStringList listed() const
    {
        QStringList names;
        for (int row = 0; row < box()->ResultCount(); ++row)
            names.append(box()->ResultCommand(row)->Description() + " / " + box()->ResultPage(row));
        return names;
    }
};

} // namespace

class TestFindKeys : public QObject
{
    Q_OBJECT

private slots:
    void arrowsMoveTheMarkOverTheGrid()
    {
        TRunRecorder shell;
        TFindFixture f("[Minimize]\r\nAfterRunCommand=1\r\n");
        TMyPageControl* pc = f.pc();
        // No mark yet: Enter does nothing, the first arrow shows the mark on the first button.
        QTest::keyClick(pc, Qt::Key_Return);
        QVERIFY(shell.runs.isEmpty());
        QCOMPARE(f.markedCount(), 0);
        QTest::keyClick(pc, Qt::Key_Down);
        QCOMPARE(pc->KeyFocusPosition(), 0);
        QVERIFY(pc->GetCommand(0, 0)->HasKeyFocus());

        // Down goes through the column and on into the next one; it stops at the last button.
        const QList<QPair<int, int>> moves = {
            {Qt::Key_Down, 1},  {Qt::Key_Down, 2}, {Qt::Key_Down, 3},  {Qt::Key_Up, 2},
            {Qt::Key_Right, 5}, {Qt::Key_Down, 5}, {Qt::Key_Right, 5}, {Qt::Key_Left, 2},
            {Qt::Key_Left, 2},  {Qt::Key_Up, 1},   {Qt::Key_Up, 0},    {Qt::Key_Up, 0},
            {Qt::Key_Right, 3}, {Qt::Key_Left, 0},
        };
        for (const auto& [key, position] : moves) {
            QTest::keyClick(pc, Qt::Key(key));
            QCOMPARE(pc->KeyFocusPosition(), position);
            QVERIFY(pc->KeyFocusCommand() == pc->Page(0)->Button(position));
            QVERIFY(pc->KeyFocusCommand()->HasKeyFocus());
            QCOMPARE(f.markedCount(), 1);
        }
        // The keypad's arrows too, and from wherever the focus is in the window.
        QTest::keyClick(f.main.get(), Qt::Key_Down, Qt::KeypadModifier);
        QCOMPARE(pc->KeyFocusPosition(), 1);
        // With Shift or Alt an arrow is not ours.
        QTest::keyClick(pc, Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyClick(pc, Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(pc->KeyFocusPosition(), 1);
        // A smaller grid: the mark is where Enter acts, on one button only.
        QTest::keyClick(pc, Qt::Key_Right);
        pc->SetCommandsCount(2);
        QCOMPARE(f.markedCount(), 1);
        QVERIFY(pc->KeyFocusCommand()->HasKeyFocus());
        pc->SetCommandsCount(3);
        QCOMPARE(f.markedCount(), 1);
        QVERIFY(pc->KeyFocusCommand()->HasKeyFocus());
        QTest::keyClick(pc, Qt::Key_Left);

        // Enter clicks the marked button: the command runs with its sound, it is counted, and
        // the window goes to the tray as after a click.
        QTest::keyClick(pc, Qt::Key_Up);
        shell.sounds.clear();
        // A held Enter's repeats run nothing.
        QTest::sendKeyEvent(QTest::Press, pc, Qt::Key_Enter, QString(), Qt::NoModifier);
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Enter, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(pc, &repeat);
        QTest::sendKeyEvent(QTest::Release, pc, Qt::Key_Enter, QString(), Qt::NoModifier);
        QCOMPARE(shell.runs, QStringList({f.program + " mail"}));
        QCOMPARE(shell.sounds, QList<int>({SoundRunCommand}));
        QCOMPARE(
            f.main->QuickLaunchArrowButton->History()->GetRunCount(pc->GetCommand(0, 0)->Record()),
            1);
        QVERIFY(readAll(f.file("RunStat.ini")).contains("[0\\0]\r\nRunCount=1"));
        QVERIFY(f.main->isHidden() || f.main->isMinimized());
    }

    void pageKeysTurnPagesAsTheWheelDoes()
    {
        TRunRecorder shell;
        TFindFixture f;
        TMyPageControl* pc = f.pc();
        for (int i = 0; i < 4; ++i)
            QTest::keyClick(pc, Qt::Key_Down);
        QCOMPARE(pc->KeyFocusPosition(), 3);
        shell.sounds.clear();

        // Forward with Ctrl+Page Down and Ctrl+Tab; the mark keeps its place on each page.
        QTest::keyClick(pc, Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(pc->ActivePageIndex(), 1);
        QVERIFY(pc->GetCommand(1, 3)->HasKeyFocus());
        QCOMPARE(f.markedCount(), 1);
        QTest::keyClick(pc, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(pc->ActivePageIndex(), 2);
        // At the last page without circular scrolling: nothing, no sound.
        QTest::keyClick(pc, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(pc->ActivePageIndex(), 2);
        QCOMPARE(shell.sounds, QList<int>({SoundScrollPage, SoundScrollPage}));
        // Back with Ctrl+Shift+Tab (as Backtab and as Tab) and Ctrl+Page Up.
        QTest::keyClick(pc, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(pc->ActivePageIndex(), 1);
        QTest::keyClick(pc, Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(pc->ActivePageIndex(), 0);
        QTest::keyClick(pc, Qt::Key_PageUp, Qt::ControlModifier);
        QCOMPARE(pc->ActivePageIndex(), 0);
        QVERIFY(pc->GetCommand(0, 3)->HasKeyFocus());
        QCOMPARE(f.markedCount(), 1);
        // Circular scrolling on: round from the first page to the last, as the wheel goes.
        f.settings->SetUseCircleScroll(true);
        QTest::keyClick(pc, Qt::Key_PageUp, Qt::ControlModifier);
        QCOMPARE(pc->ActivePageIndex(), 2);
        QTest::keyClick(f.main.get(), Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(pc->ActivePageIndex(), 0);
        // Page Up without Ctrl is not a page key.
        QTest::keyClick(pc, Qt::Key_PageUp);
        QCOMPARE(pc->ActivePageIndex(), 0);
        QVERIFY(shell.runs.isEmpty());

        // Escape hides the window as the tray's hide does.
        QTest::keyClick(pc, Qt::Key_Escape);
        QVERIFY(f.main->isHidden() || f.main->isMinimized());
    }

    void typingFindsOverAllPages()
    {
        TRunRecorder shell;
        // Run counts lift a command above others that match as well.
        TFindFixture f({}, "[2\\1]\r\nRunCount=7\r\n[1\\2]\r\nRunCount=2\r\n");
        // Keys with Ctrl, and what is not a letter or digit, open nothing.
        QTest::keyClick(f.pc(), Qt::Key_B, Qt::ControlModifier);
        QTest::keyClick(f.pc(), Qt::Key_Space);
        QTest::keyClick(f.pc(), Qt::Key_Minus);
        QVERIFY(!f.box());

        QTest::keyClick(f.pc(), Qt::Key_B, Qt::NoModifier);
        QVERIFY(f.box() && f.box()->isVisible());
        QCOMPARE(f.box()->FindEdit->text(), QStringLiteral("b"));
        // "b" starts a word of the parameters "books", "bridge"; "web" holds it inside.
        QCOMPARE(f.listed(),
                 QStringList({"Бридж / Игры", "Бухгалтерия / Дом", "Браузер / Работа"}));
        QCOMPARE(f.box()->ChosenRow(), 0);

        // Cyrillic in another case, then a second word in front of the first.
        f.box()->FindEdit->setText(QStringLiteral("БР"));
        QCOMPARE(f.listed(), QStringList({"Бридж / Игры", "Браузер / Работа"}));
        f.box()->FindEdit->setText(QStringLiteral("web бр"));
        QCOMPARE(f.listed(), QStringList({"Браузер / Работа"}));
        f.box()->FindEdit->setText(QStringLiteral("шашки"));
        QCOMPARE(f.box()->ResultCount(), 0);
        QVERIFY(f.box()->NothingLabel->isVisible());
        QVERIFY(f.box()->ResultList->isHidden());

        // Up and Down choose; Enter runs the chosen one as a click does and closes the box.
        QLineEdit* edit = f.box()->FindEdit;
        edit->setText(QStringLiteral("b"));
        QTest::keyClick(edit, Qt::Key_Down);
        QTest::keyClick(edit, Qt::Key_Down);
        QTest::keyClick(edit, Qt::Key_Down);
        QCOMPARE(f.box()->ChosenRow(), 2);
        QTest::keyClick(edit, Qt::Key_Up);
        QCOMPARE(f.box()->ChosenRow(), 1);
        QTest::keyClick(edit, Qt::Key_Return);
        QTRY_VERIFY(!f.box());
        QCOMPARE(shell.runs, QStringList({f.program + " books"}));
        QCOMPARE(f.main->QuickLaunchArrowButton->History()->GetRunCount(
                     f.pc()->GetCommand(1, 2)->Record()),
                 3);

        // Escape closes the box and runs nothing.
        f.main->RestoreFromTray();
        TFindBox* box = f.main->OpenFindBox(QStringLiteral("ш"));
        QVERIFY(box);
        QCOMPARE(f.listed(), QStringList({"Шахматы / Игры"}));
        QTest::keyClick(box->FindEdit, Qt::Key_Escape);
        QTRY_VERIFY(!f.box());
        QCOMPARE(shell.runs.size(), 1);

        // A click on a line runs its command.
        box = f.main->OpenFindBox(QStringLiteral("почта"));
        QVERIFY(box);
        QListView* list = box->ResultList;
        const QRect line = list->visualRect(list->model()->index(0, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, line.center());
        QTRY_VERIFY(!f.box());
        QCOMPARE(shell.runs.last(), f.program + " mail");
    }
};

QTEST_MAIN(TestFindKeys)
#include "tst_findkeys.moc"
