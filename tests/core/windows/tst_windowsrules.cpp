// The shell rules with Windows' path facts (backslash, drive colon and slash as separators, the
// characters Windows forbids in file names, shell links): the rules the Windows program runs,
// checked here without Windows.
#include "settings/ShellRules.h"
#include "text/Paths.h"

#include <QTest>

class TestWindowsRules : public QObject
{
    Q_OBJECT

private slots:
    void foldersAndFolderParts()
    {
        QVERIFY(NamesFolder(QStringLiteral("C:\\Program Files\\")));
        QVERIFY(NamesFolder(QStringLiteral("C:/Tools/")));
        QVERIFY(NamesFolder(QStringLiteral("C:")));
        QVERIFY(!NamesFolder(QStringLiteral("C:\\Program Files")));
        QVERIFY(!NamesFolder(QStringLiteral("C:app.exe")));

        // The folder a command starts in: the path up to its last separator, which stays.
        QCOMPARE(ExtractFilePath(QStringLiteral("C:\\Программы\\app.exe")),
                 QStringLiteral("C:\\Программы\\"));
        QCOMPARE(ExtractFilePath(QStringLiteral("C:/Tools/run.cmd")), QStringLiteral("C:/Tools/"));
        QCOMPARE(ExtractFilePath(QStringLiteral("C:app.exe")), QStringLiteral("C:"));
        QCOMPARE(ExtractFilePath(QStringLiteral("app.exe")), QString());
    }

    void shortcutFiles()
    {
        QCOMPARE(AutorunShortcutIn(QStringLiteral("C:\\Users\\u\\Start Menu\\Startup")),
                 QStringLiteral("C:\\Users\\u\\Start Menu\\Startup\\Kestrolin.lnk"));
        QCOMPARE(DesktopShortcutFile(QStringLiteral("C:\\Users\\u\\Desktop"),
                                     QStringLiteral("Мой блокнот")),
                 QStringLiteral("C:\\Users\\u\\Desktop\\Мой блокнот.lnk"));
        for (const QString& bad :
             {QStringLiteral("a\\b"), QStringLiteral("a/b"), QStringLiteral("что?"),
              QStringLiteral("C:x"), QStringLiteral("a*b"), QStringLiteral("\"q\""),
              QStringLiteral("<b>"), QStringLiteral("a|b"), QStringLiteral("tab\there"), QString()})
            QVERIFY2(DesktopShortcutFile(QStringLiteral("C:\\D"), bad).isEmpty(), qPrintable(bad));

        // The file system ignores case, but only A to Z count as the same for the autorun check.
        QVERIFY(IsSameTarget(QStringLiteral("C:\\PROGRAM FILES\\K\\KESTROLIN.EXE"),
                             QStringLiteral("c:\\Program Files\\k\\kestrolin.exe")));
        QVERIFY(!IsSameTarget(QStringLiteral("C:\\Я\\k.exe"), QStringLiteral("C:\\я\\k.exe")));
    }
};

QTEST_GUILESS_MAIN(TestWindowsRules)
#include "tst_windowsrules.moc"
