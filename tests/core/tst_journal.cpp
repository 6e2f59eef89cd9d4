#include "CoreSupport.h"
#include "settings/IniFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// The files and sections journal_writer writes.
const QStringList BatchFiles = {"Options.ini", "Pages.ini", "Commands.ini", "RunStat.ini"};
constexpr int SectionsPerFile = 200;

// The journal as the writer leaves it when it is killed after naming its new files.
QByteArray journalFor(const QString& folder, const QStringList& names,
                      const QStringList& removed = {})
{
    auto crc = [](const QByteArray& bytes) {
        return quint32(::crc32(::crc32(0L, Z_NULL, 0),
                               reinterpret_cast<const Bytef*>(bytes.constData()),
                               uInt(bytes.size())));
    };
    QByteArray text = "Kestrolin journal 1\n";
    for (const QString& name : names) {
        const QByteArray bytes = readAll(folder + '/' + name + ".journal-new");
        text += QByteArray::number(crc(bytes), 16) + ' ' + QByteArray::number(bytes.size()) + ' ' +
                QUrl::toPercentEncoding(name) + '\n';
    }
    for (const QString& name : removed)
        text += "remove " + QUrl::toPercentEncoding(name) + '\n';
    return text + "end " + QByteArray::number(crc(text), 16) + '\n';
}

// One batch as the child (journal_writer) writes it: every file gets the generation in every
// section.
void writeGeneration(std::vector<std::unique_ptr<IniFile>>& files, int generation)
{
    IniFile::Transaction transaction;
    for (auto& file : files) {
        file->writeInteger("Meta", "Generation", generation);
        for (int i = 0; i < SectionsPerFile; ++i)
            file->writeInteger(QString::number(i), "Value", generation);
    }
}

// The generation all files of the folder hold, or -1 when they disagree or one is not whole.
int folderGeneration(const QString& folder, QString* why)
{
    int agreed = -2;
    for (const QString& name : BatchFiles) {
        IniFile file(folder + '/' + name);
        const int generation = file.readInteger("Meta", "Generation", -1);
        for (int i = 0; i < SectionsPerFile; ++i) {
            if (file.readInteger(QString::number(i), "Value", -1) != generation) {
                *why = name + " is not whole";
                return -1;
            }
        }
        if (agreed != -2 && agreed != generation) {
            *why = QString("%1 holds generation %2, the file before it %3")
                       .arg(name)
                       .arg(generation)
                       .arg(agreed);
            return -1;
        }
        agreed = generation;
    }
    return agreed;
}

} // namespace

class TestJournal : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void transactionWritesEachFileOnceAtItsEnd()
    {
        QTemporaryDir dir;
        IniFile pages(dir.filePath("Pages.ini"));
        IniFile commands(dir.filePath("Commands.ini"));
        IniFile stat(dir.filePath("RunStat.ini"));
        QVERIFY(pages.writeString("0", "Caption", "A"));
        QVERIFY(commands.writeString("0\\0", "ExePath", "/a"));
        const quint64 pageWrites = pages.diskWrites(), commandWrites = commands.diskWrites();
        QList<QPair<QString, bool>> observed;
        const IniFile::WriteObserver previous =
            IniFile::setWriteObserver([&](const QString& file, bool ok) {
                observed.append({QFileInfo(file).fileName(), ok});
            });
        {
            IniFile::Transaction transaction;
            QVERIFY(pages.writeString("0", "Caption", "B"));
            {
                // A batch and a nested transaction inside join the outer one.
                IniFile::Batch batch(commands);
                IniFile::Transaction inner;
                QVERIFY(commands.eraseSection("0\\0"));
                QVERIFY(commands.writeString("1\\0", "ExePath", "/a"));
                QVERIFY(inner.commit());
                QVERIFY(batch.commit());
                QVERIFY(commands.flush());
            }
            // A file object made and dropped inside still has its write done.
            IniFile(dir.filePath("RunStat.ini")).writeInteger("1\\0", "RunCount", 3);
            QVERIFY(stat.deleteKey("nothing", "here"));
            // Nothing has reached the disk yet; the objects see their own writes.
            QVERIFY(readAll(dir.filePath("Pages.ini")).contains("Caption=A"));
            QVERIFY(!QFile::exists(dir.filePath("RunStat.ini")));
            QCOMPARE(pages.readString("0", "Caption", ""), QString("B"));
            QVERIFY(observed.isEmpty());
            QVERIFY(transaction.commit());
        }
        IniFile::setWriteObserver(previous);
        QCOMPARE(pages.diskWrites() - pageWrites, quint64(1));
        QCOMPARE(commands.diskWrites() - commandWrites, quint64(1));
        QVERIFY(readAll(dir.filePath("Pages.ini")).contains("Caption=B"));
        const QByteArray written = readAll(dir.filePath("Commands.ini"));
        QVERIFY(written.contains("[1\\0]") && !written.contains("[0\\0]"));
        QCOMPARE(IniFile(dir.filePath("RunStat.ini")).readInteger("1\\0", "RunCount", 0), 3);
        QCOMPARE(observed.size(), 3);
        for (const auto& o : observed)
            QVERIFY(o.second);
        // Nothing of the journal is left behind.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 QStringList({"Commands.ini", "Pages.ini", "RunStat.ini"}));
    }

    void failureWritesNoneOfTheFiles()
    {
        QTemporaryDir dir;
        IniFile pages(dir.filePath("Pages.ini"));
        IniFile commands(dir.filePath("Commands.ini"));
        QVERIFY(pages.writeString("0", "Caption", "A"));
        QVERIFY(commands.writeString("0\\0", "ExePath", "/a"));
        const QByteArray pagesBefore = readAll(dir.filePath("Pages.ini"));
        // The new version of Options.ini cannot be written: a folder stands in its place.
        QVERIFY(QDir(dir.path()).mkdir("Options.ini.journal-new"));
        IniFile options(dir.filePath("Options.ini"));
        QStringList failed;
        const IniFile::WriteObserver previous =
            IniFile::setWriteObserver([&](const QString& file, bool ok) {
                if (!ok)
                    failed.append(QFileInfo(file).fileName());
            });
        IniFile::Transaction transaction;
        pages.writeString("0", "Caption", "B");
        commands.eraseSection("0\\0");
        options.writeInteger("PageControl", "PagesCount", 1);
        QVERIFY(!transaction.commit());
        IniFile::setWriteObserver(previous);
        failed.sort();
        QCOMPARE(failed, QStringList({"Commands.ini", "Options.ini", "Pages.ini"}));
        QCOMPARE(readAll(dir.filePath("Pages.ini")), pagesBefore);
        QVERIFY(readAll(dir.filePath("Commands.ini")).contains("[0\\0]"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 QStringList({"Commands.ini", "Pages.ini"}));

        // A folder in a file's place fails that file at once, before anything is held back.
        QVERIFY(QDir(dir.path()).mkdir("RunStat.ini"));
        IniFile::Transaction second;
        QVERIFY(!IniFile(dir.filePath("RunStat.ini")).writeInteger("0\\0", "RunCount", 1));
    }

    void recoveryFinishesOrUndoes()
    {
        const QStringList names = {"Pages.ini", "Commands.ini"};
        auto prepare = [&](QTemporaryDir& dir) {
            for (const QString& name : names) {
                writeAll(dir.filePath(name), "[Meta]\r\nGeneration=1\r\n");
                writeAll(dir.filePath(name + ".journal-new"), "[Meta]\r\nGeneration=2\r\n");
            }
        };
        auto generation = [](QTemporaryDir& dir, const QString& name) {
            return IniFile(dir.filePath(name)).readInteger("Meta", "Generation", -1);
        };
        auto leftovers = [](QTemporaryDir& dir) {
            return QDir(dir.path()).entryList({"*.journal*", "Kestrolin.journal*"}, QDir::Files);
        };
        {
            // Killed once the journal named the new files: they take their places.
            QTemporaryDir dir;
            prepare(dir);
            writeAll(dir.filePath(IniFile::journalName()), journalFor(dir.path(), names));
            QCOMPARE(IniFile::recoverInterrupted(dir.path()), IniFile::Recovery::Completed);
            QCOMPARE(generation(dir, "Pages.ini"), 2);
            QCOMPARE(generation(dir, "Commands.ini"), 2);
            QVERIFY(leftovers(dir).isEmpty());
            QCOMPARE(IniFile::recoverInterrupted(dir.path()), IniFile::Recovery::Nothing);
        }
        {
            // Killed after the first rename.
            QTemporaryDir dir;
            prepare(dir);
            writeAll(dir.filePath(IniFile::journalName()), journalFor(dir.path(), names));
            QFile::remove(dir.filePath("Pages.ini"));
            QFile::rename(dir.filePath("Pages.ini.journal-new"), dir.filePath("Pages.ini"));
            QCOMPARE(IniFile::recoverInterrupted(dir.path()), IniFile::Recovery::Completed);
            QCOMPARE(generation(dir, "Pages.ini"), 2);
            QCOMPARE(generation(dir, "Commands.ini"), 2);
            QVERIFY(leftovers(dir).isEmpty());
        }
        {
            // A journal that also removes a file: killed before or after any of it was done,
            // the recovery finishes it, and once more finds nothing to do.
            for (const bool renamed : {false, true}) {
                QTemporaryDir dir;
                prepare(dir);
                writeAll(dir.filePath("RunStat.ini"), "[Meta]\r\nGeneration=1\r\n");
                writeAll(dir.filePath(IniFile::journalName()),
                         journalFor(dir.path(), names, {"RunStat.ini"}));
                if (renamed) {
                    QFile::remove(dir.filePath("Pages.ini"));
                    QFile::rename(dir.filePath("Pages.ini.journal-new"), dir.filePath("Pages.ini"));
                }
                QCOMPARE(IniFile::recoverInterrupted(dir.path()), IniFile::Recovery::Completed);
                QCOMPARE(generation(dir, "Pages.ini"), 2);
                QCOMPARE(generation(dir, "Commands.ini"), 2);
                QVERIFY(!QFileInfo::exists(dir.filePath("RunStat.ini")));
                QVERIFY(leftovers(dir).isEmpty());
                QCOMPARE(IniFile::recoverInterrupted(dir.path()), IniFile::Recovery::Nothing);
            }
        }
        {
            // Killed before the journal: the old files stay, the new ones go.
            QTemporaryDir dir;
            prepare(dir);
            QCOMPARE(IniFile::recoverInterrupted(dir.path()), IniFile::Recovery::RolledBack);
            QCOMPARE(generation(dir, "Pages.ini"), 1);
            QCOMPARE(generation(dir, "Commands.ini"), 1);
            QVERIFY(leftovers(dir).isEmpty());
        }
        {
            // A journal that is not whole, or names a new file that is not, finishes nothing.
            for (int damage = 0; damage < 2; ++damage) {
                QTemporaryDir dir;
                prepare(dir);
                QByteArray journal = journalFor(dir.path(), names);
                if (damage == 0)
                    journal.chop(3);
                else
                    writeAll(dir.filePath("Commands.ini.journal-new"), "[Meta]\r\nGenerat");
                writeAll(dir.filePath(IniFile::journalName()), journal);
                QCOMPARE(IniFile::recoverInterrupted(dir.path()), IniFile::Recovery::RolledBack);
                QCOMPARE(generation(dir, "Pages.ini"), 1);
                QCOMPARE(generation(dir, "Commands.ini"), 1);
                QVERIFY(leftovers(dir).isEmpty());
            }
        }
        {
            // While another copy writes there, its journal is left alone.
            QTemporaryDir dir;
            prepare(dir);
            writeAll(dir.filePath(IniFile::journalName()), journalFor(dir.path(), names));
            const int fd = ::open(QFile::encodeName(dir.path()).constData(), O_RDONLY);
            QVERIFY(fd >= 0 && ::flock(fd, LOCK_EX) == 0);
            QCOMPARE(IniFile::recoverInterrupted(dir.path()), IniFile::Recovery::Busy);
            ::close(fd);
            QCOMPARE(generation(dir, "Pages.ini"), 1);
            QCOMPARE(IniFile::recoverInterrupted(dir.path()), IniFile::Recovery::Completed);
        }
        QCOMPARE(IniFile::recoverInterrupted(path("no such folder")), IniFile::Recovery::Nothing);
    }

    void killedMultiFileWritesLeaveAllOldOrAllNew()
    {
        // A child writes the four files together, generation after generation, and is killed at
        // a random moment; after the start-up's recovery the files always agree.
        QTemporaryDir dir;
        {
            std::vector<std::unique_ptr<IniFile>> files;
            for (const QString& name : BatchFiles)
                files.push_back(std::make_unique<IniFile>(dir.filePath(name)));
            writeGeneration(files, 0);
        }
        // The kills must land in the middle of writes however fast this machine and this build
        // are: the moments are drawn from a few times what one write of the four files takes.
        const qint64 window =
            killWindowMicros(QStringLiteral(KESTROLIN_JOURNAL_WRITER), {dir.path()}, 5, 12000);
        QVERIFY(window > 0);
        QRandomGenerator random(20260612);
        int completed = 0, rolledBack = 0, lastGeneration = 0;
        QElapsedTimer elapsed;
        elapsed.start();
        for (int trial = 0; trial < 500; ++trial) {
            QProcess child;
            child.setProgram(QStringLiteral(KESTROLIN_JOURNAL_WRITER));
            child.setArguments({dir.path()});
            child.start();
            QVERIFY(child.waitForStarted());
            QVERIFY(child.waitForReadyRead(10000));
            // Busy-wait the delay: a timer's granularity would bunch the moments together.
            QElapsedTimer delay;
            delay.start();
            const qint64 wait = random.bounded(window); // microseconds
            while (delay.nsecsElapsed() / 1000 < wait) {
            }
            child.kill();
            child.waitForFinished();

            switch (IniFile::recoverInterrupted(dir.path())) {
            case IniFile::Recovery::Completed:
                ++completed;
                break;
            case IniFile::Recovery::RolledBack:
                ++rolledBack;
                break;
            default:
                break;
            }
            QString why;
            const int generation = folderGeneration(dir.path(), &why);
            QVERIFY2(generation >= lastGeneration,
                     qPrintable(QString("trial %1: %2").arg(trial).arg(why)));
            lastGeneration = generation;
            QVERIFY(QDir(dir.path()).entryList({"*.journal*", "Kestrolin.journal*"}).isEmpty());
        }
        qInfo("500 kills in %lld ms: %d writes finished at start-up, %d undone, %d generations",
              elapsed.elapsed(), completed, rolledBack, lastGeneration);
        // The kills did land in the middle of writes.
        QVERIFY(lastGeneration > 0);
        QVERIFY(completed + rolledBack > 0);
    }
};

QTEST_GUILESS_MAIN(TestJournal)
#include "tst_journal.moc"
