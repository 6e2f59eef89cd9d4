// The rules the shell layer applies on every system: pure text and path work, no display and no
// look at the disk.
#include "settings/ShellRules.h"

#include <QLocale>
#include <QTest>

class TestShellRules : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }

    void pathsEndingInASeparatorNameFolders()
    {
        QVERIFY(NamesFolder(QStringLiteral("/opt/tools/")));
        QVERIFY(NamesFolder(QStringLiteral("/")));
        QVERIFY(NamesFolder(QString()));
        QVERIFY(!NamesFolder(QStringLiteral("/opt/tools")));
        QVERIFY(!NamesFolder(QStringLiteral("/opt/tools/run.sh")));
        QVERIFY(!NamesFolder(QStringLiteral("run.sh")));
    }

    void systemRootExpandsOnlyWithAWindowsFolder()
    {
        const QString windows = QStringLiteral("C:\\WINDOWS");
        // The path is lowered in A to Z only; the folder keeps the case the system wrote.
        QCOMPARE(ExpandSystemRoot(QStringLiteral("%SystemRoot%\\System32\\SHELL32.dll"), windows),
                 QStringLiteral("C:\\WINDOWS\\system32\\shell32.dll"));
        QCOMPARE(ExpandSystemRoot(QStringLiteral("%SYSTEMROOT%\\Папка\\Икона.ICO"), windows),
                 QStringLiteral("C:\\WINDOWS\\Папка\\Икона.ico"));
        QCOMPARE(ExpandSystemRoot(QStringLiteral("%systemroot%;%SystemRoot%"), QStringLiteral("X")),
                 QStringLiteral("X;X"));
        // Paths without the placeholder, and every path without a folder, stay as they are.
        QCOMPARE(ExpandSystemRoot(QStringLiteral("D:\\Icons\\App.ICO"), windows),
                 QStringLiteral("D:\\Icons\\App.ICO"));
        QCOMPARE(ExpandSystemRoot(QStringLiteral("%SystemRoot%\\x.ico"), QString()),
                 QStringLiteral("%SystemRoot%\\x.ico"));
        // A folder that holds the placeholder itself does not run away.
        QCOMPARE(
            ExpandSystemRoot(QStringLiteral("%systemroot%"), QStringLiteral("%systemroot%\\w")),
            QStringLiteral("%systemroot%\\w"));
    }

    void versionAndLastChangeTexts()
    {
        QCOMPARE(FormatVersionText({1, 4, 3, 374}), QStringLiteral("1.4.3 сборка 374"));
        QCOMPARE(FormatVersionText({65535, 2, 30, 400}), QStringLiteral("65535.2.30 сборка 400"));
        QCOMPARE(FormatVersionText({}), QStringLiteral("0.0.0 сборка 0"));

        const QDate day(2024, 3, 5);
        const QString date = QStringLiteral("5.3.24");
        const QString clock = QStringLiteral("7:08:09");
        QCOMPARE(FormatLastChangeText(QDateTime(day, QTime(7, 8, 9)), date, clock),
                 QStringLiteral("5.3.24 7:08:09"));
        // At exactly midnight the time is left out, a second later it is not.
        QCOMPARE(FormatLastChangeText(QDateTime(day, QTime(0, 0)), date, clock), date);
        QCOMPARE(FormatLastChangeText(QDateTime(day, QTime(0, 0, 1)), date, clock),
                 QStringLiteral("5.3.24 7:08:09"));
        // An unknown time, or a part the system could not write, gives no text at all.
        QCOMPARE(FormatLastChangeText(QDateTime(), date, clock), QString());
        QCOMPARE(FormatLastChangeText(QDateTime(day, QTime(7, 8, 9)), QString(), clock), QString());
        QCOMPARE(FormatLastChangeText(QDateTime(day, QTime(7, 8, 9)), date, QString()), QString());
        QCOMPARE(FormatLastChangeText(QDateTime(day, QTime(0, 0)), date, QString()), date);

        // Without formats of the system's own: the default locale's, without a time zone name.
        QCOMPARE(LocaleShortDate(day), QStringLiteral("05.03.2024"));
        QCOMPARE(LocaleLongTime(QTime(14, 7, 9)), QStringLiteral("14:07:09"));
        QCOMPARE(
            AutorunDescription(QStringLiteral("1.4.3 сборка 374"), QStringLiteral("05.03.2024")),
            QStringLiteral("Kestrolin v.1.4.3 сборка 374 от 05.03.2024"));
    }

    void shortcutFilesAndTargets()
    {
        QCOMPARE(AutorunShortcutIn(QStringLiteral("/home/u/.config/autostart")),
                 QStringLiteral("/home/u/.config/autostart/Kestrolin.desktop"));
        QCOMPARE(
            DesktopShortcutFile(QStringLiteral("/home/u/Desktop"), QStringLiteral("Мои заметки")),
            QStringLiteral("/home/u/Desktop/Мои заметки.desktop"));
        // A description that is no file name, or would lead elsewhere, gives no file.
        for (const QString& bad :
             {QString(), QStringLiteral("../escape"), QStringLiteral("a/b"), QStringLiteral("/abs"),
              QStringLiteral("line\nbreak"), QStringLiteral("tab\there")})
            QVERIFY2(DesktopShortcutFile(QStringLiteral("/d"), bad).isEmpty(), qPrintable(bad));
        // A dot alone is a file name once the extension follows it.
        QCOMPARE(DesktopShortcutFile(QStringLiteral("/d"), QStringLiteral(".")),
                 QStringLiteral("/d/..desktop"));

        // Only the case of A to Z is ignored; an empty target names nothing.
        const QString executable = QStringLiteral("/opt/Программа/kestrolin");
        QVERIFY(IsSameTarget(QStringLiteral("/OPT/Программа/KESTROLIN"), executable));
        QVERIFY(!IsSameTarget(QStringLiteral("/opt/программа/kestrolin"), executable));
        QVERIFY(!IsSameTarget(QStringLiteral("/opt/Программа/other"), executable));
        QVERIFY(!IsSameTarget(QString(), executable));
        QVERIFY(!IsSameTarget(QString(), QString()));
    }
};

QTEST_GUILESS_MAIN(TestShellRules)
#include "tst_shellrules.moc"
