#include "MainFixture.h"
#include "ModalScript.h"
#include "TestSupport.h"
#include "app/FindBox.h"
#include "app/Main.h"
#include "commands/Messages.h"
#include "dialogs/AddRenamePage.h"
#include "dialogs/SystemOptions.h"
#include "history/ArrowButton.h"
#include "history/RepositoryCommands.h"
#include "pages/CommandsPage.h"
#include "pages/MyPageControl.h"
#include "settings/ProfileUndo.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QRandomGenerator>
#include <QSpinBox>
#include <QTest>

namespace {

const QByteArray NoQuestions = "[PageControl]\r\nColCount=2\r\nCommandsCount=3\r\nPagesCount=3\r\n"
                               "[Conformations]\r\nDelPage=0\r\nClearCommand=0\r\n"
                               "ReplaceCommandOnDrop=0\r\n";

struct TUndoFixture : TMainFixture
{
    explicit TUndoFixture(const QByteArray& pagesIni, const QByteArray& commandsIni = {})
        : TMainFixture(NoQuestions, pagesIni, commandsIni)
    {
        main->FormActivate();
    }
    TUndoStack* undo() const { return main->UndoStack; }
    TRepositoryCommands* history() const { return main->QuickLaunchArrowButton->History(); }
    // What the window shows of the profile.
    QStringList view() const
    {
        QStringList lines{QString("grid %1 x %2").arg(pc()->ColCount()).arg(pc()->CommandsCount())};
        for (int p = 0; p < pc()->PageCount(); ++p) {
            const TCommandsPage* page = pc()->Page(p);
            lines << QString("page %1 %2").arg(page->Caption()).arg(page->ImageIndex());
            for (const TCommand* button : page->Buttons())
                lines << button->ExePath() + '|' + button->Description() + '|' +
                             button->Parameters();
        }
        return lines;
    }
    QString program(int n) const
    {
        const QString path = file(QString("prog%1.sh").arg(n));
        if (!QFile::exists(path)) {
            writeAll(path, "#!/bin/sh\n");
            QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
        }
        return path;
    }
};

QByteArray threePages()
{
    return QStringLiteral("[0]\r\nCaption=Работа\r\nImageIndex=-1\r\n[1]\r\nCaption=Игры\r\n"
                          "ImageIndex=-1\r\n[2]\r\nCaption=Сеть\r\nImageIndex=-1\r\n")
        .toUtf8();
}

TModalScript::Step typeName(const QString& name)
{
    return [name](QDialog* d) {
        auto* page = qobject_cast<TfmAddRenamePage*>(d);
        QVERIFY(page);
        page->Edit->setText(name);
        d->accept();
    };
}

} // namespace

class TestUndo : public QObject
{
    Q_OBJECT

private slots:
    // Random changes of every kind the user makes, undone one by one: each undo brings back the
    // very bytes of the files and the window as they were before that change; redoing them all
    // brings back the end.
    // With KESTROLIN_WRITES_DUMP set, every file after every gesture is copied there (the test
    // folder's path replaced by "DIR"), so that two builds' writes can be compared byte for byte.
    static void dumpWrites(const QString& folder, int round, int step)
    {
        const QString dump = qEnvironmentVariable("KESTROLIN_WRITES_DUMP");
        if (dump.isEmpty())
            return;
        QDir().mkpath(dump);
        for (const QString name :
             {"Options.ini", "Pages.ini", "Commands.ini", "RunStat.ini", "PagesImages.dat"}) {
            QFile file(folder + "/" + name);
            QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : "(none)";
            bytes.replace(folder.toUtf8(), "DIR");
            writeAll(QString("%1/r%2-s%3-%4")
                         .arg(dump)
                         .arg(round)
                         .arg(step, 2, 10, QChar('0'))
                         .arg(name),
                     bytes);
        }
    }

    void randomChangesUndoToTheVeryBytes()
    {
        int changes = 0;
        for (int round = 0; round < 8; ++round) {
            QRandomGenerator random(4100 + round);
            QByteArray commandsIni;
            int content = 0;
            for (int p = 0; p < 3; ++p)
                for (int b = 0; b < 6; ++b)
                    if (random.bounded(2) == 0)
                        commandsIni += QString("[%1\\%2]\r\nExePath=/bin/true\r\nIconIndex=0\r\n"
                                               "Description=cmd%3\r\n")
                                           .arg(p)
                                           .arg(b)
                                           .arg(content++)
                                           .toUtf8();
            TUndoFixture f(threePages(), commandsIni);
            TScriptedMessageBoxes boxes;
            QList<TProfileFiles> filesBefore, filesAfter;
            QList<QStringList> viewsBefore, viewsAfter;
            QStringList log;
            for (int step = 0; step < 30; ++step) {
                const TProfileFiles before = TProfileFiles::read(f.dir.path());
                const QStringList viewBefore = f.view();
                const int stepsBefore = f.undo()->UndoCount();
                const int pages = f.pc()->PageCount();
                auto anyButton = [&](int* page, int* button) {
                    *page = random.bounded(f.pc()->PageCount());
                    *button = random.bounded(f.pc()->Page(*page)->ButtonCount());
                    return f.pc()->GetCommand(*page, *button);
                };
                switch (random.bounded(9)) {
                case 0: {
                    TModalScript script;
                    script.then(typeName(QString("N%1").arg(step)));
                    f.main->ExecutePageDialog(TfmAddRenamePage::AddPage, "Новая");
                    log << "add page";
                    break;
                }
                case 1: {
                    f.pc()->SetActivePageIndex(random.bounded(pages));
                    TModalScript script;
                    script.then(typeName(QString("R%1").arg(step)));
                    f.main->ExecutePageDialog(TfmAddRenamePage::RenamePage,
                                              f.pc()->ActivePage()->Caption());
                    log << "rename page";
                    break;
                }
                case 2:
                    if (pages < 2)
                        continue;
                    f.pc()->SetActivePageIndex(random.bounded(pages));
                    f.main->Pages_DelActionExecute();
                    log << "delete page";
                    break;
                case 3: {
                    const int from = random.bounded(pages), to = random.bounded(pages);
                    if (from == to)
                        continue;
                    f.pc()->SetActivePageIndex(from);
                    f.pc()->DropPage(f.pc()->TabRect(to).center());
                    log << "move page";
                    break;
                }
                case 4:
                case 5: {
                    int sp, sb, tp, tb;
                    TCommand* source = anyButton(&sp, &sb);
                    TCommand* target = anyButton(&tp, &tb);
                    if (source->IsEmpty() || source == target)
                        continue;
                    target->DragDrop(source, random.bounded(2) == 0);
                    log << "move or copy command";
                    break;
                }
                case 6: {
                    int p, b;
                    TCommand* button = anyButton(&p, &b);
                    if (button->IsEmpty())
                        continue;
                    SendMessage(f.pc(), UM_COMMAND_ENTER, toParam(button));
                    f.main->Buttons_ClearActionExecute();
                    log << "clear command";
                    break;
                }
                case 7: {
                    int p, b;
                    TCommand* target = anyButton(&p, &b);
                    const QString link = f.shortcut(QString("l%1.desktop").arg(step),
                                                    f.program(step), QString("Ярлык %1").arg(step));
                    f.main->DropFiles({link}, target);
                    log << "drop a shortcut";
                    break;
                }
                case 8: {
                    const int cols = 1 + random.bounded(3), rows = 1 + random.bounded(4);
                    if (f.pc()->FilledButtonsOutside(cols, rows) > 0)
                        boxes.expect(IDOK);
                    TModalScript script;
                    script.then([cols, rows](QDialog* d) {
                        auto* options = qobject_cast<TfmSystemOptions*>(d);
                        QVERIFY(options);
                        options->ColCountSpinEdit->setValue(cols);
                        options->CommandsCountSpinEdit->setValue(rows);
                        d->accept();
                    });
                    f.main->Options_MainOptionsActionExecute();
                    log << "grid";
                    break;
                }
                }
                dumpWrites(f.dir.path(), round, step);
                if (f.undo()->UndoCount() == stepsBefore)
                    continue;
                QCOMPARE(f.undo()->UndoCount(), stepsBefore + 1);
                filesBefore << before;
                viewsBefore << viewBefore;
                filesAfter << TProfileFiles::read(f.dir.path());
                viewsAfter << f.view();
            }
            QVERIFY(!filesBefore.isEmpty());
            changes += int(filesBefore.size());
            for (qsizetype k = filesBefore.size() - 1; k >= 0; --k) {
                QVERIFY(f.undo()->Undo());
                QVERIFY2(TProfileFiles::read(f.dir.path()) == filesBefore[k],
                         qPrintable(QString("round %1: undoing %2").arg(round).arg(log[k])));
                QCOMPARE(f.view(), viewsBefore[k]);
            }
            QVERIFY(!f.undo()->CanUndo());
            for (qsizetype k = 0; k < filesAfter.size(); ++k) {
                QVERIFY(f.undo()->Redo());
                QVERIFY2(TProfileFiles::read(f.dir.path()) == filesAfter[k],
                         qPrintable(QString("round %1: redoing %2").arg(round).arg(log[k])));
                QCOMPARE(f.view(), viewsAfter[k]);
            }
            QVERIFY(!f.undo()->CanRedo());
        }
        qInfo("%d changes undone and redone", changes);
    }

    // The menus name what an undo or redo would do, and only offer it when there is something.
    void menusNameTheStep()
    {
        TUndoFixture f(threePages());
        QVERIFY(!f.main->UndoAction->isEnabled());
        QVERIFY(!f.main->RedoAction->isEnabled());
        QCOMPARE(f.main->UndoAction->text(), QStringLiteral("Отменить"));

        f.main->Pages_DelActionExecute();
        QCOMPARE(f.main->UndoAction->text(), QStringLiteral("Отменить удаление страницы «Работа»"));
        QVERIFY(f.main->UndoAction->isEnabled());
        QVERIFY(!f.main->RedoAction->isEnabled());

        // A find box open meanwhile listed buttons that the undo replaces: it goes.
        f.pc()->SetActivePageIndex(0);
        QPointer<TFindBox> box = f.main->OpenFindBox("c");
        QVERIFY(box && box->isVisible());
        f.main->UndoActionExecute();
        QTRY_VERIFY(!box);
        QCOMPARE(f.pc()->PageCount(), 3);
        QCOMPARE(f.pc()->Page(0)->Caption(), QStringLiteral("Работа"));
        QVERIFY(!f.main->UndoAction->isEnabled());
        QCOMPARE(f.main->RedoAction->text(),
                 QStringLiteral("Повторить удаление страницы «Работа»"));

        // Ctrl+Z undoes, Ctrl+Y and Ctrl+Shift+Z redo, and no other action takes those keys.
        QCOMPARE(f.main->UndoAction->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
        QVERIFY(f.main->RedoAction->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Y)));
        QVERIFY(f.main->RedoAction->shortcuts().contains(
            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)));
        QList<QKeySequence> taken;
        for (QAction* action : f.main->ActionList1)
            for (const QKeySequence& key : action->shortcuts()) {
                QVERIFY2(!taken.contains(key), qPrintable(key.toString()));
                taken << key;
            }

        // Both menus offer them in "Сервис".
        for (QMenu* menu : {f.main->TrayPopupMenu, f.main->MainPopupMenu}) {
            QMenu* service = nullptr;
            for (QAction* item : menu->actions())
                if (item->menu() && item->text() == QStringLiteral("Сервис"))
                    service = item->menu();
            QVERIFY(service);
            QVERIFY(service->actions().contains(f.main->UndoAction));
            QVERIFY(service->actions().contains(f.main->RedoAction));
        }

        // A new change after an undo leaves nothing to redo.
        TModalScript script;
        script.then(typeName("Почта"));
        QVERIFY(f.main->ExecutePageDialog(TfmAddRenamePage::RenamePage, "Работа"));
        QCOMPARE(f.main->UndoAction->text(),
                 QStringLiteral("Отменить переименование страницы «Работа»"));
        QVERIFY(!f.main->RedoAction->isEnabled());
    }

    // Runs are no change of the user's: an undo leaves the counts of later runs alone and brings
    // back the count of a command it brings back.
    void runCountsAreNotUndone()
    {
        TUndoFixture f(threePages(), "[0\\0]\r\nExePath=/bin/true\r\nIconIndex=0\r\n"
                                     "[0\\1]\r\nExePath=/bin/sh\r\nIconIndex=0\r\n");
        TCommand* first = f.pc()->GetCommand(0, 0);
        SendMessage(f.main->QuickLaunchArrowButton, UM_COMMAND_RUN,
                    toParam(f.pc()->GetCommand(0, 1)->Record()));
        SendMessage(f.main->QuickLaunchArrowButton, UM_COMMAND_RUN, toParam(first->Record()));
        SendMessage(f.pc(), UM_COMMAND_ENTER, toParam(f.pc()->GetCommand(0, 1)));
        f.main->Buttons_ClearActionExecute();
        QVERIFY(f.pc()->GetCommand(0, 1)->IsEmpty());
        SendMessage(f.main->QuickLaunchArrowButton, UM_COMMAND_RUN, toParam(first->Record()));
        QCOMPARE(f.history()->GetRunCount(first->Record()), 2);

        f.main->UndoActionExecute();
        QCOMPARE(f.pc()->GetCommand(0, 1)->ExePath(), QStringLiteral("/bin/sh"));
        QCOMPARE(f.history()->GetRunCount(f.pc()->GetCommand(0, 0)->Record()), 2);
        QCOMPARE(f.history()->GetRunCount(f.pc()->GetCommand(0, 1)->Record()), 1);
    }
};

QTEST_MAIN(TestUndo)
#include "tst_undo.moc"
