#include "CoreSupport.h"
#include "commands/CommandRecord.h"
#include "settings/IniFile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {
// Builds a path of this system from a slash-separated one.
QString nativePath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}
} // namespace

class TestCommandRecord : public QObject
{
    Q_OBJECT

private slots:
    void storageLayoutAndQuoting()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Commands.ini");
        IniFile file(path);

        TCommandRecord empty(2, 14, &file);
        QVERIFY(empty.Save());
        QVERIFY(!QFile::exists(path)); // an empty command is never stored

        TCommandRecord full(2, 14, &file);
        full.SetExePath("/opt/My Tools/run.sh");
        full.SetIconPath("/opt/My Tools/run.png");
        full.SetIconIndex(3);
        full.SetDescription("Run it");
        full.SetParameters("\"/home/me/a b.txt\" -x");
        QVERIFY(full.Save());
        const QByteArray expected = "[2\\14]\r\n"
                                    "ExePath=/opt/My Tools/run.sh\r\n"
                                    "IconPath=/opt/My Tools/run.png\r\n"
                                    "IconIndex=3\r\n"
                                    "Description=Run it\r\n"
                                    "Parameters=#/home/me/a b.txt# -x\r\n";
        QCOMPARE(readAll(path), expected);

        // A fresh object on the file reads the quotes back unchanged.
        {
            IniFile again(path);
            TCommandRecord loaded(2, 14, &again);
            QVERIFY(loaded.Load());
            QCOMPARE(loaded.Parameters(), QString("\"/home/me/a b.txt\" -x"));
            QCOMPARE(loaded.IconIndex(), 3);
            QCOMPARE(loaded.IconPath(), QString("/opt/My Tools/run.png"));
        }

        // Emptied fields leave no keys behind; IconIndex is always written.
        full.SetIconPath(QString());
        full.SetDescription(QString());
        full.SetParameters(QString());
        full.SetIconIndex(-1);
        QVERIFY(full.Save());
        QCOMPARE(readAll(path),
                 QByteArray("[2\\14]\r\nExePath=/opt/My Tools/run.sh\r\nIconIndex=-1\r\n"));

        // A number sign is kept.
        full.SetParameters("#1 \"two\"");
        QVERIFY(full.Save());
        TCommandRecord reread(2, 14, &file);
        QVERIFY(reread.Load());
        QCOMPARE(reread.Parameters(), QString("#1 \"two\""));

        // Other sections stay where they were when one is rewritten.
        TCommandRecord other(0, 1, &file);
        other.SetParameters("--only");
        QVERIFY(other.Save());
        full.SetDescription("Again");
        QVERIFY(full.Save());
        QCOMPARE(file.sections(), QStringList({"0\\1", "2\\14"}));
        QCOMPARE(file.keys("2\\14"), QStringList({"ExePath", "IconIndex", "Description",
                                                  "Parameters", "ParametersExact"}));
        // A command with only parameters is not empty: it is stored with an empty ExePath.
        QCOMPARE(file.keys("0\\1"), QStringList({"ExePath", "IconIndex", "Parameters"}));

        QVERIFY(other.EraseStored());
        QVERIFY(!readAll(path).contains("[0\\1]"));
    }

    void parametersReadBackExactly()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Commands.ini");
        const QStringList samples = {
            "#chan a#b \"x#y\" 100%",
            "https://example.org/page#part",
            "  two leading and one trailing ",
            "'enclosed in apostrophes'",
            "\"enclosed in quotes\"",
            "#",
            "\"",
            QString(2047, u'#'),
        };
        for (int i = 0; i < samples.size(); ++i) {
            IniFile file(path);
            TCommandRecord command(0, i, &file);
            command.SetExePath("/bin/echo");
            command.SetParameters(samples[i]);
            QVERIFY(command.Save());
        }
        const QByteArray stored = readAll(path);
        // Readers that know only Parameters still find the old form there.
        QVERIFY(stored.contains("\r\nParameters=#chan a#b #x#y# 100%\r\n"
                                "ParametersExact=\"#chan a#b \"x#y\" 100%\"\r\n"));
        {
            // After a restart: a new file object, a new record.
            IniFile file(path);
            for (int i = 0; i < samples.size(); ++i) {
                TCommandRecord loaded(0, i, &file);
                QVERIFY(loaded.Load());
                QCOMPARE(loaded.Parameters(), samples[i]);
            }
            // Parameters that the old form keeps get no second key.
            QCOMPARE(file.keys("0\\4"), QStringList({"ExePath", "IconIndex", "Parameters"}));
        }

        // Files of older versions read as they always did, and a Parameters changed by someone
        // who knows nothing of the exact copy wins over it.
        writeAll(path, "[0\\0]\r\nExePath=/bin/echo\r\nParameters=#a b# c#d\r\n\r\n"
                       "[0\\1]\r\nExePath=/bin/echo\r\nParameters=edited by hand\r\n"
                       "ParametersExact=\"a#b\"\r\n");
        IniFile file(path);
        TCommandRecord old(0, 0, &file);
        QVERIFY(old.Load());
        QCOMPARE(old.Parameters(), QString("\"a b\" c\"d"));
        TCommandRecord edited(0, 1, &file);
        QVERIFY(edited.Load());
        QCOMPARE(edited.Parameters(), QString("edited by hand"));
        // Saved again without a number sign, the section loses the exact copy.
        QVERIFY(edited.Save());
        QCOMPARE(file.keys("0\\1"),
                 QStringList({"ExePath", "IconIndex", "Description", "Parameters"}));
    }

    void loadRules()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Commands.ini");
        writeAll(path, "[0\\0]\r\nExePath=/usr/bin/make\r\n"
                       "[0\\1]\r\nExePath=/srv/share/\r\n"
                       "[0\\2]\r\nParameters=-v\r\n"
                       "[0\\3]\r\nIconIndex=7\r\n");
        IniFile file(path);

        TCommandRecord missing(5, 5, &file);
        QVERIFY(!missing.Load());
        QVERIFY(missing.IsEmpty());
        QCOMPARE(missing.IconIndex(), -1);

        // Without a description the display name becomes one, and the next save stores it.
        TCommandRecord make(0, 0, &file);
        QVERIFY(make.Load());
        QCOMPARE(make.Description(), QString("make"));
        QCOMPARE(make.IconIndex(), -1);
        QVERIFY(make.Save());
        QCOMPARE(file.readString("0\\0", "Description", QString()), QString("make"));

        // A folder has an empty display name, so the description stays empty.
        TCommandRecord folder(0, 1, &file);
        QVERIFY(folder.Load());
        QCOMPARE(folder.Description(), QString());

        TCommandRecord parametersOnly(0, 2, &file);
        QVERIFY(parametersOnly.Load());
        QVERIFY(!parametersOnly.IsEmpty());

        // IconIndex alone does not make a command.
        TCommandRecord indexOnly(0, 3, &file);
        QVERIFY(!indexOnly.Load());
        QVERIFY(indexOnly.IsEmpty());
    }

    void displayName_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("exePath");
        QTest::addColumn<QString>("name");
        QTest::newRow("first occurrence of the extension goes")
            << "" << nativePath("/opt/setup.exe.bak.exe") << "setup.bak.exe";
        QTest::newRow("folder") << "" << nativePath("/srv/share/") << "";
        QTest::newRow("no dot") << "" << nativePath("/usr/bin/make") << "make";
        QTest::newRow("dot only in a folder name")
            << "" << nativePath("/home/me.d/notes") << "notes";
        QTest::newRow("whole name is the extension") << "" << nativePath("/home/me/.bashrc") << "";
        QTest::newRow("bare name") << ""
                                   << "tool.sh"
                                   << "tool";
        QTest::newRow("description wins") << "Editor" << nativePath("/usr/bin/vim") << "Editor";
        QTest::newRow("nothing") << ""
                                 << ""
                                 << "";
    }

    void displayName()
    {
        QFETCH(QString, description);
        QFETCH(QString, exePath);
        QFETCH(QString, name);
        TCommandRecord record;
        record.SetDescription(description);
        record.SetExePath(exePath);
        QCOMPARE(record.DisplayName(), name);
    }

    void pageNumberChanges()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Commands.ini");
        IniFile file(path);
        TCommandRecord record(3, 4, &file);
        record.SetExePath("/bin/true");
        QVERIFY(record.Save());

        record.SetPageNumber(3);
        QVERIFY(file.sectionExists("3\\4"));

        // The old section goes at once; the new one is written only by the next save.
        record.SetPageNumber(1);
        QCOMPARE(record.PageNumber(), 1);
        QVERIFY(!readAll(path).contains("[3\\4]"));
        QVERIFY(!file.sectionExists("1\\4"));
        QVERIFY(record.Save());
        QVERIFY(readAll(path).contains("[1\\4]"));

        // An empty command's stale section under the old number is erased as well.
        writeAll(path, "[1\\4]\r\nExePath=/bin/true\r\n[7\\4]\r\nExePath=/bin/false\r\n");
        TCommandRecord emptyOne(7, 4, &file);
        emptyOne.SetPageNumber(8);
        QCOMPARE(file.sections(), QStringList({"1\\4"}));
    }

    void absurdSections()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Commands.ini");
        QByteArray bytes =
            "[0\\0]\r\nExePath=/x/" + QByteArray(5000, 'a') + ".exe\r\nIconIndex=abc\r\n";
        // Literal with embedded NUL bytes: its size comes from the array, not the first NUL.
        bytes += QByteArrayLiteral("[0\\1]\r\nExePath=\x01\x02\xff\xfe\x80/\x7f.\xc3\r\n"
                                   "IconIndex=99999999999\r\nParameters=#\xff#\r\n"
                                   "IconPath=\x00\x00zz\r\n");
        bytes += "[0\\2]\r\nIconIndex=0x10\r\nDescription=" + QByteArray(3000, '#') + "\r\n";
        bytes += "[0\\3]\r\nExePath=";
        bytes.append(QByteArray(1, '\0'));
        bytes += "\r\n";
        writeAll(path, bytes);
        IniFile file(path);

        TCommandRecord longPath(0, 0, &file);
        QVERIFY(longPath.Load());
        QCOMPARE(longPath.ExePath().size(), IniFile::MaxValueLength);
        QCOMPARE(longPath.IconIndex(), -1);
        // A name cut before its extension has no dot: the display name is the whole name.
        QCOMPARE(longPath.Description().size(), IniFile::MaxValueLength - 3);

        TCommandRecord binary(0, 1, &file);
        QVERIFY(binary.Load());
        QCOMPARE(binary.IconIndex(), -1);
        QVERIFY(!binary.Parameters().contains(u'#'));
        QVERIFY(binary.Save());

        TCommandRecord hex(0, 2, &file);
        QVERIFY(hex.Load());
        QCOMPARE(hex.IconIndex(), 16);
        QCOMPARE(hex.Description().size(), IniFile::MaxValueLength);

        TCommandRecord nul(0, 3, &file);
        nul.Load();
        QVERIFY(nul.Save());
        // What was saved reads back the same.
        IniFile again(path);
        TCommandRecord binaryAgain(0, 1, &again);
        QVERIFY(binaryAgain.Load());
        QCOMPARE(binaryAgain.ExePath(), binary.ExePath());
        QCOMPARE(binaryAgain.Parameters(), binary.Parameters());
    }
};

QTEST_GUILESS_MAIN(TestCommandRecord)
#include "tst_commandrecord.moc"
