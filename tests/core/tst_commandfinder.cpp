#include "commands/CommandFinder.h"

#include <QTest>

namespace {

TFindRecord record(const QString& description, const QString& exePath,
                   const QString& parameters = QString(), int page = 0, int button = 0,
                   int runCount = 0)
{
    return {description, exePath, parameters, page, button, runCount};
}

// The descriptions of the records found, in their order.
QStringList found(TCommandFinder& finder, const QString& query)
{
    QStringList names;
    for (const int index : finder.Find(query))
        names.append(finder.Record(index).description);
    return names;
}

} // namespace

class TestCommandFinder : public QObject
{
    Q_OBJECT

private slots:
    void matchesAnyCaseInTheThreeFields()
    {
        TCommandFinder finder;
        finder.SetRecords({
            record("Браузер", "/usr/bin/firefox-esr"),
            record("Ёлка", "/opt/tree/run.sh"),
            record("Почта", "/usr/bin/thunderbird", "--compose TO=Мама"),
            record("Фото", "/home/me/Pictures/"),
            record("Документы", "C:\\Users\\me\\Documents\\Отчёт.DOC"),
            record("ΣΟΦΙΑ", "/bin/sofia", QStringLiteral("\U00010400x")),
        });
        QCOMPARE(found(finder, "БРАУЗ"), QStringList({"Браузер"}));
        QCOMPARE(found(finder, "FireFox"), QStringList({"Браузер"}));
        // ё and е are one letter to the finder, both ways.
        QCOMPARE(found(finder, "елк"), QStringList({"Ёлка"}));
        QCOMPARE(found(finder, "ЁЛКА"), QStringList({"Ёлка"}));
        QCOMPARE(found(finder, "мама"), QStringList({"Почта"}));
        // Other alphabets, also beyond the first plane.
        QCOMPARE(found(finder, "σοφ"), QStringList({"ΣΟΦΙΑ"}));
        QCOMPARE(found(finder, QStringLiteral("\U00010428X")), QStringList({"ΣΟΦΙΑ"}));
        // The file's name counts, with a Windows path too; the folders above it do not.
        QCOMPARE(found(finder, "отчет.doc"), QStringList({"Документы"}));
        QCOMPARE(found(finder, "usr"), QStringList());
        QCOMPARE(found(finder, "users"), QStringList());
        QCOMPARE(found(finder, "pictures"), QStringList({"Фото"}));
        // Nothing found, and nothing asked.
        QCOMPARE(found(finder, "xyzzy"), QStringList());
        QCOMPARE(found(finder, ""), QStringList());
        QCOMPARE(found(finder, "  \t "), QStringList());
        // A word never runs on from one field into the next.
        QCOMPARE(found(finder, "браузерfirefox"), QStringList());
    }

    void everyWordInAnyOrder()
    {
        TCommandFinder finder;
        finder.SetRecords({
            record("Office Writer", "/usr/bin/lowriter"),
            record("Office Calc", "/usr/bin/localc"),
            record("Writer notes", "/usr/bin/notes", "--office"),
        });
        const QStringList both = {"Office Writer", "Writer notes"};
        QCOMPARE(found(finder, "office writer"), both);
        QCOMPARE(found(finder, "WRITER   office"), both);
        QCOMPARE(found(finder, "office calc"), QStringList({"Office Calc"}));
        QCOMPARE(found(finder, "office calc writer"), QStringList());
    }

    void bestFirst()
    {
        TCommandFinder finder;
        finder.SetRecords({
            // The word found inside another word: last, whatever its count.
            record("Multiplayer", "/bin/a", {}, 0, 0, 900),
            record("Player two", "/bin/b", {}, 3, 1, 5),
            record("Player one", "/bin/c", {}, 1, 7, 5),
            record("Player busy", "/bin/d", {}, 4, 0, 40),
            record("Player same page", "/bin/e", {}, 1, 2, 5),
        });
        QCOMPARE(found(finder, "play"), QStringList({"Player busy", "Player same page",
                                                     "Player one", "Player two", "Multiplayer"}));
        // Two words: both starting words beats one.
        finder.SetRecords({
            record("Red player", "/bin/a", {}, 0, 0, 100),
            record("Layer red", "/bin/b", {}, 0, 1, 0),
        });
        QCOMPARE(found(finder, "red lay"), QStringList({"Layer red", "Red player"}));
    }

    void typingOnAndBackGivesWhatAFreshSearchGives()
    {
        QList<TFindRecord> records;
        const QStringList words = {"Firefox", "Files",  "Finder", "Фильмы",
                                   "Фильтр",  "Office", "Defrag", "Fire drill"};
        for (int i = 0; i < words.size(); ++i)
            records.append(record(words[i], "/bin/p" + QString::number(i), "x" + words[i], i / 3,
                                  i % 3, (i * 7) % 5));
        TCommandFinder typing;
        typing.SetRecords(records);
        // Typed on, deleted back, a second word, a different start.
        const QStringList queries = {"f",   "fi",   "fil",  "fi",   "fi ", "fi r", "fi re",
                                     "fir", "ф",    "фил",  "филь", "и",   "fire", "Fire d",
                                     "",    "fire", "xfil", "xf",   "o",   "of"};
        for (const QString& query : queries) {
            TCommandFinder fresh;
            fresh.SetRecords(records);
            QCOMPARE(typing.Find(query), fresh.Find(query));
        }
        // New records: the last result is not narrowed from.
        typing.Find("fil");
        records.append(record("Filezilla", "/bin/fz"));
        typing.SetRecords(records);
        QVERIFY(found(typing, "file").contains("Filezilla"));
    }
};

QTEST_GUILESS_MAIN(TestCommandFinder)
#include "tst_commandfinder.moc"
