#include "CoreSupport.h"
#include "settings/IniFile.h"

#include <QFile>
#include <QProcess>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

class TestIniFile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }

private slots:
    void integersAndBooleans()
    {
        const QString file = path("ints.ini");
        writeAll(file, "[S]\r\nhex=0x1F\r\nHEX2=0X10\r\nshort=0x\r\nneg=-12\r\nbad=abc\r\n"
                       "two=2\r\nzero=0\r\nspaced =  42  \r\nbig=99999999999\r\nall=0xFFFFFFFF\r\n"
                       "dollar=$10\r\nplus=+7\r\nmin=-2147483648\r\n");
        IniFile ini(file);
        QCOMPARE(ini.readInteger("S", "hex", 7), 31);
        QCOMPARE(ini.readInteger("s", "hex2", 7), 16);
        QCOMPARE(ini.readInteger("S", "short", 7), 7); // "0x" alone is no number
        QCOMPARE(ini.readInteger("S", "neg", 7), -12);
        QCOMPARE(ini.readInteger("S", "bad", 7), 7);
        QCOMPARE(ini.readInteger("S", "missing", 7), 7);
        QCOMPARE(ini.readInteger("S", "spaced", 7), 42);
        QCOMPARE(ini.readInteger("S", "big", 7), 7); // out of range is not an integer
        QCOMPARE(ini.readInteger("S", "all", 7), -1);
        QCOMPARE(ini.readInteger("S", "dollar", 7), 16);
        QCOMPARE(ini.readInteger("S", "plus", 0), 7);
        QCOMPARE(ini.readInteger("S", "min", 7), int(-2147483647 - 1));
        QCOMPARE(ini.readBool("S", "two", false), true);
        QCOMPARE(ini.readBool("S", "zero", true), false);
        QCOMPARE(ini.readBool("S", "bad", true), true);
        QCOMPARE(ini.readBool("S", "missing", false), false);

        QVERIFY(ini.writeInteger("S", "neg", -5));
        QVERIFY(ini.writeBool("S", "two", false));
        QVERIFY(readAll(file).contains("neg=-5\r\n"));
        QVERIFY(readAll(file).contains("two=0\r\n"));
    }

    void namesAreCaseInsensitiveAndOrderIsKept()
    {
        const QString file = path("order.ini");
        IniFile ini(file);
        QVERIFY(!ini.exists());
        QCOMPARE(ini.readString("A", "x", "def"), QString("def"));
        QVERIFY(!QFile::exists(file)); // reading never creates the file
        ini.writeString("Alpha", "One", "1");
        ini.writeString("Beta", "Two", "2");
        ini.writeString("ALPHA", "three", "3");
        ini.writeString("alpha", "ONE", "uno");
        QCOMPARE(readAll(file),
                 QByteArray("[Alpha]\r\nOne=uno\r\nthree=3\r\n\r\n[Beta]\r\nTwo=2\r\n"));
        QCOMPARE(ini.readString("BETA", "two", ""), QString("2"));
        QCOMPARE(ini.sections(), QStringList({"Alpha", "Beta"}));
        QCOMPARE(ini.keys("alpha"), QStringList({"One", "three"}));
        QVERIFY(ini.valueExists("ALPHA", "THREE"));

        ini.deleteKey("Alpha", "one");
        QCOMPARE(ini.keys("Alpha"), QStringList({"three"}));
        ini.eraseSection("ALPHA");
        QVERIFY(!ini.sectionExists("Alpha"));
        QCOMPARE(readAll(file), QByteArray("[Beta]\r\nTwo=2\r\n"));
    }

    void stringsAreTrimmedCutAndKeptOnOneLine()
    {
        const QString file = path("strings.ini");
        QByteArray longValue(5000, 'x');
        writeAll(file, "; comment\r\n[S]\r\n  key  =   some value   \r\nlong=" + longValue +
                           "\r\nquoted=\"in quotes\"\r\nnovalue\r\n");
        IniFile ini(file);
        QCOMPARE(ini.readString("S", "key", ""), QString("some value"));
        QCOMPARE(ini.readString("S", "long", "").size(), 2047);
        QCOMPARE(ini.readString("S", "quoted", ""), QString("in quotes"));
        ini.writeString("S", "multi", "line one\r\nline two");
        QCOMPARE(ini.readString("S", "multi", ""), QString("line one  line two"));
        // Lines the program does not understand survive a write.
        QVERIFY(readAll(file).startsWith("; comment\r\n[S]\r\n"));
        QVERIFY(readAll(file).contains("novalue\r\n"));
    }

    void encodings()
    {
        const QString file = path("cp1251.ini");
        QStringEncoder enc("windows-1251");
        QVERIFY(enc.isValid());
        const QByteArray bytes = enc(QStringLiteral("[0]\r\nCaption=Новая страница\r\n"));
        writeAll(file, bytes);
        IniFile ini(file);
        QCOMPARE(ini.readString("0", "Caption", ""), QStringLiteral("Новая страница"));
        ini.writeInteger("0", "ImageIndex", -1);
        // Written back as UTF-8, caption intact.
        IniFile again(path("cp1251.ini"));
        QCOMPARE(again.readString("0", "Caption", ""), QStringLiteral("Новая страница"));
        QVERIFY(readAll(file).contains(QStringLiteral("Новая").toUtf8()));

        const QString utf8 = path("utf8.ini");
        writeAll(utf8, QStringLiteral("[Страница]\r\nИмя=Проводник\r\n").toUtf8());
        IniFile u(utf8);
        QCOMPARE(u.readString("страница", "имя", ""), QStringLiteral("Проводник"));

        // A damaged UTF-16 file: halves of surrogate pairs standing alone in a section name and
        // a value are read as U+FFFD, so a rewrite keeps what was read; a whole pair stays.
        const QString utf16 = path("utf16.ini");
        QString text = QStringLiteral("[A?]\r\nk=x?y\r\nz=\U0001F600\r\n");
        text[2] = QChar(0xD880);
        text[9] = QChar(0xDC05);
        QStringEncoder toUtf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
        writeAll(utf16, toUtf16(text));
        const QString name = QStringLiteral("A") + QChar(QChar::ReplacementCharacter);
        IniFile w(utf16);
        QCOMPARE(w.sections(), QStringList({name}));
        QCOMPARE(w.readString(name, "k", ""), QStringLiteral("x\uFFFDy"));
        QVERIFY(w.writeString(name, "n", QStringLiteral("a") + QChar(0xDFFF)));
        IniFile fresh(utf16);
        QCOMPARE(fresh.readString(name, "k", ""), QStringLiteral("x\uFFFDy"));
        QCOMPARE(fresh.readString(name, "z", ""), QStringLiteral("\U0001F600"));
        QCOMPARE(fresh.readString(name, "n", ""), QStringLiteral("a\uFFFD"));
        QCOMPARE(w.readString(name, "n", ""), QStringLiteral("a\uFFFD"));

        // A large file is decoded a piece at a time: letters of two bytes and line breaks of
        // either kind fall on every place of the pieces' ends, and one byte that is not UTF-8
        // far into the file still makes the whole file the Russian code page.
        QByteArray large;
        for (int i = 0; i < 3000; ++i)
            large += "[" + QByteArray::number(i) + "]" +
                     (i % 3   ? "\r\n"
                      : i % 2 ? "\r"
                              : "\n") +
                     "Имя=Пр" + QByteArray(i % 7, 'o') + "водник " + QByteArray::number(i) + "\r\n";
        const QString big = path("large.ini");
        writeAll(big, large);
        IniFile l(big);
        QCOMPARE(l.sections().size(), 3000);
        for (int i : {0, 1, 2, 1234, 2999})
            QCOMPARE(l.readString(QString::number(i), "Имя", ""),
                     QStringLiteral("Пр") + QString(i % 7, u'o') + QStringLiteral("водник ") +
                         QString::number(i));
        const QString mixed = path("mixed.ini");
        writeAll(mixed, large + "[last]\r\nk=\xC1\r\n");
        IniFile m(mixed);
        QCOMPARE(m.readString("last", "k", ""), QStringLiteral("Б"));
        QCOMPARE(m.readString("0", QStringDecoder("windows-1251")(QByteArray("Имя")), ""),
                 QStringDecoder("windows-1251")(QByteArray("Прводник 0")));
        QCOMPARE(m.sections().size(), 3001);
    }

    void twoObjectsOnOnePathAndChangesOnDisk()
    {
        const QString file = path("shared.ini");
        IniFile a(file);
        IniFile b(file);
        a.writeString("S", "k", "from a");
        QCOMPARE(b.readString("S", "k", ""), QString("from a"));
        b.writeInteger("S", "n", 5);
        QCOMPARE(a.readInteger("S", "n", 0), 5);

        // Somebody else rewrote the file: the next read sees it.
        QTest::qWait(20);
        writeAll(file, "[S]\r\nk=outside\r\n");
        QCOMPARE(a.readString("S", "k", ""), QString("outside"));
        QCOMPARE(a.readInteger("S", "n", 0), 0);
    }

    void firstLookAtPartOfAFileAndRepeatedLookups()
    {
        // A first look at some sections of a file sees them as the whole read does: every
        // section of the name in file order, blanks before a header, a header without its
        // bracket, a line that ends in a lone carriage return; none of the other sections.
        const QString file = path("ahead.ini");
        writeAll(file, "lead=1\r\n[0\\0]\r\nExePath=/bin/a\r\n\r\n  [1\\0]\r\nExePath=/bin/x\r\n"
                       "[0\\1]\rExePath=\"/bin/b\"\r\n[0\\1]\r\nExePath=/bin/late\r\nk=[0\\9]\r\n"
                       "\t[ 0\\2\r\nExePath=/bin/c\r\n[10\\0]\r\nExePath=/bin/y\r\n");
        IniFile ini(file);
        const std::unique_ptr<IniFile> part = ini.sectionsFromDisk("0\\");
        QVERIFY(part);
        QStringList wanted;
        for (const QString& name : ini.sections())
            if (name.startsWith("0\\"))
                wanted << name;
        QCOMPARE(part->sections(), wanted);
        QCOMPARE(wanted, QStringList({"0\\0", "0\\1", "0\\1", "0\\2"}));
        for (const QString& name : wanted)
            for (const QString& key : ini.keys(name))
                QCOMPARE(part->readString(name, key, "-"), ini.readString(name, key, "-"));
        QCOMPARE(part->readString("0\\1", "ExePath", ""), QString("/bin/b"));
        QVERIFY(!part->writeString("0\\0", "ExePath", "/bin/z"));

        // Once the file is read here, or for text held in memory, with a byte order mark, or
        // missing, there is no first look.
        QVERIFY(!ini.sectionsFromDisk("0\\"));
        QVERIFY(!IniFile::inMemory("[0\\0]\r\nExePath=/a\r\n")->sectionsFromDisk("0\\"));
        const QString marked = path("marked.ini");
        writeAll(marked, "\xEF\xBB\xBF[0\\0]\r\nExePath=/bin/a\r\n");
        QVERIFY(!IniFile(marked).sectionsFromDisk("0\\"));
        const QString missing = path("missing.ini");
        IniFile made(missing);
        QVERIFY(!made.sectionsFromDisk("0\\"));
        QCOMPARE(made.readString("S", "k", "none"), QString("none"));
        QVERIFY(made.writeInteger("S", "k", 3));
        QCOMPARE(IniFile(missing).readInteger("S", "k", 0), 3);

        // Writes after the first look reach the file as always.
        QVERIFY(ini.writeString("0\\3", "ExePath", "/bin/d"));
        QVERIFY(readAll(file).endsWith("[0\\3]\r\nExePath=/bin/d\r\n"));

        // The same section read key after key, around erasing and making it again.
        QCOMPARE(ini.readString("0\\0", "ExePath", ""), QString("/bin/a"));
        QVERIFY(ini.eraseSection("0\\0"));
        QCOMPARE(ini.readString("0\\0", "ExePath", "gone"), QString("gone"));
        QVERIFY(ini.writeString("0\\0", "ExePath", "/bin/d"));
        QCOMPARE(ini.readString("0\\0", "ExePath", ""), QString("/bin/d"));
        QCOMPARE(ini.sections(),
                 QStringList({"1\\0", "0\\1", "0\\1", "0\\2", "10\\0", "0\\3", "0\\0"}));
    }

    void repeatedKeysAndValuesStayApart()
    {
        // Every section repeats the same keys, and a command's icon is often its program: each
        // line still changes alone and keeps its own spelling.
        const QString file = path("repeated.ini");
        writeAll(file, "[0\\0]\r\nExePath=/bin/a\r\nIconPath=/bin/a\r\n; /bin/a\r\n\r\n"
                       "[0\\1]\r\nexepath=/bin/a\r\nIconPath=/bin/b\r\nIconPath=/bin/a\r\n");
        IniFile ini(file);
        QVERIFY(ini.writeString("0\\0", "IconPath", "/bin/c"));
        QCOMPARE(ini.readString("0\\0", "ExePath", ""), QString("/bin/a"));
        QVERIFY(ini.writeString("0\\1", "EXEPATH", "/bin/d"));
        QCOMPARE(ini.readString("0\\1", "IconPath", ""), QString("/bin/b"));
        QCOMPARE(ini.keys("0\\0"), QStringList({"ExePath", "IconPath"}));
        QCOMPARE(ini.keys("0\\1"), QStringList({"exepath", "IconPath", "IconPath"}));
        QCOMPARE(readAll(file), QByteArray("[0\\0]\r\nExePath=/bin/a\r\nIconPath=/bin/c\r\n"
                                           "; /bin/a\r\n\r\n[0\\1]\r\nexepath=/bin/d\r\n"
                                           "IconPath=/bin/b\r\nIconPath=/bin/a\r\n"));

        // Short values repeat across sections; a key new to the file keeps its spelling.
        const QString numbers = path("numbers.ini");
        writeAll(numbers, "[a]\r\nIconIndex=0\r\n[b]\r\nIconIndex=0\r\nICONINDEX=0\r\n");
        IniFile counts(numbers);
        QVERIFY(counts.writeInteger("b", "iconindex", 5));
        QVERIFY(counts.writeInteger("a", "NewKey", 0));
        QVERIFY(counts.deleteKey("A", "iconINDEX"));
        QCOMPARE(counts.readInteger("b", "IconIndex", -1), 5);
        QCOMPARE(readAll(numbers),
                 QByteArray("[a]\r\nNewKey=0\r\n[b]\r\nIconIndex=5\r\nICONINDEX=0\r\n"));
    }

    void batchWritesOnce()
    {
        const QString file = path("batch.ini");
        IniFile ini(file);
        const quint64 before = ini.diskWrites();
        {
            IniFile::Batch batch(ini);
            for (int i = 0; i < 100; ++i)
                ini.writeInteger(QString::number(i), "ExePath", i);
            QVERIFY(!QFile::exists(file));
            QCOMPARE(ini.readInteger("42", "ExePath", 0), 42); // a batch sees its own writes
            IniFile::Batch inner(ini);
            ini.eraseSection("0");
        }
        QCOMPARE(ini.diskWrites() - before, quint64(1));
        IniFile fresh(path("batch.ini"));
        QCOMPARE(fresh.sections().size(), 99);
    }

    void garbageAndUnreadableFilesAreSafe()
    {
        // Binary garbage and a 10 MB line: defaults come back and a write keeps the odd lines.
        const QString file = path("garbage.ini");
        QByteArray junk;
        for (int i = 0; i < 4096; ++i)
            junk.append(char(i * 7 % 256));
        junk.append("\n[PageControl]\nColCount=3\n");
        junk.append(QByteArray(10 * 1024 * 1024, 'z'));
        writeAll(file, junk);
        IniFile ini(file);
        QCOMPARE(ini.readInteger("PageControl", "ColCount", 1), 3);
        QCOMPARE(ini.readInteger("Nothing", "ColCount", 1), 1);
        QVERIFY(ini.writeInteger("PageControl", "ColCount", 4));
        QVERIFY(QFile(file).size() > 10 * 1024 * 1024);

        // A file that exists but cannot be read is never replaced.
        const QString locked = path("locked.ini");
        writeAll(locked, "[S]\r\nk=1\r\n");
        QFile::setPermissions(locked, QFileDevice::Permissions());
        if (QFile(locked).open(QIODevice::ReadOnly))
            QSKIP("running with rights that read any file");
        IniFile l(locked);
        QCOMPARE(l.readInteger("S", "k", 9), 9);
        QVERIFY(!l.writeInteger("S", "k", 2));
        QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(readAll(locked), QByteArray("[S]\r\nk=1\r\n"));
    }

    void killedWriterLeavesWholeFiles()
    {
        // A child process rewrites a large file over and over and is killed in the middle:
        // the file must still hold one whole version, never a mixture or a truncation.
        const QString file = path("crash.ini");
        QProcess child;
        child.setProgram(QCoreApplication::applicationFilePath());
        child.setArguments({"--writer", file});
        child.start();
        QVERIFY(child.waitForStarted());
        QVERIFY(child.waitForReadyRead(10000));
        QTest::qWait(300);
        child.kill();
        child.waitForFinished();

        IniFile ini(file);
        const int version = ini.readInteger("Meta", "Version", -1);
        QVERIFY(version >= 0);
        const QStringList sections = ini.sections();
        QCOMPARE(sections.size(), 501);
        for (int i = 0; i < 500; ++i)
            QCOMPARE(ini.readInteger(QString::number(i), "Value", -1), version);
    }
};

static int runWriter(const QString& file)
{
    IniFile ini(file);
    for (int version = 0;; ++version) {
        IniFile::Batch batch(ini);
        ini.writeInteger("Meta", "Version", version);
        for (int i = 0; i < 500; ++i)
            ini.writeInteger(QString::number(i), "Value", version);
        batch.commit();
        if (version == 0) {
            fputs("started\n", stdout);
            fflush(stdout);
        }
    }
}

int main(int argc, char** argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--writer") == 0) {
        QCoreApplication app(argc, argv);
        return runWriter(QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    TestIniFile test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_inifile.moc"
