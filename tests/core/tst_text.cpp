// The text and path rules of the core library, and the seams' scoped replacement: no widgets, no
// display.
#include "platform/Seam.h"
#include "text/Paths.h"
#include "text/Text.h"

#include <QTest>

namespace {

class IGreeter
{
public:
    virtual ~IGreeter() = default;
    virtual QString Greet() = 0;
};

class TNamedGreeter : public IGreeter
{
public:
    explicit TNamedGreeter(QString name) : name(std::move(name)) {}
    QString Greet() override { return name; }
    QString name;
};

TNamedGreeter realGreeter(QStringLiteral("real"));
TSeam<IGreeter> greeterSeam;

IGreeter& Greeter()
{
    return *greeterSeam.Current(&realGreeter);
}

IGreeter* SetGreeter(IGreeter* greeter)
{
    return greeterSeam.Replace(greeter);
}

} // namespace

class TestText : public QObject
{
    Q_OBJECT

private slots:
    void asciiLowerCaseLeavesEverythingButAToZ()
    {
        QCOMPARE(AsciiLowerCase(QStringLiteral("C:\\PROGRAM Files\\App.EXE")),
                 QStringLiteral("c:\\program files\\app.exe"));
        QCOMPARE(AsciiLowerCase(QStringLiteral("ПРИВЕТ Мир ÄÖÜ")),
                 QStringLiteral("ПРИВЕТ Мир ÄÖÜ"));
        QCOMPARE(AsciiLowerCase(QStringLiteral("[@Z`]")), QStringLiteral("[@z`]"));
    }

    void oneLineTurnsEachBreakIntoOneSpace()
    {
        // One space a character, so "\r\n" gives two: the INI files have always been written so,
        // and what a menu shows matches what is read back from them.
        QCOMPARE(OneLine(QStringLiteral("a\r\nb")), QStringLiteral("a  b"));
        QCOMPARE(OneLine(QStringLiteral("a\nb")), QStringLiteral("a b"));
        QCOMPARE(OneLine(QStringLiteral("a\rb")), QStringLiteral("a b"));
        QCOMPARE(OneLine(QStringLiteral("\n\r\r\n")), QStringLiteral("    "));
        QCOMPARE(OneLine(QStringLiteral("plain\ttext ")), QStringLiteral("plain\ttext "));
        QCOMPARE(OneLine(QString()), QString());
    }

    void toolTipBreaksLinesAndShowsMarkupAsText()
    {
        QCOMPARE(ToolTipText(QStringLiteral("Блокнот\rФайл команды не найден!")),
                 QStringLiteral("Блокнот\nФайл команды не найден!"));
        QCOMPARE(ToolTipText(QStringLiteral("a\r\nb\nc")), QStringLiteral("a\nb\nc"));
        // A description that looks like markup must not be drawn as markup.
        const QString tip = ToolTipText(QStringLiteral("<b>bold</b>\rnext"));
        QVERIFY(tip.contains(QStringLiteral("&lt;b&gt;bold&lt;/b&gt;")));
        QVERIFY(!tip.contains(QStringLiteral("<b>")));
    }

    void replaceAllAlsoReplacesWhatAReplacementForms()
    {
        // Removing "ab" from "xaabb" forms a new "ab"; it goes too.
        QCOMPARE(ReplaceAll(QStringLiteral("xaabb"), QStringLiteral("ab"), QString()),
                 QStringLiteral("x"));
        QCOMPARE(ReplaceAll(QStringLiteral("aabb"), QStringLiteral("ab"), QString()), QString(""));
        QCOMPARE(ReplaceAll(QStringLiteral("a\"b\"\""), QStringLiteral("\""), QStringLiteral("#")),
                 QStringLiteral("a#b##"));
        QCOMPARE(ReplaceAll(QStringLiteral("a%b%c"), QStringLiteral("%"), QStringLiteral("%20")),
                 QStringLiteral("a%20b%20c"));
        QCOMPARE(ReplaceAll(QStringLiteral("abc"), QString(), QStringLiteral("x")),
                 QStringLiteral("abc"));
        // A replacement holding its pattern can't loop for ever.
        QCOMPARE(ReplaceAll(QStringLiteral("a-a"), QStringLiteral("a"), QStringLiteral("aa")),
                 QStringLiteral("aa-aa"));
    }

    void pathPartsUseTheSeparator()
    {
        const QString s = PathSeparator;
        const QString path = s + QStringLiteral("usr") + s + QStringLiteral("bin") + s;
        QCOMPARE(ExtractFileName(path + QStringLiteral("tool.sh")), QStringLiteral("tool.sh"));
        QCOMPARE(ExtractFilePath(path + QStringLiteral("tool.sh")), path);
        QCOMPARE(ExtractFileExt(path + QStringLiteral("tool.SH")), QStringLiteral(".SH"));
        QCOMPARE(ExtractFileExt(s + QStringLiteral("a.b") + s + QStringLiteral("tool")), QString());
        QCOMPARE(ExtractFileName(path), QString());
        QCOMPARE(ExtractFilePath(QStringLiteral("tool")), QString());
        QCOMPARE(ExtractFileName(QStringLiteral("tool")), QStringLiteral("tool"));
        QVERIFY(IsPathSeparator(PathSeparator));
        QVERIFY(IsPathSeparator(u'/'));
    }

    void fileNamesRefuseSeparatorsControlsAndDots()
    {
        QVERIFY(IsValidFileName(QStringLiteral("Заметки.desktop")));
        QVERIFY(IsValidFileName(QStringLiteral("...")));
        for (const QString& bad :
             {QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("a/b"),
              QStringLiteral("a") + PathSeparator + QStringLiteral("b"),
              QStringLiteral("line\nbreak"), QStringLiteral("tab\tname")})
            QVERIFY2(!IsValidFileName(bad), qPrintable(bad));
    }

    void scopedSeamsRestoreWhatWasThereBefore()
    {
        TNamedGreeter outer(QStringLiteral("outer"));
        TNamedGreeter inner(QStringLiteral("inner"));
        QCOMPARE(Greeter().Greet(), QStringLiteral("real"));
        {
            TScopedSeam outerSeam(SetGreeter, &outer);
            QCOMPARE(Greeter().Greet(), QStringLiteral("outer"));
            {
                TScopedSeam innerSeam(SetGreeter, &inner);
                QCOMPARE(Greeter().Greet(), QStringLiteral("inner"));
            }
            // Not the real one: the outer replacement is still in force.
            QCOMPARE(Greeter().Greet(), QStringLiteral("outer"));
        }
        QCOMPARE(Greeter().Greet(), QStringLiteral("real"));
    }
};

QTEST_GUILESS_MAIN(TestText)
#include "tst_text.moc"
