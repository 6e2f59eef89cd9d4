#include "CoreSupport.h"
#include "commands/Messages.h"
#include "profile/ProfileModel.h"
#include "settings/IniFile.h"
#include "settings/SystemSettings.h"

#include <QDir>
#include <QMap>
#include <QSignalSpy>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// A settings folder and the profile model on it, without any window.
struct TFolder
{
    QTemporaryDir dir;
    std::unique_ptr<TSystemSettings> settings;
    std::unique_ptr<IniFile> pages;
    std::unique_ptr<IniFile> commands;
    std::unique_ptr<TProfileModel> model;

    explicit TFolder(const QByteArray& options = QByteArray(),
                     const QByteArray& pagesIni = QByteArray(),
                     const QByteArray& commandsIni = QByteArray(),
                     const QByteArray& runStatIni = QByteArray())
    {
        writeProfileFiles(dir.path(), options, pagesIni, commandsIni, runStatIni);
        open();
    }
    void open()
    {
        settings = std::make_unique<TSystemSettings>(dir.path() + '/');
        pages = std::make_unique<IniFile>(dir.filePath("Pages.ini"));
        commands = std::make_unique<IniFile>(dir.filePath("Commands.ini"));
        model = std::make_unique<TProfileModel>(settings.get(), pages.get(), commands.get());
        model->SetRunStatFile(dir.filePath("RunStat.ini"));
    }
    // Everything made anew from the files and loaded, as at the next start.
    void restart()
    {
        model.reset();
        open();
        model->Load();
    }
    int count(const QString& section) const
    {
        return IniFile(dir.filePath("RunStat.ini")).readInteger(section, "RunCount", 0);
    }
    QStringList sections(const QString& name) const
    {
        QStringList list = IniFile(dir.filePath(name)).sections();
        list.sort();
        return list;
    }
    QString exePath(const QString& section) const
    {
        return commands->readString(section, "ExePath", "-");
    }
    QList<int> numbers(int page) const
    {
        QList<int> result;
        for (const TProfileCommand* c : model->Page(page)->Commands())
            result << c->ButtonNumber();
        return result;
    }
};

QByteArray threePages()
{
    return "[0]\r\nCaption=A\r\nImageIndex=-1\r\n\r\n[1]\r\nCaption=B\r\nImageIndex=-1\r\n\r\n"
           "[2]\r\nCaption=C\r\nImageIndex=-1\r\n";
}

QByteArray threePagesCommands()
{
    return "[0\\0]\r\nExePath=/a0\r\nIconIndex=0\r\nDescription=a0\r\n\r\n"
           "[0\\3]\r\nExePath=/a3\r\nIconIndex=0\r\nDescription=a3\r\n\r\n"
           "[1\\1]\r\nExePath=/b1\r\nIconIndex=0\r\nDescription=b1\r\n\r\n"
           "[2\\0]\r\nExePath=/c0\r\nIconIndex=0\r\nDescription=c0\r\n\r\n"
           "[2\\4]\r\nExePath=/c4\r\nIconIndex=0\r\nDescription=c4\r\n";
}

const QByteArray ThreePagesOptions =
    "[PageControl]\r\nColCount=1\r\nCommandsCount=5\r\nPagesCount=3\r\n";

TCommandRecord record(const QString& exePath, const QString& description = QString())
{
    TCommandRecord r;
    r.SetExePath(exePath);
    r.SetDescription(description);
    r.SetIconIndex(0);
    return r;
}

} // namespace

class TestProfileModel : public QObject
{
    Q_OBJECT

private slots:
    // The other pages' commands are read after the first page is shown; the views hear of the
    // whole profile once, and the places keep their identity through every renumbering.
    void loadingShowsTheFirstPageFirst()
    {
        TFolder f(ThreePagesOptions, threePages(), threePagesCommands());
        QSignalSpy reset(f.model.get(), &TProfileModel::Reset);
        QSignalSpy added(f.model.get(), &TProfileModel::CommandAdded);
        int progressCalls = 0;
        bool firstShown = false;
        f.model->Load(
            [&](int, int total) {
                ++progressCalls;
                QCOMPARE(total, 3);
            },
            [&] {
                firstShown = true;
                QCOMPARE(reset.size(), 1);
                QCOMPARE(f.model->PageCount(), 3);
                QCOMPARE(f.model->Command(0, 3)->ExePath(), QString("/a3"));
                QVERIFY(f.model->Command(2, 4)->IsEmpty());
            });
        QVERIFY(firstShown);
        QCOMPARE(progressCalls, 3);
        QCOMPARE(reset.size(), 1);
        QVERIFY(added.isEmpty());
        QCOMPARE(f.model->Command(2, 4)->ExePath(), QString("/c4"));
        QCOMPARE(f.model->Command(2, 4)->Description(), QString("c4"));
        QCOMPARE(f.model->PageOf(f.model->Command(2, 4)), 2);

        TProfileCommand* c4 = f.model->Command(2, 4);
        QVERIFY(TProfileCommand::IsLive(c4));
        QCOMPARE(TProfileCommand::FromParam(toParam(c4)), c4);
        QCOMPARE(TProfileCommand::FromParam(-1), nullptr);
        f.model->MovePage(2, 0);
        QCOMPARE(f.model->Command(0, 4), c4);
        QCOMPARE(c4->PageNumber(), 0);
        f.model->Unload();
        QCOMPARE(reset.size(), 2);
        QVERIFY(!TProfileCommand::IsLive(c4));
        QCOMPARE(f.model->PageCount(), 0);
    }

    // The first page is read from its own sections alone, then the whole file is read: where
    // the two differ (here the file is not UTF-8 as a whole, so it is read in the Russian code
    // page), the page takes what the whole read found and the views hear of it; elsewhere
    // nothing is said.
    void firstPageTakesWhatTheWholeFileSays()
    {
        const QByteArray utf8Name = QString("Тест").toUtf8();
        TFolder f(ThreePagesOptions, threePages(),
                  "[0\\0]\r\nExePath=/a0\r\nIconIndex=0\r\nDescription=" + utf8Name +
                      "\r\n\r\n[0\\1]\r\nExePath=/a1\r\nIconIndex=0\r\nDescription=a1\r\n\r\n"
                      "[1\\0]\r\nExePath=/b0\r\nIconIndex=0\r\nDescription=\xC1\r\n");
        QSignalSpy changed(f.model.get(), &TProfileModel::CommandChanged);
        QString seenFirst;
        f.model->Load(nullptr, [&] {
            seenFirst = f.model->Command(0, 0)->Description();
            QCOMPARE(f.model->Command(0, 1)->ExePath(), QString("/a1"));
        });
        QCOMPARE(seenFirst, QString("Тест"));
        const QString whole = QStringDecoder("windows-1251")(utf8Name);
        QCOMPARE(f.model->Command(0, 0)->Description(), whole);
        QCOMPARE(f.model->Command(1, 0)->Description(), QString("Б"));
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.at(0).at(0).value<TProfileCommand*>(), f.model->Command(0, 0));

        // The commands read first are those of the whole file from then on: a change is written
        // to the file, not to the first look.
        QVERIFY(f.model->SetCommand(f.model->Command(0, 1), record("/new")) ==
                TCommandWrite::Written);
        QCOMPARE(f.exePath("0\\1"), QString("/new"));

        // A file of one encoding throughout is read once more without a word.
        TFolder plain(ThreePagesOptions, threePages(), threePagesCommands());
        QSignalSpy quiet(plain.model.get(), &TProfileModel::CommandChanged);
        plain.model->Load();
        QVERIFY(quiet.isEmpty());
        QCOMPARE(plain.model->Command(0, 3)->Description(), QString("a3"));
    }

    void growingAndShrinkingRows()
    {
        TFolder f(
            "[PageControl]\r\nColCount=2\r\nCommandsCount=2\r\nPagesCount=1\r\n",
            "[0]\r\nCaption=A\r\n",
            "[0\\0]\r\nExePath=/p0\r\nIconIndex=0\r\n\r\n[0\\1]\r\nExePath=/p1\r\nIconIndex=0\r\n"
            "\r\n[0\\2]\r\nExePath=/p2\r\nIconIndex=0\r\n\r\n[0\\3]\r\nExePath=/"
            "p3\r\nIconIndex=0\r\n");
        f.model->Load();
        QSignalSpy grid(f.model.get(), &TProfileModel::GridChanged);
        QSignalSpy added(f.model.get(), &TProfileModel::CommandAdded);
        QSignalSpy removed(f.model.get(), &TProfileModel::CommandAboutToBeRemoved);
        QSignalSpy cleared(f.model.get(), &TProfileModel::CommandCleared);
        f.model->SetCommandsCount(3);
        QCOMPARE(f.model->Page(0)->CommandCount(), 6);
        QCOMPARE(f.numbers(0), QList<int>({0, 1, 2, 3, 4, 5}));
        QVERIFY(f.model->Command(0, 4)->IsEmpty() && f.model->Command(0, 5)->IsEmpty());
        QCOMPARE(added.size(), 2);
        QCOMPARE(grid.size(), 1);
        // Place 2, formerly top of the second column, now ends the first.
        QCOMPARE(f.model->Command(0, 2)->ExePath(), QString("/p2"));

        // Fewer rows: places 2 and 5 go, and the others are numbered by position, their
        // sections and counts moving with them.
        writeAll(f.dir.filePath("RunStat.ini"),
                 "[0\\2]\r\nRunCount=2\r\n[0\\3]\r\nRunCount=3\r\n"
                 "[LastRunCommand]\r\nPageIndex=0\r\nCommandIndex=3\r\n");
        f.model->SetCommandsCount(2);
        QCOMPARE(f.numbers(0), QList<int>({0, 1, 2, 3}));
        QCOMPARE(removed.size(), 2);
        QCOMPARE(cleared.size(), 1); // p2 went, and the history hears of it
        QCOMPARE(f.exePath("0\\0"), QString("/p0"));
        QCOMPARE(f.exePath("0\\2"), QString("/p3"));
        QCOMPARE(f.exePath("0\\3"), QString("-"));
        QCOMPARE(f.count("0\\2"), 3);
        QCOMPARE(f.sections("RunStat.ini"), QStringList({"0\\2", "LastRunCommand"}));
        QCOMPARE(IniFile(f.dir.filePath("RunStat.ini"))
                     .readInteger("LastRunCommand", "CommandIndex", -1),
                 2);

        // Growing again gives the new places numbers of their own: two places sharing a section
        // would overwrite and erase each other's command.
        f.model->SetCommandsCount(3);
        QCOMPARE(f.numbers(0), QList<int>({0, 1, 2, 3, 4, 5}));
        QCOMPARE(f.model->SetCommand(f.model->Command(0, 4), record("/new")),
                 TCommandWrite::Written);
        QCOMPARE(f.exePath("0\\4"), QString("/new"));

        // Fewer columns: the places of the removed column go, with their commands.
        f.model->SetColCount(1);
        QCOMPARE(f.model->Page(0)->CommandCount(), 3);
        QCOMPARE(cleared.size(), 2);
        QCOMPARE(f.exePath("0\\4"), QString("-"));
        QCOMPARE(f.exePath("0\\1"), QString("/p1"));
        QCOMPARE(f.exePath("0\\2"), QString("/p3"));
        f.restart();
        QCOMPARE(f.model->Command(0, 2)->ExePath(), QString("/p3"));
    }

    void loadingRepairsGaps()
    {
        TFolder f(
            ThreePagesOptions,
            "[0]\r\nCaption=A\r\nImageIndex=-1\r\n\r\n[2]\r\nCaption=C\r\nImageIndex=0\r\n",
            "[0\\0]\r\nExePath=/a0\r\nIconIndex=0\r\n\r\n[2\\1]\r\nExePath=/c1\r\nIconIndex=0\r\n");
        f.model->SetImageCount(1);
        f.model->Load();
        QCOMPARE(f.model->PageCount(), 2);
        QCOMPARE(f.model->Page(1)->Caption(), QString("C"));
        QCOMPARE(f.model->Page(1)->ImageIndex(), 0);
        QCOMPARE(f.model->Page(1)->PageNumber(), 1);
        QCOMPARE(f.settings->PagesCount(), 2);
        QCOMPARE(f.pages->readString("1", "Caption", ""), QString("C"));
        QCOMPARE(f.exePath("1\\1"), QString("/c1"));
        QCOMPARE(f.exePath("2\\1"), QString("-"));
        QCOMPARE(f.exePath("0\\0"), QString("/a0"));
    }

    void absurdPagesFiles()
    {
        {
            // Image indexes beyond the list, a count far beyond the sections present.
            TFolder f("[PageControl]\r\nPagesCount=2000000000\r\n",
                      "[0]\r\nCaption=A\r\nImageIndex=99\r\n[1]\r\nCaption=B\r\nImageIndex=-7\r\n"
                      "[x]\r\nCaption=junk\r\n");
            f.model->SetImageCount(1);
            f.model->Load();
            QCOMPARE(f.model->PageCount(), 2);
            QCOMPARE(f.model->Page(0)->ImageIndex(), -1);
            QCOMPARE(f.settings->PagesCount(), 2);
        }
        {
            // A count below 0 reads as none: the first run's page.
            TFolder f("[PageControl]\r\nPagesCount=-3\r\n", "[0]\r\nCaption=A\r\n");
            f.model->Load();
            QCOMPARE(f.model->PageCount(), 1);
            QCOMPARE(f.model->Page(0)->Caption(), QStringLiteral("Новая"));
        }
        {
            QByteArray many;
            for (int i = 0; i < 10000; ++i)
                many +=
                    "[" + QByteArray::number(i) + "]\r\nCaption=P" + QByteArray::number(i) + "\r\n";
            TFolder f("[PageControl]\r\nPagesCount=10000\r\nCommandsCount=1\r\n", many);
            f.model->Load();
            QCOMPARE(f.model->PageCount(), 10000);
        }
    }

    void withNoPageTheFirstRunsPageShows()
    {
        const QByteArray commands = "[0\\0]\r\nExePath=/a0\r\nIconIndex=0\r\n"
                                    "[3\\1]\r\nExePath=/d1\r\nIconIndex=0\r\n";
        const QByteArray stat = "[0\\0]\r\nRunCount=4\r\n";
        const QList<QPair<QByteArray, QByteArray>> cases = {
            {"[PageControl]\r\nPagesCount=0\r\n", "[0]\r\nCaption=A\r\n[1]\r\nCaption=B\r\n"},
            {"[PageControl]\r\nPagesCount=1\r\n", QByteArray()}, // no Pages.ini
            {"[PageControl]\r\nPagesCount=1\r\n", "\r\n"},       // an empty one
            {"[PageControl]\r\nPagesCount=2\r\n", "[0]\r\nImageIndex=1\r\n[1]\r\nCaption=\r\n"},
        };
        for (const auto& [options, pagesIni] : cases) {
            TFolder f(options, pagesIni, commands, stat);
            if (pagesIni == "\r\n")
                writeAll(f.dir.filePath("Pages.ini"), QByteArray());
            f.model->Load();
            for (int start = 0; start < 2; ++start) {
                QCOMPARE(f.model->PageCount(), 1);
                QCOMPARE(f.model->Page(0)->Caption(), QStringLiteral("Новая"));
                QCOMPARE(f.model->Page(0)->ImageIndex(), -1);
                QCOMPARE(f.settings->optionsFile()->readInteger("PageControl", "PagesCount", 0), 1);
                QCOMPARE(f.pages->readString("0", "Caption", ""), QStringLiteral("Новая"));
                // The other files are kept as they are.
                QCOMPARE(readAll(f.dir.filePath("Commands.ini")), commands);
                QCOMPARE(readAll(f.dir.filePath("RunStat.ini")), stat);
                f.restart();
            }
        }
    }

    void renumberingLeavesNothingBehind()
    {
        // Loading closes the gap of the caption-less section 1; what was stored under it must
        // not come back on C's empty places, nor under C's old number.
        TFolder f(ThreePagesOptions,
                  "[0]\r\nCaption=A\r\nImageIndex=-1\r\n[1]\r\nImageIndex=3\r\n"
                  "[2]\r\nCaption=C\r\nImageIndex=-1\r\n[7]\r\nCaption=Old\r\n",
                  "[0\\0]\r\nExePath=/a0\r\n[1\\0]\r\nExePath=/stale\r\n"
                  "[2\\1]\r\nExePath=/c1\r\n[9\\2]\r\nExePath=/stale\r\n",
                  "[1\\0]\r\nRunCount=5\r\n[2\\1]\r\nRunCount=7\r\n[9\\2]\r\nRunCount=9\r\n");
        f.model->Load();
        QCOMPARE(f.sections("Pages.ini"), QStringList({"0", "1"}));
        QCOMPARE(f.sections("Commands.ini"), QStringList({"0\\0", "1\\1"}));
        QCOMPARE(f.sections("RunStat.ini"), QStringList({"1\\1"}));
        QCOMPARE(f.count("1\\1"), 7);
        f.restart();
        QVERIFY(f.model->Command(1, 0)->IsEmpty());
        QCOMPARE(f.model->Command(1, 1)->ExePath(), QString("/c1"));

        // Deleting A, then C: no copy of a page section stays behind, so nothing can end the
        // next start; the stored count is 0.
        QSignalSpy removed(f.model.get(), &TProfileModel::PageAboutToBeRemoved);
        f.model->DeletePage(0);
        QCOMPARE(removed.size(), 1);
        QCOMPARE(f.sections("Pages.ini"), QStringList({"0"}));
        QCOMPARE(f.pages->readString("0", "Caption", ""), QString("C"));
        f.model->DeletePage(0);
        QVERIFY(f.sections("Pages.ini").isEmpty());
        QVERIFY(f.sections("Commands.ini").isEmpty());
        QVERIFY(f.sections("RunStat.ini").isEmpty());
        QCOMPARE(f.settings->optionsFile()->readInteger("PageControl", "PagesCount", -1), 0);
        f.restart();
        QCOMPARE(f.model->PageCount(), 1);

        // A page added where an older program left sections finds them gone.
        writeAll(f.dir.filePath("Commands.ini"), "[1\\0]\r\nExePath=/stale\r\n");
        writeAll(f.dir.filePath("RunStat.ini"), "[1\\0]\r\nRunCount=3\r\n");
        f.restart();
        QSignalSpy added(f.model.get(), &TProfileModel::PageAdded);
        TProfilePage* page = f.model->AddPage("Вторая", 0);
        QCOMPARE(added.size(), 1);
        QCOMPARE(added[0][0].toInt(), 1);
        QCOMPARE(f.model->Page(1), page);
        QVERIFY(f.sections("Commands.ini").isEmpty());
        QVERIFY(f.sections("RunStat.ini").isEmpty());
        QCOMPARE(f.pages->readString("1", "Caption", ""), QStringLiteral("Вторая"));
        QCOMPARE(f.pages->readInteger("1", "ImageIndex", -1), 0);
        QVERIFY(f.model->NameExists("вторая") == false); // only A to Z ignore their case
        QVERIFY(f.model->NameExists("Вторая"));
    }

    void runCountsGoWithTheirPages()
    {
        const QByteArray stat = "[0\\0]\r\nRunCount=1\r\n[0\\3]\r\nRunCount=3\r\n"
                                "[1\\1]\r\nRunCount=11\r\n[2\\0]\r\nRunCount=20\r\n"
                                "[2\\4]\r\nRunCount=24\r\n"
                                "[LastRunCommand]\r\nPageIndex=1\r\nCommandIndex=1\r\n"
                                "[LastStateMenuItem0]\r\nPageIndex=2\r\nCommandIndex=4\r\n";
        TFolder f(ThreePagesOptions, threePages(), threePagesCommands(), stat);
        f.model->Load();
        // C moved in front: C, A, B.
        QSignalSpy moved(f.model.get(), &TProfileModel::PageMoved);
        const quint64 writes = f.commands->diskWrites();
        f.model->MovePage(2, 0);
        QCOMPARE(moved.size(), 1);
        QCOMPARE(f.commands->diskWrites() - writes, quint64(1));
        QCOMPARE(f.sections("RunStat.ini"), QStringList({"0\\0", "0\\4", "1\\0", "1\\3", "2\\1",
                                                         "LastRunCommand", "LastStateMenuItem0"}));
        QCOMPARE(f.count("0\\0"), 20);
        QCOMPARE(f.count("0\\4"), 24);
        QCOMPARE(f.count("1\\0"), 1);
        QCOMPARE(f.count("1\\3"), 3);
        QCOMPARE(f.count("2\\1"), 11);
        IniFile statFile(f.dir.filePath("RunStat.ini"));
        QCOMPARE(statFile.readInteger("LastRunCommand", "PageIndex", -1), 2);
        QCOMPARE(statFile.readInteger("LastStateMenuItem0", "PageIndex", -1), 0);

        // Deleting A (now 1): its counts go, B's follow B down to 1.
        f.model->DeletePage(1);
        QCOMPARE(f.sections("RunStat.ini"),
                 QStringList({"0\\0", "0\\4", "1\\1", "LastRunCommand", "LastStateMenuItem0"}));
        QCOMPARE(f.count("1\\1"), 11);
        QCOMPARE(statFile.readInteger("LastRunCommand", "PageIndex", -1), 1);
        QCOMPARE(statFile.readInteger("LastRunCommand", "CommandIndex", -1), 1);
        QCOMPARE(f.exePath("1\\1"), QString("/b1"));
    }

    void deletingTheMiddlePage()
    {
        TFolder f(ThreePagesOptions, threePages(), threePagesCommands());
        f.model->Load();
        QSignalSpy cleared(f.model.get(), &TProfileModel::CommandCleared);
        const quint64 writes = f.commands->diskWrites();
        f.model->DeletePage(1);
        QCOMPARE(f.commands->diskWrites() - writes, quint64(1));
        // The history hears of B's command as of any other that goes.
        QCOMPARE(cleared.size(), 1);
        QCOMPARE(f.model->PageCount(), 2);
        QCOMPARE(f.settings->PagesCount(), 2);
        QCOMPARE(f.pages->readString("0", "Caption", ""), QString("A"));
        QCOMPARE(f.pages->readString("1", "Caption", ""), QString("C"));
        QCOMPARE(f.exePath("1\\0"), QString("/c0"));
        QCOMPARE(f.exePath("1\\4"), QString("/c4"));
        QCOMPARE(f.exePath("0\\0"), QString("/a0"));
        QCOMPARE(f.exePath("1\\1"), QString("-")); // B's command is gone
        QCOMPARE(f.commands->sections().size(), 4);
    }

    void renamingAndPictures()
    {
        TFolder f(ThreePagesOptions, threePages());
        f.model->SetImageCount(3);
        f.model->Load();
        QSignalSpy changed(f.model.get(), &TProfileModel::PageChanged);
        const quint64 writes = f.pages->diskWrites();
        f.model->RenamePage(0, "A");
        QCOMPARE(f.pages->diskWrites(), writes);
        QVERIFY(changed.isEmpty());
        f.model->RenamePage(0, "Alpha");
        QCOMPARE(f.pages->readString("0", "Caption", ""), QString("Alpha"));
        QCOMPARE(changed.size(), 1);
        f.model->SetPageImage(1, 2);
        f.model->SetPageImage(2, 1);
        QCOMPARE(f.pages->readInteger("1", "ImageIndex", -1), 2);
        // Picture 1 deleted: the pictures after it move up, a page showing it shows none.
        f.model->RemapImageIndexes({0, -1, 1});
        QCOMPARE(f.model->Page(1)->ImageIndex(), 1);
        QCOMPARE(f.model->Page(2)->ImageIndex(), -1);
        QCOMPARE(f.pages->readInteger("1", "ImageIndex", -9), 1);
        QCOMPARE(f.pages->readInteger("2", "ImageIndex", -9), -1);
    }

    // Putting commands on places: the history hears what it must, and a failed write leaves
    // every place as it was, in memory and on disk.
    void commandsAndTheirNotices()
    {
        TFolder f(ThreePagesOptions, threePages(), threePagesCommands());
        f.model->Load();
        const QString program = f.dir.filePath("tool.sh");
        writeAll(program, "#!/bin/sh\n");
        QSignalSpy filled(f.model.get(), &TProfileModel::CommandFilled);
        QSignalSpy edited(f.model.get(), &TProfileModel::CommandEdited);
        QSignalSpy cleared(f.model.get(), &TProfileModel::CommandCleared);
        QSignalSpy movedCommand(f.model.get(), &TProfileModel::CommandMoved);
        QSignalSpy changed(f.model.get(), &TProfileModel::CommandChanged);

        TProfileCommand* b0 = f.model->Command(1, 0);
        QCOMPARE(f.model->SetCommand(b0, record(program, "Сценарий")), TCommandWrite::Written);
        QCOMPARE(filled.size(), 1);
        QCOMPARE(f.commands->readString("1\\0", "Description", ""), QStringLiteral("Сценарий"));
        QCOMPARE(f.model->SetCommand(b0, record(program, "Другой")), TCommandWrite::Written);
        QCOMPARE(edited.size(), 1);
        // A program that is no file is stored but is nothing for the history.
        QCOMPARE(f.model->SetCommand(f.model->Command(1, 2), record("/nowhere")),
                 TCommandWrite::Written);
        QCOMPARE(filled.size(), 1);
        // Empty fields clear the place, with its section.
        QCOMPARE(f.model->SetCommand(f.model->Command(1, 2), TCommandRecord()),
                 TCommandWrite::Written);
        QCOMPARE(cleared.size(), 1);
        QCOMPARE(f.exePath("1\\2"), QString("-"));

        // A move: the target first, then the source is cleared; a copy starts afresh.
        QCOMPARE(f.model->MoveCommand(b0, f.model->Command(0, 1), false), TCommandWrite::Written);
        QCOMPARE(movedCommand.size(), 1);
        QVERIFY(b0->IsEmpty());
        QCOMPARE(f.exePath("0\\1"), program);
        QCOMPARE(f.exePath("1\\0"), QString("-"));
        QCOMPARE(f.model->MoveCommand(f.model->Command(0, 1), f.model->Command(0, 0), true),
                 TCommandWrite::Written);
        QCOMPARE(cleared.size(), 3); // the copy replaced a0
        QCOMPARE(f.exePath("0\\0"), program);
        QCOMPARE(f.exePath("0\\1"), program);
        QCOMPARE(f.model->MoveCommand(b0, f.model->Command(0, 0), false), TCommandWrite::Nothing);
        QVERIFY(!changed.isEmpty());

        // A commands file that cannot be written: nothing changes anywhere.
        QDir().mkpath(f.dir.filePath("Broken.ini"));
        IniFile broken(f.dir.filePath("Broken.ini"));
        TProfileCommand stray(f.model.get(), 5, 0, &broken);
        const QByteArray before = readAll(f.dir.filePath("Commands.ini"));
        QCOMPARE(f.model->MoveCommand(f.model->Command(0, 0), &stray, false),
                 TCommandWrite::Failed);
        QVERIFY(stray.IsEmpty());
        QCOMPARE(f.model->Command(0, 0)->ExePath(), program);
        QCOMPARE(f.model->SetCommand(&stray, record(program)), TCommandWrite::Failed);
        QVERIFY(stray.IsEmpty());
        QCOMPARE(readAll(f.dir.filePath("Commands.ini")), before);
    }

    // A folder read into memory is repaired as a start repairs it, run counts and all, and not
    // one byte of it changes.
    void readingAFolderWritesNothing()
    {
        TFolder f(ThreePagesOptions,
                  "[0]\r\nCaption=A\r\nImageIndex=-1\r\n[1]\r\nImageIndex=3\r\n"
                  "[2]\r\nCaption=C\r\nImageIndex=7\r\n",
                  "[0\\0]\r\nExePath=/a0\r\n[1\\0]\r\nExePath=/stale\r\n[2\\1]\r\nExePath=/c1\r\n",
                  "[1\\0]\r\nRunCount=5\r\n[2\\1]\r\nRunCount=7\r\n");
        const QDir dir(f.dir.path());
        QMap<QString, QByteArray> before;
        for (const QString& name : dir.entryList(QDir::Files))
            before[name] = readAll(dir.filePath(name));
        std::unique_ptr<TProfileModel> read = TProfileModel::ReadFolder(f.dir.path());
        QCOMPARE(read->PageCount(), 2);
        QCOMPARE(read->Page(1)->Caption(), QString("C"));
        QCOMPARE(read->Page(1)->ImageIndex(), 7); // no picture list to hold it against
        QVERIFY(read->Command(1, 0)->IsEmpty());
        QCOMPARE(read->Command(1, 1)->ExePath(), QString("/c1"));
        QCOMPARE(read->RunStatIniFile()->readInteger("1\\1", "RunCount", 0), 7);
        QVERIFY(!read->RunStatIniFile()->sectionExists("1\\0"));
        // Changes to it stay in memory too.
        QCOMPARE(read->SetCommand(read->Command(0, 1), record("/x")), TCommandWrite::Written);
        read->DeletePage(0);
        QMap<QString, QByteArray> after;
        for (const QString& name : dir.entryList(QDir::Files))
            after[name] = readAll(dir.filePath(name));
        QCOMPARE(after, before);
    }

    // A drop fills several places in one write, each emptied first.
    void fillingPlaces()
    {
        TFolder f(ThreePagesOptions, threePages(), threePagesCommands());
        f.model->Load();
        const QString program = f.dir.filePath("tool.sh");
        writeAll(program, "#!/bin/sh\n");
        QSignalSpy filled(f.model.get(), &TProfileModel::CommandFilled);
        QSignalSpy cleared(f.model.get(), &TProfileModel::CommandCleared);
        const quint64 writes = f.commands->diskWrites();
        QVERIFY(f.model->FillCommands({f.model->Command(0, 0), f.model->FirstEmptyCommand(0)},
                                      {record(program, "Один"), record("/elsewhere", "Два")}));
        QCOMPARE(f.commands->diskWrites() - writes, quint64(1));
        QCOMPARE(cleared.size(), 1); // a0 made room
        QCOMPARE(filled.size(), 1);  // only the program that is a file
        QCOMPARE(f.commands->readString("0\\0", "Description", ""), QStringLiteral("Один"));
        QCOMPARE(f.commands->readString("0\\1", "Description", ""), QStringLiteral("Два"));
        QCOMPARE(f.model->FirstEmptyCommand(0), f.model->Command(0, 2));
        QCOMPARE(f.model->CommandsWithProgram(), QList<TProfileCommand*>({f.model->Command(0, 0)}));
    }
};

QTEST_GUILESS_MAIN(TestProfileModel)
#include "tst_profilemodel.moc"
