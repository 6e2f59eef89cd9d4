#include "skin/QuickIni.h"
#include "skin/Skin.h"
#include "skin/SkinBitmap.h"

#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {

using Entries = QList<QPair<QString, QByteArray>>;

// A 24-bit BMP of one colour; `claimedHeight` lets the header lie about the picture.
QByteArray bmp(int width, int height, QRgb colour, int claimedHeight = 0)
{
    const int stride = (width * 3 + 3) / 4 * 4;
    QByteArray b("BM", 2);
    auto put = [&](quint32 v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            b.append(i < 4 ? char((v >> (8 * i)) & 0xFF) : '\0'); // wider fields are zero-filled
    };
    put(54 + stride * height, 4);
    put(0, 4);
    put(54, 4);
    put(40, 4);
    put(quint32(width), 4);
    put(quint32(claimedHeight ? claimedHeight : height), 4);
    put(1, 2);
    put(24, 2);
    put(0, 4);
    put(quint32(stride * height), 4);
    put(0, 16);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            b.append(char(qBlue(colour))).append(char(qGreen(colour))).append(char(qRed(colour)));
        b.append(QByteArray(stride - width * 3, '\0'));
    }
    return b;
}

TSkinReader::Status load(const QByteArray& description, Entries pictures, TSkin* skin,
                         QString* error = nullptr)
{
    pictures.prepend({"skin.ini", description});
    return TSkin::Load(TSkinReader::BuildSkinFile(pictures), skin, error);
}

} // namespace

class TestSkin : public QObject
{
    Q_OBJECT

private slots:
    void descriptionLinesSectionsAndKeys()
    {
        TQuickIni ini;
        ini.Load("; comment\r\n\r\n  [personality]  \r\n"
                 "  Left = a.bmp \r;Left=commented.bmp\n"
                 "LEFT=second.bmp\r\nEmpty=\r\nEmpty=later\r\nno equals sign\r\n"
                 "x=a=b\r\n[Personality]\r\nTop=from second header\r\n"
                 "[Next]\r\nTop=next\r\n\t\r\nHex=0x00FF00\r\nBad=12abc\r\nNeg=-5\r\n"
                 "Short=0x\r\nAll=0XFFFFFFFF\r\nBig=99999999999\r\nLow=-2147483648\r\n"
                 "[Cut]\r\nA=1" +
                 QByteArray("\0B=2\r\n", 6));
        QCOMPARE(ini.Lines().size(), 20);
        QCOMPARE(ini.SectionNames(), QStringList({"personality", "Next", "Cut"}));
        QVERIFY(ini.SectionExists("PERSONALITY"));

        // The lower-case header is found with capitals; the first line of a key wins.
        QCOMPARE(ini.ReadString("Personality", "left", "-"), QString("a.bmp"));
        QCOMPARE(ini.ReadString("Personality", "x", "-"), QString("a=b"));
        // An empty first value gives the default even when a later line has one.
        QCOMPARE(ini.ReadString("Personality", "Empty", "def"), QString("def"));
        // Only the first header of a name counts, and a walk stops at the next header.
        QCOMPARE(ini.ReadString("Personality", "Top", "-"), QString("-"));
        QCOMPARE(ini.ReadString("Missing", "Top", "-"), QString("-"));

        QCOMPARE(ini.ReadInteger("Next", "Hex", 7), 65280);
        QCOMPARE(ini.ReadInteger("Next", "Bad", 7), 7);
        QCOMPARE(ini.ReadInteger("Next", "Neg", 7), -5);
        QCOMPARE(ini.ReadInteger("Next", "Short", 7), 7);
        QCOMPARE(ini.ReadInteger("Next", "All", 7), -1);
        QCOMPARE(ini.ReadInteger("Next", "Big", 7), 7);
        QCOMPARE(ini.ReadInteger("Next", "Low", 7), int(-2147483647 - 1));
        // A NUL byte ends the text.
        QCOMPARE(ini.ReadInteger("Cut", "A", 0), 1);
        QCOMPARE(ini.ReadInteger("Cut", "B", 0), 0);
    }

    void colourValues()
    {
        QCOMPARE(windowsColour(0x0000FF), QColor(255, 0, 0));
        QCOMPARE(windowsColour(0x00FF00), QColor(0, 255, 0));
        QCOMPARE(windowsColour(0x123456), QColor(0x56, 0x34, 0x12));
        QVERIFY(!windowsColour(-1).isValid());
        QCOMPARE(skinColourText("255,128,0"), QColor(255, 128, 0));
        QCOMPARE(skinColourText(" 10 ; 20 "), QColor(10, 20, 0));
        QCOMPARE(skinColourText("300,1,2,4"), QColor(255, 1, 2));
        QCOMPARE(skinColourText("none"), QColor(0, 0, 0));
        QCOMPARE(skinColourText("", Qt::blue), QColor(Qt::blue));
        QCOMPARE(skinColourValue("65280"), QColor(0, 255, 0));
        QCOMPARE(skinColourValue("192 192 192"), QColor(192, 192, 192));
    }

    void skinParts()
    {
        const QByteArray description =
            "[TitlebarSkin]\r\nSkinName=\xD2\xE5\xF1\xF2\r\n" // in Windows-1251

            "[Personality]\r\nLeft=skins\\Title.bmp\r\nLeftTopHeight=5\r\nLeftBotHeight=6\r\n"
            "Top=c:Frame.bmp\r\nTopTopHeight=7\r\nTopBotHeight=8\r\nTopStretch=3\r\n"
            "Right=Title.BMP\r\nTextShift=4\r\nFonts=Tahoma\r\nActiveText=255,255,0\r\n"
            "menuBar=frame.bmp\r\nTileMenu=1\r\n"
            "[Colours]\r\nButtonFace=0x0000FF\r\nMenuText=0,0,255\r\n"
            "[COLOUR1]\r\ncolor=0x00FF00\r\n[COLOURS]\r\ncolor=1\r\n[Colour2]\r\ncolor=1\r\n"
            "[Customcolors]\r\nColor3=1,2,3\r\n"
            "[BUTTON1]\r\nAction=2\r\nXcoord=-18\r\nframe=3\r\nButtonImage=title.bmp\r\n"
            "[BUTTONS]\r\nBitmap=frame.bmp\r\nTile=1\r\nCheckButtonFrame=4\r\n"
            "[BUTTON.RADIO]\r\nAction=1\r\n[BUTTON.CHECKBOX]\r\n"
            "[BUTTON2]\r\n"
            "[Progress]\r\nBitmap=title.bmp\r\nNormalColour=5\r\nFrame=2\r\n"
            "[groupbox]\r\nImage=frame.bmp\r\nBackgroundLeftShift=3\r\n"
            "[Tab.Pane]\r\nImage=frame.bmp\r\nLeftWidth=9\r\nTopHeight=3\r\n"
            "[MenuItem]\r\nImage=frame.bmp\r\nTile=2\r\nStyle=1\r\n"
            "NormalColour=0x00FF00\r\nMouseOverColour=green\r\nNormalColour2=255,128,0\r\n"
            "[Scrollbar]\r\nImage=\r\n"
            "[Tabs]\r\nImage=title.bmp\r\nBorder=frame.bmp\r\nFrame=5\r\n"
            "[UpDown.Vert]\r\nImage=frame.bmp\r\nGlyphImage=title.bmp\r\n"
            "[TRACKVERT]\r\nImage=title.bmp\r\n";
        TSkin skin;
        QString error;
        QCOMPARE(load(description,
                      {{"title.bmp", bmp(3, 2, qRgb(255, 0, 0))},
                       {"frame.bmp", bmp(4, 4, qRgb(0, 0, 255))}},
                      &skin, &error),
                 TSkinReader::Status::Loaded);

        QCOMPARE(skin.SkinName, QStringLiteral("Тест"));
        // "Title.bmp" names the entry stored as "title.bmp"; "Title.BMP" is not a bitmap name.
        QCOMPARE(skin.Left.Image.size(), QSize(3, 2));
        QCOMPARE(skin.Left.Image.pixel(0, 0), qRgb(255, 0, 0));
        QVERIFY(skin.Right.Image.isNull());
        QCOMPARE(skin.Left.TopHeight, 5);
        QCOMPARE(skin.Left.BottomHeight, 6);
        QCOMPARE(skin.Left.LeftWidth, 0);
        QCOMPARE(skin.Top.Image.size(), QSize(4, 4));
        QCOMPARE(skin.Top.LeftWidth, 7);
        QCOMPARE(skin.Top.RightWidth, 8);
        QCOMPARE(skin.Top.TopHeight, 0);
        QCOMPARE(skin.Top.Stretch, 1);
        QCOMPARE(skin.Bottom.Frame, 1);
        QCOMPARE(skin.Bottom.Trans, 1);
        QVERIFY(skin.Bottom.Image.isNull());
        QCOMPARE(skin.TitleText.TextShift, 4);
        QCOMPARE(skin.TitleText.Fonts, QString("Tahoma"));
        QCOMPARE(skin.TitleText.ActiveText, QColor(255, 255, 0));
        QVERIFY(!skin.MenuBar.menuBar.isNull());
        QCOMPARE(skin.MenuBar.TileMenu, 1);

        QCOMPARE(skin.Colours.ButtonFace, QColor(255, 0, 0));
        QCOMPARE(skin.Colours.MenuText, QColor(0, 0, 255));
        QVERIFY(!skin.Colours.Menu.isValid());
        QCOMPARE(skin.ColourSections.size(), 1); // capitals only, and not "COLOURS"
        QCOMPARE(skin.ColourSections[0].Section, QString("COLOUR1"));
        QCOMPARE(skin.ColourSections[0].Colour, QColor(0, 255, 0));
        QCOMPARE(skin.CustomColors[3], QColor(1, 2, 3));
        QVERIFY(!skin.CustomColors[0].isValid());

        QCOMPARE(skin.TitleButtons.size(), 2);
        QCOMPARE(skin.TitleButtons[0].Section, QString("BUTTON1"));
        QCOMPARE(skin.TitleButtons[0].Action, 2);
        QCOMPARE(skin.TitleButtons[0].Xcoord, -18);
        QCOMPARE(skin.TitleButtons[0].Frame, 3);
        QCOMPARE(skin.TitleButtons[0].ButtonImage.size(), QSize(3, 2));
        QCOMPARE(skin.TitleButtons[1].Section, QString("BUTTON2"));
        QVERIFY(skin.TitleButtons[1].ButtonImage.isNull());

        // "[BUTTONS]" is no title-bar button but is the section "Buttons".
        QVERIFY(skin.Buttons.Present);
        QCOMPARE(skin.Buttons.Tile, 1);
        QCOMPARE(skin.Buttons.CheckButtonFrame, 4);
        QCOMPARE(skin.Buttons.NormalColour, -1);

        const TSkinImageObject& progress = skin.Part("Progress");
        QVERIFY(progress.Present);
        QCOMPARE(progress.Image.size(), QSize(3, 2));
        QCOMPARE(progress.Frame, 2);
        QCOMPARE(progress.NormalColour, -1); // Progress has no colour keys
        QCOMPARE(skin.Part("GroupBox").BackgroundLeftShift, 3);
        QCOMPARE(skin.Part("Tab.Pane").LeftWidth, 4);
        QCOMPARE(skin.Part("Tab.Pane").TopHeight, 3);

        const TSkinImageObject& item = skin.Part("MenuItem");
        QCOMPARE(item.Tile, 0);
        QCOMPARE(item.Style, 1);
        QCOMPARE(item.NormalColour, 65280);
        QCOMPARE(item.MouseOverColour, -1);
        QCOMPARE(item.PressedColour, -1);
        QCOMPARE(item.NormalColour2, QColor(255, 128, 0));
        QVERIFY(!item.MouseOverColour2.isValid());

        QVERIFY(!skin.Part("Scrollbar").Present); // an empty Image key
        QVERIFY(!skin.Part("HorzScroll").Present);
        QCOMPARE(skin.Part("Tabs").Image2.size(), QSize(4, 4));
        QCOMPARE(skin.Part("Tabs").Frame, 0); // second-picture parts have no Frame
        QCOMPARE(skin.Part("UpDown.Vert").Image2.size(), QSize(3, 2));
        QVERIFY(!skin.Part("UpDown.Horz").Present);

        // The skin's own TRACKVERT, the built-in Track.
        QVERIFY(!skin.Part("TRACKVERT").BuiltIn);
        QCOMPARE(skin.Part("TRACKVERT").Image.size(), QSize(3, 2));
        QVERIFY(skin.Part("Track").BuiltIn);
        QVERIFY(!skin.Part("Track").Image.isNull());
    }

    void pictureNamesBeyondAscii()
    {
        // Names and description written in Windows-1251 by a Russian skin author: "Фон.bmp" and
        // "Рамка.bmp", each named in the description as it is stored.
        const QByteArray description = "[Personality]\r\nLeft=\xD4\xEE\xED.bmp\r\n"
                                       "[Progress]\r\nBitmap=skins\\\xD0\xE0\xEC\xEA\xE0.bmp\r\n";
        const QList<QPair<QByteArray, QByteArray>> entries = {
            {"skin.ini", description},
            {"\xD4\xEE\xED.bmp", bmp(3, 2, qRgb(255, 0, 0))},
            {"\xD0\xE0\xEC\xEA\xE0.bmp", bmp(4, 4, qRgb(0, 0, 255))}};
        QByteArray names;
        QByteArray sizes;
        QByteArray data;
        for (const auto& [name, bytes] : entries) {
            names += name + "\r\n";
            QByteArray size(4, '\0');
            qToLittleEndian<qint32>(qint32(bytes.size()), size.data());
            sizes += size;
            data += bytes;
        }
        QByteArray header(16, '\0');
        qToLittleEndian<qint32>(20000, header.data());
        qToLittleEndian<qint32>(qint32(names.size()), header.data() + 4);

        TSkin skin;
        QString error;
        QCOMPARE(
            TSkin::Load(TSkinReader::CompressArchive(header + names + sizes + data), &skin, &error),
            TSkinReader::Status::Loaded);
        QCOMPARE(skin.Left.Image.size(), QSize(3, 2));
        QCOMPARE(skin.Part("Progress").Image.size(), QSize(4, 4));

        // The packer's own archives spell such names the same way.
        TSkinReader reader;
        QCOMPARE(reader.LoadSkin(TSkinReader::BuildSkinFile({{"Фон.bmp", "x"}})),
                 TSkinReader::Status::Loaded);
        QCOMPARE(reader.Names(), QStringList({"Фон.bmp"}));
        QCOMPARE(reader.FetchEntry("Фон.bmp"), QByteArray("x"));
    }

    void skinWithoutDescriptionGetsDefaults()
    {
        TSkin skin;
        QCOMPARE(load("", {}, &skin), TSkinReader::Status::Loaded);
        QCOMPARE(TSkin::Load(TSkinReader::BuildSkinFile({{"a.bmp", bmp(1, 1, 0)}}), &skin, nullptr),
                 TSkinReader::Status::Loaded);
        QVERIFY(skin.SkinName.isEmpty());
        QCOMPARE(skin.Left.Frame, 1);
        QVERIFY(skin.TitleButtons.isEmpty());
        QCOMPARE(skin.Parts.size(), 2);
        QVERIFY(skin.Part("Track").BuiltIn);
        QVERIFY(skin.Part("TRACKVERT").BuiltIn);
        QCOMPARE(skin.Part("TRACKVERT").Image.size(), QSize(4, 12));
    }

    void failedLoadsKeepTheSkin_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        const QByteArray description = "[Tabs]\r\nImage=pic.bmp\r\n";
        auto file = [&](const QByteArray& picture) {
            return TSkinReader::BuildSkinFile({{"skin.ini", description}, {"pic.bmp", picture}});
        };
        QTest::newRow("older format") << TSkinReader::CompressArchive(TSkinReader::BuildArchive(
                                             {{"skin.ini", description}}, 10000))
                                      << int(TSkinReader::Status::OlderSkin)
                                      << "This is Older Skin File\rPlease update to new version !";
        QTest::newRow("height that the data cannot hold")
            << file(bmp(4, 4, 0, 100000)) << int(TSkinReader::Status::Damaged) << "pic.bmp";
        QTest::newRow("picture far too large")
            << file(bmp(4, 4, 0, -16384 * 4)) << int(TSkinReader::Status::Damaged) << "размер";
        QTest::newRow("not a BMP") << file("GIF89a not a bitmap at all, but named .bmp")
                                   << int(TSkinReader::Status::Damaged) << "не рисунок BMP";
        QByteArray badDepth = bmp(2, 2, 0);
        badDepth[28] = 7;
        QTest::newRow("odd colour depth")
            << file(badDepth) << int(TSkinReader::Status::Damaged) << "глубина";
        QTest::newRow("damaged compression") << QByteArray("\x88\x13\x00\x00\xFF", 5)
                                             << int(TSkinReader::Status::Damaged) << "повреждён";
    }

    void failedLoadsKeepTheSkin()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, status);
        QFETCH(QString, message);
        TSkin skin;
        QCOMPARE(load("[TitlebarSkin]\r\nSkinName=Kept\r\n", {}, &skin),
                 TSkinReader::Status::Loaded);
        QString error;
        QCOMPARE(int(TSkin::Load(file, &skin, &error)), status);
        QVERIFY2(error.contains(message), qPrintable(error));
        QCOMPARE(skin.SkinName, QString("Kept"));
    }

    void picturesOfOneSkinHaveABudget()
    {
        // A one-bit 4096 x 4096 picture is 2 MB of data but 16 million pixels; three fit in
        // a skin, the fourth is refused before it is decoded. One named twice counts once.
        auto mono = [](int side) {
            const int stride = (side + 31) / 32 * 4;
            QByteArray b("BM", 2);
            auto put = [&](quint32 v, int bytes) {
                for (int i = 0; i < bytes; ++i)
                    b.append(i < 4 ? char((v >> (8 * i)) & 0xFF)
                                   : '\0'); // wider fields are zero-filled
            };
            put(62 + stride * side, 4);
            put(0, 4);
            put(62, 4);
            put(40, 4);
            put(quint32(side), 4);
            put(quint32(side), 4);
            put(1, 2);
            put(1, 2);
            put(0, 24);
            put(0x000000, 4);
            put(0xFFFFFF, 4);
            return b + QByteArray(stride * side, '\0');
        };
        const QByteArray picture = mono(4096);
        TSkin skin;
        QCOMPARE(load("[Tabs]\r\nImage=a.bmp\r\nBorder=b.bmp\r\n[Scrollbar]\r\nImage=c.bmp\r\n"
                      "[MenuItem]\r\nImage=a.bmp\r\n",
                      {{"a.bmp", picture}, {"b.bmp", picture}, {"c.bmp", picture}}, &skin),
                 TSkinReader::Status::Loaded);
        QCOMPARE(skin.Part("MenuItem").Image.size(), QSize(4096, 4096));
        QString error;
        QCOMPARE(
            load("[Tabs]\r\nImage=a.bmp\r\nBorder=b.bmp\r\n[Scrollbar]\r\nImage=c.bmp\r\n"
                 "[MenuItem]\r\nImage=d.bmp\r\n",
                 {{"a.bmp", picture}, {"b.bmp", picture}, {"c.bmp", picture}, {"d.bmp", picture}},
                 &skin, &error),
            TSkinReader::Status::Damaged);
        QVERIFY2(error.contains("48"), qPrintable(error));
    }

    void bitmapHeaderCheck()
    {
        QSize size;
        QVERIFY(SkinBitmap::checkHeader(bmp(5, 3, 0), &size, nullptr));
        QCOMPARE(size, QSize(5, 3));
        // Top-down rows are fine; a header that claims more rows than there are is not.
        QVERIFY(SkinBitmap::checkHeader(bmp(5, 3, 0, -3), &size, nullptr));
        QVERIFY(!SkinBitmap::checkHeader(bmp(5, 3, 0, 4), &size, nullptr));
        QVERIFY(!SkinBitmap::checkHeader(bmp(5, 3, 0).left(60), &size, nullptr));
        QVERIFY(!SkinBitmap::checkHeader("BM", &size, nullptr));
        QCOMPARE(SkinBitmap::decode(bmp(5, 3, qRgb(1, 2, 3)), nullptr).pixel(4, 2), qRgb(1, 2, 3));
    }

    void loadFile()
    {
        QTemporaryDir dir;
        TSkin skin;
        QString error;
        QCOMPARE(TSkin::LoadFile(dir.filePath("none.skn"), &skin, &error),
                 TSkinReader::Status::Damaged);
        QVERIFY(error.contains("none.skn"));
        QFile file(dir.filePath("a.skn"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(TSkinReader::BuildSkinFile({{"a.ini", "[TitlebarSkin]\nSkinName=A\n"}}));
        file.close();
        QCOMPARE(TSkin::LoadFile(file.fileName(), &skin, &error), TSkinReader::Status::Loaded);
        QCOMPARE(skin.SkinName, QString("A"));
    }
};

QTEST_GUILESS_MAIN(TestSkin)
#include "tst_skin.moc"
