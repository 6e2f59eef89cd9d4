#include "CoreSupport.h"
#include "settings/SystemSettings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QByteArray FirstRunOptions = "[PageControl]\r\n"
                                   "ColCount=1\r\n"
                                   "CommandsCount=5\r\n"
                                   "UseCircleScroll=0\r\n"
                                   "PagesCount=1\r\n"
                                   "\r\n"
                                   "[MainForm]\r\n"
                                   "UseStayOnTop=0\r\n"
                                   "UseAlphaBlend=0\r\n"
                                   "AlphaBlendValue=100\r\n"
                                   "Left=800\r\n"
                                   "Top=600\r\n"
                                   "\r\n"
                                   "[History]\r\n"
                                   "CommandsCount=10\r\n"
                                   "UseAscSort=0\r\n"
                                   "\r\n"
                                   "[Minimize]\r\n"
                                   "AfterRunCommand=0\r\n"
                                   "AfterLoad=0\r\n"
                                   "\r\n"
                                   "[Skins]\r\n"
                                   "SelectedSkinFileName=mxskin28.skn\r\n";
}

class TestSystemSettings : public QObject
{
    Q_OBJECT

private slots:
    void firstRunWritesDefaults()
    {
        QTemporaryDir dir;
        const QString folder = dir.path() + '/';
        {
            TSystemSettings settings(folder);
            QCOMPARE(settings.ColCount(), 1);
            QVERIFY(settings.Conformations()->Contains(TSys_Conformations::DelPage));
            QVERIFY(!settings.Sounds()->Contains(TSys_Sounds::MuteAll));
            QVERIFY(settings.Sounds()->Contains(TSys_Sounds::DropCommand));
        }
        QCOMPARE(readAll(folder + "Options.ini"), FirstRunOptions);
        QCOMPARE(readAll(folder + "Pages.ini"),
                 QStringLiteral("[0]\r\nCaption=Новая\r\nImageIndex=-1\r\n").toUtf8());
    }

    void numbersOutsideTheDialogsRangesAreBroughtIn()
    {
        QTemporaryDir dir;
        const QString folder = dir.path() + '/';
        const QByteArray damaged = "[PageControl]\r\nColCount=abc\r\nCommandsCount=9999\r\n"
                                   "[MainForm]\r\nAlphaBlendValue=-7\r\n"
                                   "[History]\r\nCommandsCount=0x7fffffff\r\n";
        writeAll(folder + "Options.ini", damaged);
        {
            TSystemSettings settings(folder);
            QCOMPARE(settings.ColCount(), 1);
            QCOMPARE(settings.CommandsCount(), 20);
            QCOMPARE(settings.AlphaBlendValue(), 100);
            QCOMPARE(settings.HistoryCommandsCount(), 30);
        }
        // Reading corrects nothing on disk: the user's file stays as it was.
        QCOMPARE(readAll(folder + "Options.ini"), damaged);

        // A product of two huge numbers must not reach the grid either.
        writeAll(folder + "Options.ini",
                 "[PageControl]\r\nColCount=100000\r\nCommandsCount=100000\r\n");
        TSystemSettings big(folder);
        QCOMPARE(big.ColCount(), 5);
        QCOMPARE(big.CommandsCount(), 20);
    }

    void existingPagesAreLeftAlone()
    {
        QTemporaryDir dir;
        const QString folder = dir.path() + '/';
        writeAll(folder + "Pages.ini", "[0]\r\nCaption=Mine\r\n");
        TSystemSettings settings(folder);
        QCOMPARE(readAll(folder + "Pages.ini"), QByteArray("[0]\r\nCaption=Mine\r\n"));
        QCOMPARE(readAll(folder + "Options.ini"), FirstRunOptions);

        // After the last page was deleted the default page comes back; otherwise Pages.ini stays.
        QFile::remove(folder + "Pages.ini");
        settings.InitializeFiles();
        QVERIFY(readAll(folder + "Pages.ini").contains("Caption="));
        writeAll(folder + "Pages.ini", "[0]\r\nCaption=Kept\r\n");
        settings.InitializeFiles();
        QCOMPARE(readAll(folder + "Pages.ini"), QByteArray("[0]\r\nCaption=Kept\r\n"));
    }

    void loadReadsStoredValues()
    {
        QTemporaryDir dir;
        const QString folder = dir.path() + '/';
        writeAll(folder + "Options.ini", "[MainForm]\r\nUseStayOnTop=2\r\nLeft=-20\r\n"
                                         "[PageControl]\r\nColCount=0x3\r\nCommandsCount=abc\r\n"
                                         "[Skins]\r\nSelectedSkinFileName=Blue.skn\r\n"
                                         "[Conformations]\r\nDelPage=0\r\nReplaceLNK=5\r\n"
                                         "[Sounds]\r\nScrollPage=0\r\nMuteAll=1\r\n");
        TSystemSettings settings(folder);
        QCOMPARE(settings.UseStayOnTop(), true);
        QCOMPARE(settings.ColCount(), 3);
        QCOMPARE(settings.CommandsCount(), 5);
        QCOMPARE(settings.Left(), -20);
        QCOMPARE(settings.SelectedSkinFileName(), QString("Blue.skn"));
        QVERIFY(!settings.Conformations()->Contains(TSys_Conformations::DelPage));
        QVERIFY(settings.Conformations()->Contains(TSys_Conformations::ReplaceLNK));
        QVERIFY(!settings.Sounds()->Contains(TSys_Sounds::ScrollPage));
        QVERIFY(settings.Sounds()->Contains(TSys_Sounds::MuteAll));
        QVERIFY(!QFile::exists(folder + "Pages.ini")); // not a first run
    }

    void settersWriteOnlyOnChange()
    {
        QTemporaryDir dir;
        const QString folder = dir.path() + '/';
        TSystemSettings settings(folder);
        IniFile* options = settings.optionsFile();
        const quint64 writes = options->diskWrites();
        settings.SetAlphaBlendValue(100);
        settings.SetSelectedSkinFileName("mxskin28.skn");
        QCOMPARE(options->diskWrites(), writes);
        settings.SetSelectedSkinFileName("MXSKIN28.skn"); // case counts
        QCOMPARE(options->diskWrites(), writes + 1);
        settings.SetColCount(4);
        QCOMPARE(options->readInteger("PageControl", "ColCount", 0), 4);
        QCOMPARE(options->readString("Skins", "SelectedSkinFileName", ""), QString("MXSKIN28.skn"));
    }

    void switchSections()
    {
        QTemporaryDir dir;
        const QString folder = dir.path() + '/';
        {
            TSystemSettings settings(folder);
            TSys_Conformations* c = settings.Conformations();
            const quint64 writes = settings.optionsFile()->diskWrites();
            c->Include(TSys_Conformations::DelPage); // already on: nothing written
            QCOMPARE(settings.optionsFile()->diskWrites(), writes);
            QVERIFY(!readAll(folder + "Options.ini").contains("[Conformations]"));
            c->Exclude(TSys_Conformations::ClearCommand);
            QVERIFY(readAll(folder + "Options.ini")
                        .endsWith("[Conformations]\r\nDelPage=1\r\nClearCommand=0\r\n"
                                  "ReplaceCommandOnDrop=1\r\nChangeCommandProperties=1\r\n"
                                  "ReplaceLNK=1\r\n"));
            QVERIFY(!c->Contains(8));

            TSys_Sounds* s = settings.Sounds();
            s->Exclude(TSys_Sounds::DropCommand);
            QVERIFY(!s->Contains(TSys_Sounds::DropCommand));
            QVERIFY(readAll(folder + "Options.ini")
                        .endsWith("[Sounds]\r\nDropShortCut=1\r\nScrollPage=1\r\nRunCommand=1\r\n"
                                  "DropPage=1\r\nMuteAll=0\r\n"));
            s->Include(TSys_Sounds::MuteAll);
        }
        // The unkeyed DropCommand switch is on again at the next start.
        TSystemSettings again(folder);
        QVERIFY(again.Sounds()->Contains(TSys_Sounds::DropCommand));
        QVERIFY(again.Sounds()->Contains(TSys_Sounds::MuteAll));
        QVERIFY(!again.Conformations()->Contains(TSys_Conformations::ClearCommand));
    }

    void hotkeyIsWrittenOnlyWhileChanged()
    {
        QTemporaryDir dir;
        const QString folder = dir.path() + '/';
        const QString options = folder + "Options.ini";
        {
            TSystemSettings settings(folder);
            QCOMPARE(settings.GlobalHotkey(), "Ctrl+Alt+K");
            // Setting the default (in another spelling) leaves the file alone.
            settings.SetGlobalHotkey("alt+ctrl+k");
            QCOMPARE(readAll(options), FirstRunOptions);
            settings.SetGlobalHotkey("Meta+F12");
            QVERIFY(readAll(options).contains("Top=600\r\nGlobalHotkey=Meta+F12\r\n\r\n[History]"));
        }
        {
            TSystemSettings settings(folder);
            QCOMPARE(settings.GlobalHotkey(), "Meta+F12");
            // Switched off is kept as such, not taken for "never set".
            settings.SetGlobalHotkey("");
        }
        {
            TSystemSettings settings(folder);
            QCOMPARE(settings.GlobalHotkey(), "");
            // Back to the default: the file is again what a profile that never changed it has.
            settings.SetGlobalHotkey("Ctrl+Alt+K");
            QCOMPARE(readAll(options), FirstRunOptions);
        }
        // A damaged value means the default; only the first chord of a sequence counts.
        const auto withHotkey = [](const QByteArray& value) {
            return QByteArray(FirstRunOptions)
                .replace("Top=600\r\n", "Top=600\r\nGlobalHotkey=" + value + "\r\n");
        };
        writeAll(options, withHotkey("Ctrl+Frobnicate"));
        QCOMPARE(TSystemSettings(folder).GlobalHotkey(), "Ctrl+Alt+K");
        writeAll(options, withHotkey("Ctrl+J, Ctrl+L"));
        QCOMPARE(TSystemSettings(folder).GlobalHotkey(), "Ctrl+J");
    }
};

QTEST_GUILESS_MAIN(TestSystemSettings)
#include "tst_systemsettings.moc"
