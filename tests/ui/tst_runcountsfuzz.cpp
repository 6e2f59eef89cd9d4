#include "TestSupport.h"
#include "app/Main.h"
#include "commands/Messages.h"
#include "history/ArrowButton.h"
#include "pages/CommandsPage.h"
#include "pages/MyPageControl.h"
#include "settings/Folders.h"
#include "settings/SharedFiles.h"
#include "settings/SystemSettings.h"

#include <QMap>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// One start of the program on a folder: the main window as the program makes it, loaded.
struct TRun
{
    std::unique_ptr<TSystemSettings> settings;
    std::unique_ptr<IniFile> pages;
    std::unique_ptr<IniFile> commands;
    std::unique_ptr<TfmMain> main;

    explicit TRun(const QString& folder)
    {
        Folders::initializeWith(folder);
        settings = std::make_unique<TSystemSettings>(Folders::appFolder());
        SystemSettings = settings.get();
        pages = std::make_unique<IniFile>(Folders::appFolder() + "Pages.ini");
        PagesFile = pages.get();
        commands = std::make_unique<IniFile>(Folders::appFolder() + "Commands.ini");
        CommandsFile = commands.get();
        main = std::make_unique<TfmMain>();
        main->OnTerminate = [] {};
        main->FormActivate();
    }
    ~TRun()
    {
        main.reset();
        CommandsFile = nullptr;
        PagesFile = nullptr;
        SystemSettings = nullptr;
        commands.reset();
        pages.reset();
        settings.reset();
        Folders::clear();
    }
    TMyPageControl* pc() const { return main->MainMyPageControl; }
    TRepositoryCommands* history() const { return main->QuickLaunchArrowButton->History(); }
};

// What the model expects of one button: the command it holds (by the program it runs), that
// command's run count, and which command it is (a copy is another command than its source).
struct TCell
{
    int content = -1; // -1: empty
    int count = 0;
    int identity = -1;
};

struct TModel
{
    int cols = 2;
    int rows = 3;
    QList<QList<TCell>> pages;
    int lastRun = -1; // identity of the command run last, while it exists
    int nextIdentity = 0;

    QList<TCell> emptyPage() const { return QList<TCell>(cols * rows); }
    void forget(const TCell& cell)
    {
        if (cell.identity >= 0 && cell.identity == lastRun)
            lastRun = -1;
    }
    // The grid change as the pages make it: columns first, then rows; survivors keep their
    // order, new buttons come at the end.
    void setGrid(int newCols, int newRows)
    {
        for (QList<TCell>& page : pages) {
            if (newCols < cols) {
                while (page.size() > newCols * rows)
                    forget(page.takeLast());
            } else {
                page.resize((newCols)*rows);
            }
        }
        cols = newCols;
        for (QList<TCell>& page : pages) {
            if (newRows < rows) {
                QList<TCell> kept;
                for (int i = 0; i < page.size(); ++i) {
                    if (i % rows < newRows)
                        kept.append(page[i]);
                    else
                        forget(page[i]);
                }
                page = kept;
            } else {
                page.resize(cols * newRows);
            }
        }
        rows = newRows;
    }
};

QString program(const QString& folder, int content)
{
    return folder + QString("/cmd%1.sh").arg(content);
}

} // namespace

// Random page moves, page deletions, button moves and copies, grid changes and runs, with
// restarts in between: every command keeps its own run count, and the last run command stays
// the one really run last.
class TestRunCountsFuzz : public QObject
{
    Q_OBJECT

    QStringList m_log;

    void check(const TRun& run, const TModel& model, const QString& folder, const QString& when)
    {
        const auto fail = [&](const QString& what) {
            return (when + ": " + what + "\nlast steps:\n" +
                    m_log.mid(m_log.size() - 12).join('\n'))
                .toUtf8();
        };
        QVERIFY2(
            run.pc()->PageCount() == model.pages.size(),
            fail(
                QString("%1 pages, expected %2").arg(run.pc()->PageCount()).arg(model.pages.size()))
                .constData());
        TCommand* expectedLast = nullptr;
        for (int p = 0; p < model.pages.size(); ++p) {
            QVERIFY2(
                run.pc()->Page(p)->ButtonCount() == model.pages[p].size(),
                fail(QString("page %1 has %2 buttons").arg(p).arg(run.pc()->Page(p)->ButtonCount()))
                    .constData());
            for (int b = 0; b < model.pages[p].size(); ++b) {
                const TCell& cell = model.pages[p][b];
                TCommand* button = run.pc()->GetCommand(p, b);
                const QString where = QString("button %1/%2").arg(p).arg(b);
                if (cell.content < 0) {
                    QVERIFY2(button->IsEmpty(), fail(where + " should be empty").constData());
                    continue;
                }
                QVERIFY2(button->ExePath() == program(folder, cell.content),
                         fail(where + " holds " + button->ExePath()).constData());
                const int count = run.history()->GetRunCount(button->Record());
                QVERIFY2(count == cell.count, fail(QString("%1 (cmd%2) counts %3, expected %4")
                                                       .arg(where)
                                                       .arg(cell.content)
                                                       .arg(count)
                                                       .arg(cell.count))
                                                  .constData());
                if (cell.identity == model.lastRun)
                    expectedLast = button;
            }
        }
        QVERIFY2(run.history()->GetLastRunCommand() ==
                     (expectedLast ? expectedLast->Record() : nullptr),
                 fail("the last run command is not the one run last").constData());
    }

private slots:
    void randomSequencesKeepCountsWithTheirCommands()
    {
        QMap<QString, int> done;
        for (int round = 0; round < 15; ++round) {
            QRandomGenerator random(7000 + round);
            QTemporaryDir dir;
            const QString folder = dir.path();
            TModel model;
            QByteArray pagesIni, commandsIni;
            int content = 0;
            for (int p = 0; p < 4; ++p) {
                pagesIni +=
                    "[" + QByteArray::number(p) + "]\r\nCaption=P" + QByteArray::number(p) + "\r\n";
                QList<TCell> page = model.emptyPage();
                for (int b = 0; b < page.size(); ++b) {
                    if (random.bounded(3) == 0)
                        continue;
                    writeAll(program(folder, content), "#!/bin/sh\n");
                    commandsIni += QString("[%1\\%2]\r\nExePath=%3\r\nIconIndex=0\r\n"
                                           "Description=cmd%4\r\n")
                                       .arg(p)
                                       .arg(b)
                                       .arg(program(folder, content))
                                       .arg(content)
                                       .toUtf8();
                    page[b] = {content++, 0, model.nextIdentity++};
                }
                model.pages.append(page);
            }
            writeAll(dir.filePath("Options.ini"),
                     "[PageControl]\r\nColCount=2\r\nCommandsCount=3\r\nPagesCount=4\r\n"
                     "[Conformations]\r\nDelPage=0\r\nReplaceCommandOnDrop=0\r\n");
            writeAll(dir.filePath("Pages.ini"), pagesIni);
            writeAll(dir.filePath("Commands.ini"), commandsIni);
            m_log = {QString("round %1").arg(round)};

            auto run = std::make_unique<TRun>(folder);
            check(*run, model, folder, "first start");
            if (QTest::currentTestFailed())
                return;
            for (int step = 0; step < 60; ++step) {
                const int pageCount = int(model.pages.size());
                const int op = random.bounded(10);
                if (op < 4 && pageCount > 0) {
                    // A run of a filled button.
                    const int p = random.bounded(pageCount);
                    const int b = random.bounded(int(model.pages[p].size()));
                    TCell& cell = model.pages[p][b];
                    if (cell.content < 0)
                        continue;
                    m_log << QString("run %1/%2").arg(p).arg(b);
                    SendMessage(run->main->QuickLaunchArrowButton, UM_COMMAND_RUN,
                                toParam(run->pc()->GetCommand(p, b)->Record()));
                    ++cell.count;
                    model.lastRun = cell.identity;
                } else if (op == 4 && pageCount > 1) {
                    // A tab dragged onto another.
                    const int from = random.bounded(pageCount);
                    const int to = random.bounded(pageCount);
                    if (from == to)
                        continue;
                    m_log << QString("page %1 onto %2").arg(from).arg(to);
                    run->pc()->SetActivePageIndex(from);
                    run->pc()->DropPage(run->pc()->TabRect(to).center());
                    model.pages.move(from, to);
                } else if (op == 5 && pageCount > 0 && random.bounded(3) == 0) {
                    const int p = random.bounded(pageCount);
                    m_log << QString("delete page %1").arg(p);
                    run->pc()->SetActivePageIndex(p);
                    run->main->Pages_DelActionExecute();
                    for (const TCell& cell : model.pages.takeAt(p))
                        model.forget(cell);
                } else if ((op == 6 || op == 7) && pageCount > 0) {
                    // Alt-drag (move) or Ctrl-drag (copy) of a button onto another.
                    const bool copy = op == 7;
                    const int sp = random.bounded(pageCount), tp = random.bounded(pageCount);
                    const int sb = random.bounded(int(model.pages[sp].size()));
                    const int tb = random.bounded(int(model.pages[tp].size()));
                    TCell& source = model.pages[sp][sb];
                    if (source.content < 0 || (sp == tp && sb == tb))
                        continue;
                    m_log << QString("%1 %2/%3 onto %4/%5")
                                 .arg(copy ? "copy" : "move")
                                 .arg(sp)
                                 .arg(sb)
                                 .arg(tp)
                                 .arg(tb);
                    run->pc()->GetCommand(tp, tb)->DragDrop(run->pc()->GetCommand(sp, sb), copy);
                    TCell& target = model.pages[tp][tb];
                    model.forget(target);
                    if (copy) {
                        target = {source.content, 0, model.nextIdentity++};
                    } else {
                        target = source;
                        source = TCell();
                    }
                } else if (op == 8 && random.bounded(3) == 0) {
                    const int cols = 1 + random.bounded(3), rows = 1 + random.bounded(4);
                    m_log << QString("grid %1 x %2").arg(cols).arg(rows);
                    {
                        IniFile::Transaction transaction;
                        run->pc()->SetColCount(cols);
                        run->pc()->SetCommandsCount(rows);
                        run->pc()->SaveCounts();
                    }
                    run->main->SetMinHeightAndWidth();
                    model.setGrid(cols, rows);
                } else if (op == 9) {
                    m_log << "restart";
                    ++done["restart"];
                    run.reset();
                    run = std::make_unique<TRun>(folder);
                    // With every page deleted, the start shows the first run's empty page.
                    if (model.pages.isEmpty())
                        model.pages.append(model.emptyPage());
                    check(*run, model, folder, "after a restart");
                    if (QTest::currentTestFailed())
                        return;
                    continue;
                } else {
                    continue;
                }
                ++done[m_log.last().section(' ', 0, 0)];
                check(*run, model, folder, "running");
                if (QTest::currentTestFailed())
                    return;
            }
            run.reset();
            run = std::make_unique<TRun>(folder);
            if (model.pages.isEmpty())
                model.pages.append(model.emptyPage());
            check(*run, model, folder, "at the end");
            if (QTest::currentTestFailed())
                return;
            run.reset();
        }
        QStringList summary;
        for (auto it = done.cbegin(); it != done.cend(); ++it)
            summary << QString("%1 %2").arg(it.value()).arg(it.key());
        qInfo("%s", qPrintable(summary.join(", ")));
    }
};

QTEST_MAIN(TestRunCountsFuzz)
#include "tst_runcountsfuzz.moc"
