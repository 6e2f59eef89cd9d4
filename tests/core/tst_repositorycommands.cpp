#include "CoreSupport.h"
#include "commands/Messages.h"
#include "history/RepositoryCommands.h"
#include "settings/IniFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <deque>

namespace {

// Stands in for a command button: the history only asks where it sits and what it runs.
struct FakeCommand
{
    int page = 0;
    int index = 0;
    QString path;
};

class FakeInfo : public IHistoryCommandInfo
{
public:
    int PageIndex(THistoryCommand c) const override { return static_cast<FakeCommand*>(c)->page; }
    int CommandIndex(THistoryCommand c) const override
    {
        return static_cast<FakeCommand*>(c)->index;
    }
    QString ProgramPath(THistoryCommand c) const override
    {
        return static_cast<FakeCommand*>(c)->path;
    }
};

// Records UM_HISTORY_REPLACE the way the quick-launch button receives it.
class Receiver : public QObject
{
public:
    struct Replace
    {
        THistoryCommand leaving;
        THistoryCommand entering;
    };
    QList<Replace> replaces;

    bool event(QEvent* e) override
    {
        if (e->type() != TMessageEvent::eventType())
            return QObject::event(e);
        auto* m = static_cast<TMessageEvent*>(e);
        if (m->message() == UM_HISTORY_REPLACE)
            replaces.append({reinterpret_cast<THistoryCommand>(m->wParam()),
                             reinterpret_cast<THistoryCommand>(m->lParam())});
        return true;
    }
};

struct Fixture
{
    QTemporaryDir dir;
    FakeInfo info;
    std::deque<FakeCommand> commands; // stable addresses
    std::unique_ptr<TRepositoryCommands> history;
    Receiver receiver;

    QString statPath() const { return dir.filePath("RunStat.ini"); }

    void open()
    {
        history =
            std::make_unique<TRepositoryCommands>(std::make_unique<IniFile>(statPath()), &info);
        history->SetNotifyWindow(&receiver);
    }

    FakeCommand* add(int page, int index)
    {
        commands.push_back({page, index, QString()});
        return &commands.back();
    }

    // Writes stored counts before the history reads them.
    void setCount(const FakeCommand* c, const QString& value)
    {
        IniFile(statPath())
            .writeString(QString("%1\\%2").arg(c->page).arg(c->index), "RunCount", value);
    }

    int stored(int page, int index) const
    {
        return IniFile(statPath())
            .readInteger(QString("%1\\%2").arg(page).arg(index), "RunCount", -100);
    }

    QPair<int, int> lastRun() const
    {
        IniFile file(statPath());
        return {file.readInteger("LastRunCommand", "PageIndex", -1),
                file.readInteger("LastRunCommand", "CommandIndex", -1)};
    }

    QList<THistoryCommand> top() const
    {
        QList<THistoryCommand> result;
        for (int i = 0; i < history->TopCount(); ++i)
            result.append(history->TopEntry(i)->Command());
        return result;
    }
};

bool sameSet(QList<THistoryCommand> a, QList<THistoryCommand> b)
{
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    return a == b;
}

} // namespace

class TestRepositoryCommands : public QObject
{
    Q_OBJECT

private slots:
    void firstRunEntersMenuWithRoom()
    {
        Fixture f;
        f.open();
        FakeCommand* a = f.add(0, 1);
        FakeCommand* b = f.add(2, 7);
        FakeCommand stranger{1, 1, QString()};
        f.history->AddCommands({a, b});
        f.history->StoreMaxCount(10);
        f.history->LoadLastState();
        QCOMPARE(f.history->TopCount(), 0); // nothing has been run: count 0 never enters
        QCOMPARE(f.history->GetLastRunCommand(), nullptr);
        QVERIFY(!QFile::exists(f.statPath()));

        f.history->RecordRun(b);
        QCOMPARE(f.top(), QList<THistoryCommand>{b});
        QCOMPARE(f.history->AddedCommands(), QList<THistoryCommand>{b});
        QCOMPARE(f.stored(2, 7), 1);
        QCOMPARE(f.lastRun(), qMakePair(2, 7));
        QCOMPARE(f.history->GetLastRunCommand(), b);
        QCOMPARE(f.history->LastTopCommand(), b);
        QVERIFY(f.receiver.replaces.isEmpty());

        // A command the history does not know is not counted.
        f.history->RecordRun(&stranger);
        f.history->RecordRun(nullptr);
        QCOMPARE(f.stored(1, 1), -100);
        QCOMPARE(f.history->Count(), 2);

        // A known command added again counts one run and becomes the last run command.
        f.history->AddCommand(a);
        QCOMPARE(f.stored(0, 1), 1);
        QCOMPARE(f.lastRun(), qMakePair(0, 1));
        QCOMPARE(f.history->Count(), 2);
    }

    void fullMenuReplacesLowestOnlyOnGreaterCount()
    {
        Fixture f;
        FakeCommand* a = f.add(0, 0);
        FakeCommand* b = f.add(0, 1);
        FakeCommand* c = f.add(0, 2);
        f.setCount(a, "3");
        f.setCount(b, "2");
        f.open();
        f.history->AddCommands({a, b, c});
        f.history->StoreMaxCount(2);
        f.history->LoadLastState();
        QVERIFY(sameSet(f.top(), {a, b}));

        f.history->RecordRun(c); // 1 < 2
        f.history->RecordRun(c); // 2 == 2: equal does not replace
        QVERIFY(sameSet(f.top(), {a, b}));
        QVERIFY(f.receiver.replaces.isEmpty());

        f.history->RecordRun(c); // 3 > 2
        QVERIFY(sameSet(f.top(), {a, c}));
        QCOMPARE(f.receiver.replaces.size(), 1);
        QCOMPARE(f.receiver.replaces[0].leaving, b);
        QCOMPARE(f.receiver.replaces[0].entering, c);

        // Running a command that is shown already only counts.
        f.history->RecordRun(a);
        QCOMPARE(f.stored(0, 0), 4);
        QCOMPARE(f.receiver.replaces.size(), 1);
    }

    void sizeChangesTrimAndFillByCount()
    {
        Fixture f;
        QList<FakeCommand*> byCount; // byCount[i] has count i + 1
        for (int i = 0; i < 11; ++i)
            byCount.append(f.add(1, i));
        FakeCommand* never = f.add(3, 0);
        for (int i = 0; i < 11; ++i)
            f.setCount(byCount[i], QString::number(i + 1));
        f.open();
        f.history->AddCommand(never);
        for (FakeCommand* c : byCount)
            f.history->AddCommand(c);
        f.history->StoreMaxCount(10);
        f.history->LoadLastState();
        QCOMPARE(f.history->TopCount(), 10);
        QCOMPARE(f.history->IndexInTop(byCount[0]), -1); // the lowest count lost out

        f.history->SetMaxCount(9);
        QCOMPARE(f.history->TopCount(), 9);
        QCOMPARE(f.history->RemovedCommands(), QList<THistoryCommand>{byCount[1]});

        f.history->SetMaxCount(11);
        QCOMPARE(f.history->TopCount(), 11);
        QCOMPARE(f.history->AddedCommands(), (QList<THistoryCommand>{byCount[1], byCount[0]}));
        // Removed stays as the shrinking call left it: each call clears only its own list.
        QCOMPARE(f.history->RemovedCommands(), QList<THistoryCommand>{byCount[1]});

        f.history->SetMaxCount(30);
        QCOMPARE(f.history->TopCount(), 11); // count 0 never enters
        QCOMPARE(f.history->IndexInTop(never), -1);
        QVERIFY(f.history->AddedCommands().isEmpty());

        f.history->SetMaxCount(-3); // absurd sizes empty the menu, nothing worse
        QCOMPARE(f.history->TopCount(), 0);
        QCOMPARE(f.history->MaxCount(), 0);
    }

    void removingAMenuCommandPullsTheNextOneIn()
    {
        Fixture f;
        FakeCommand* a = f.add(0, 0);
        FakeCommand* b = f.add(0, 1);
        FakeCommand* c = f.add(0, 2);
        f.setCount(a, "5");
        f.setCount(b, "4");
        f.setCount(c, "3");
        f.open();
        f.history->AddCommands({a, b, c});
        f.history->StoreMaxCount(2);
        f.history->LoadLastState();
        QVERIFY(sameSet(f.top(), {a, b}));

        f.history->RemoveCommand(a);
        QCOMPARE(f.stored(0, 0), -100);
        QVERIFY(!IniFile(f.statPath()).sectionExists("0\\0"));
        QCOMPARE(f.history->IndexOfCommand(a), -1);
        QVERIFY(sameSet(f.top(), {b, c}));
        QCOMPARE(f.history->AddedCommands(), QList<THistoryCommand>{c});

        f.history->RemoveCommand(a); // twice: nothing more happens
        QCOMPARE(f.history->Count(), 2);
    }

    void movingKeepsTheCountAtTheNewPosition()
    {
        Fixture f;
        FakeCommand* a = f.add(0, 1);
        FakeCommand* empty = f.add(0, 2);
        FakeCommand* filled = f.add(1, 0);
        FakeCommand* other = f.add(1, 1);
        f.setCount(a, "4");
        f.setCount(filled, "2");
        f.setCount(other, "1");
        f.open();
        f.history->AddCommands({a, filled, other});
        f.history->StoreMaxCount(2);
        f.history->LoadLastState();
        QVERIFY(sameSet(f.top(), {a, filled}));
        f.history->RecordRun(other);
        QCOMPARE(f.lastRun(), qMakePair(1, 1));

        f.history->MoveCommand(a, empty);
        QVERIFY(!IniFile(f.statPath()).sectionExists("0\\1"));
        QCOMPARE(f.stored(0, 2), 4);
        // A move is no run: the command run last stays the last run command.
        QCOMPARE(f.lastRun(), qMakePair(1, 1));
        QCOMPARE(f.history->GetLastRunCommand(), other);
        QCOMPARE(f.history->IndexOfCommand(a), -1);
        QVERIFY(f.history->IndexOfCommand(empty) >= 0);
        QVERIFY(sameSet(f.top(), {empty, filled}));
        f.history->RecordRun(empty);
        QCOMPARE(f.lastRun(), qMakePair(0, 2));

        // Onto a button the history knows: the replaced command's count goes with it, the last
        // run command follows the moved one, and one entry is left for the button, so that
        // emptying it later leaves nothing behind.
        f.history->MoveCommand(empty, filled);
        QCOMPARE(f.stored(1, 0), 5);
        QCOMPARE(f.lastRun(), qMakePair(1, 0));
        QCOMPARE(f.history->Count(), 2);
        QVERIFY(sameSet(f.top(), {filled, other}));
        QCOMPARE(f.history->AddedCommands(), QList<THistoryCommand>{other});
        f.history->RemoveCommand(filled);
        QCOMPARE(f.history->IndexOfCommand(filled), -1);
        QCOMPARE(f.top(), QList<THistoryCommand>{other});

        // No source or no target: nothing changes.
        f.history->MoveCommand(nullptr, empty);
        f.history->MoveCommand(other, nullptr);
        QCOMPARE(f.stored(1, 1), 2);
    }

    void statisticsMoveWithTheirCommands()
    {
        Fixture f;
        writeAll(f.statPath(), "[0\\0]\r\nRunCount=1\r\n"
                               "[0\\3]\r\nRunCount=3\r\n"
                               "[1\\2]\r\nRunCount=12\r\n"
                               "[2\\4]\r\nRunCount=24\r\n"
                               "[7\\1]\r\nRunCount=71\r\n"
                               "[00\\1]\r\nRunCount=5\r\n" // not a name the history writes
                               "[LastRunCommand]\r\nPageIndex=2\r\nCommandIndex=4\r\n"
                               "[LastStateMenuItem0]\r\nPageIndex=1\r\nCommandIndex=2\r\n"
                               "[LastStateMenuItem1]\r\nPageIndex=0\r\nCommandIndex=0\r\n");
        // Page C (2) dragged in front of A (0) and B (1); page 7 belongs to nothing.
        {
            IniFile stat(f.statPath());
            TRepositoryCommands::MoveStatistics(stat, [](const TStatPlace& p) {
                const int pages[] = {1, 2, 0};
                return p.page < 3 ? TStatPlace{pages[p.page], p.command} : TStatPlace();
            });
        }
        QCOMPARE(f.stored(1, 0), 1);
        QCOMPARE(f.stored(1, 3), 3);
        QCOMPARE(f.stored(2, 2), 12);
        QCOMPARE(f.stored(0, 4), 24);
        QCOMPARE(f.stored(0, 0), -100);
        QCOMPARE(f.stored(7, 1), -100);
        IniFile stat(f.statPath());
        QCOMPARE(stat.readInteger("00\\1", "RunCount", 0), 5);
        QCOMPARE(f.lastRun(), qMakePair(0, 4));
        QCOMPARE(stat.readInteger("LastStateMenuItem0", "PageIndex", -1), 2);
        QCOMPARE(stat.readInteger("LastStateMenuItem1", "PageIndex", -1), 1);

        // A command emptied takes its count along, also one the history did not know (its
        // program is missing), and the last run command names it no more.
        FakeCommand* run = f.add(0, 4);
        FakeCommand* kept = f.add(2, 2);
        f.open();
        f.history->AddCommand(kept);
        f.history->RemoveCommand(run);
        QCOMPARE(f.stored(0, 4), -100);
        QCOMPARE(f.lastRun(), qMakePair(-1, -1));
        QCOMPARE(f.stored(2, 2), 12);
        f.history->RemoveCommand(kept);
        QCOMPARE(f.stored(2, 2), -100);
        QCOMPARE(f.history->Count(), 0);
        QCOMPARE(TRepositoryCommands::PlaceOfSection("12\\30"), (TStatPlace{12, 30}));
        QVERIFY(TRepositoryCommands::PlaceOfSection("-1\\3").IsNone());
        QVERIFY(TRepositoryCommands::PlaceOfSection("LastRunCommand").IsNone());
    }

    void lastStateRestoresOrderAndSurvivesDamage()
    {
        Fixture f;
        FakeCommand* a = f.add(0, 0);
        FakeCommand* b = f.add(0, 1);
        FakeCommand* c = f.add(0, 2);
        FakeCommand* d = f.add(0, 3);
        writeAll(f.statPath(), "[0\\0]\r\nRunCount=9\r\n"
                               "[0\\1]\r\nRunCount=-7\r\n"          // negative: reads 0
                               "[0\\2]\r\nRunCount=99999999999\r\n" // past int: the largest
                               "[0\\3]\r\nRunCount=lots\r\n"        // not a number: 0
                               "[LastRunCommand]\r\nPageIndex=5\r\nCommandIndex=5\r\n"
                               "[LastStateMenuItem0]\r\nPageIndex=0\r\nCommandIndex=0\r\n"
                               "[LastStateMenuItem1]\r\nPageIndex=0\r\nCommandIndex=0\r\n"
                               "[LastStateMenuItem2]\r\nPageIndex=8\r\nCommandIndex=1\r\n"
                               "[LastStateMenuItem3]\r\nPageIndex=x\r\nCommandIndex=2\r\n"
                               "[LastStateMenuItem4]\r\nPageIndex=0\r\nCommandIndex=2\r\n"
                               "[LastStateMenuItem5]\r\nPageIndex=0\r\nCommandIndex=1\r\n");
        f.open();
        f.history->AddCommands({a, b, c, d});
        QCOMPARE(f.history->GetRunCount(b), 0);
        QCOMPARE(f.history->GetRunCount(c), INT_MAX);
        QCOMPARE(f.history->GetRunCount(d), 0);
        f.history->StoreMaxCount(10);
        f.history->LoadLastState();
        // a once although two sections name it; missing and damaged positions are skipped.
        QCOMPARE(f.top(), (QList<THistoryCommand>{a, c}));
        QCOMPARE(f.history->AddedCommands(), (QList<THistoryCommand>{a, c}));
        QCOMPARE(f.history->GetLastRunCommand(), nullptr); // names no known command

        // The count never wraps around: at the top it stays there.
        TRepositoryCommand* entry = f.history->FindEntry(c);
        QVERIFY(!entry->AddRunCount(1));
        QCOMPARE(entry->RunCount(), INT_MAX);
        QCOMPARE(f.stored(0, 2), INT_MAX);
        f.history->AddCommand(c);
        QCOMPARE(f.history->GetRunCount(c), INT_MAX);
        f.history->RecordRun(b); // from the damaged -7 a run gives 1
        QCOMPARE(f.history->GetRunCount(b), 1);

        // Only the first MaxCount sections are read.
        f.history->ClearTop();
        f.history->StoreMaxCount(1);
        f.history->LoadLastState();
        QCOMPARE(f.top(), QList<THistoryCommand>{a});
    }

    void savedMenuOrderSurvivesARestart()
    {
        Fixture f;
        FakeCommand* a = f.add(0, 0);
        FakeCommand* b = f.add(0, 1);
        FakeCommand* c = f.add(2, 4);
        f.setCount(a, "1");
        f.setCount(b, "5");
        f.setCount(c, "3");
        f.open();
        f.history->AddCommands({a, b, c});
        FakeCommand stranger{7, 7, QString()};
        // The whole order in one write; an item whose command is gone, or one the history does
        // not know, leaves its place as it was.
        const quint64 writes = IniFile(f.statPath()).diskWrites();
        f.history->SaveMenuOrder({c, a, b, &stranger, nullptr});
        QCOMPARE(IniFile(f.statPath()).diskWrites(), writes + 1);
        QVERIFY(!IniFile(f.statPath()).sectionExists("LastStateMenuItem3"));
        f.history->SaveMenuOrder({nullptr, a});
        QCOMPARE(IniFile(f.statPath()).readInteger("LastStateMenuItem0", "CommandIndex", -1), 4);
        f.history.reset();

        f.open();
        f.history->AddCommands({a, b, c});
        f.history->StoreMaxCount(10);
        f.history->LoadLastState();
        QCOMPARE(f.top(), (QList<THistoryCommand>{c, a, b}));
    }

    void countsFollowPositionsNotButtons()
    {
        Fixture f;
        FakeCommand* a = f.add(1, 0);
        f.setCount(a, "2");
        IniFile(f.statPath()).writeInteger("0\\0", "RunCount", 8);
        f.open();
        f.history->AddCommand(a);
        QCOMPARE(f.history->GetRunCount(a), 2);
        a->page = 0; // the page before it was deleted
        QCOMPARE(f.history->GetRunCount(a), 8);
    }

    void addIfFileExistsTakesOnlyFiles()
    {
        Fixture f;
        f.open();
        QFile program(f.dir.filePath("tool.sh"));
        QVERIFY(program.open(QIODevice::WriteOnly));
        program.close();
        FakeCommand* file = f.add(0, 0);
        file->path = program.fileName();
        FakeCommand* folder = f.add(0, 1);
        folder->path = f.dir.path();
        FakeCommand* missing = f.add(0, 2);
        missing->path = f.dir.filePath("gone.sh");
        FakeCommand* empty = f.add(0, 3);
        f.setCount(file, "3");
        for (FakeCommand* c : {file, folder, missing, empty})
            f.history->AddIfFileExists(c);
        QCOMPARE(f.history->Count(), 1);
        QCOMPARE(f.top(), QList<THistoryCommand>{file}); // its count lets it into the menu
    }

    void clearingDeletesOnlyTheStatFile()
    {
        Fixture f;
        writeAll(f.dir.filePath("Commands.ini"), "[0\\0]\r\nExePath=/bin/true\r\n");
        writeAll(f.dir.filePath("Options.ini"), "[History]\r\nCommandsCount=10\r\n");
        FakeCommand* a = f.add(0, 0);
        FakeCommand* b = f.add(0, 1);
        f.setCount(a, "4");
        f.open();
        f.history->AddCommands({a, b});
        f.history->StoreMaxCount(10);
        f.history->LoadLastState();
        QCOMPARE(f.top(), QList<THistoryCommand>{a});

        QVERIFY(f.history->ClearStatFile());
        f.history->ClearTop();
        QVERIFY(!QFile::exists(f.statPath()));
        QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files),
                 (QStringList{"Commands.ini", "Options.ini"}));
        QCOMPARE(f.history->Count(), 2);
        QCOMPARE(f.history->GetRunCount(a), 0);
        QCOMPARE(f.history->GetLastRunCommand(), nullptr);
        QVERIFY(f.history->ClearStatFile()); // nothing left to delete is no failure

        f.history->RecordRun(b);
        QCOMPARE(f.top(), QList<THistoryCommand>{b});
        QCOMPARE(f.stored(0, 1), 1);
        f.history->SetMaxCount(1);
        f.history->RecordRun(a);
        f.history->RecordRun(a);
        QCOMPARE(f.top(), QList<THistoryCommand>{a});
        QCOMPARE(f.receiver.replaces.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestRepositoryCommands)
#include "tst_repositorycommands.moc"
