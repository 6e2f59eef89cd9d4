#include "E2eSupport.h"

#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

namespace {

const QByteArray Options = "[PageControl]\r\nColCount=1\r\nCommandsCount=4\r\nPagesCount=2\r\n"
                           "[MainForm]\r\nLeft=900\r\nTop=300\r\n[Conformations]\r\nDelPage=0\r\n";

// Two pages, "Работа" and "Игры", of 1 x 4 buttons, and the marker script on one button with the
// parameter it notes.
void prepare(const TProgram& program, const QString& button, const QString& parameter)
{
    program.write("Options.ini", Options);
    program.write("Pages.ini", QStringLiteral("[0]\r\nCaption=Работа\r\nImageIndex=-1\r\n[1]\r\n"
                                              "Caption=Игры\r\nImageIndex=-1\r\n")
                                   .toUtf8());
    program.write("Commands.ini", QString("[%1]\r\nExePath=%2\r\nIconPath=%2\r\nIconIndex=0\r\n"
                                          "Description=Отметка\r\nParameters=%3\r\n")
                                      .arg(button, program.markerScript(), parameter)
                                      .toUtf8());
}

} // namespace

// The command line's verbs about pages and commands, against the real program, and the round
// trip of an export through an import while the window is open.
class TestE2eProfileVerbs : public QObject
{
    Q_OBJECT

    TDisplay display;

private slots:
    void initTestCase()
    {
        QString why;
        if (!display.start(false, &why))
            QSKIP(qPrintable("no X display for end-to-end tests: " + why));
    }

    // Without a running copy --list and --export work on the files alone; --run starts the
    // program and runs the command once its pages are there.
    void withoutARunningCopy()
    {
        TProgram program(display);
        prepare(program, "1\\2", "ran");
        QProcessEnvironment headless = program.environment();
        headless.remove("DISPLAY");
        headless.insert("QT_QPA_PLATFORM", "no-such-platform");
        TProgram::TRun run = program.run({"--list", "--json"}, headless);
        QCOMPARE(run.exitCode, 0);
        const QJsonArray listed = QJsonDocument::fromJson(run.out.toUtf8())["pages"].toArray();
        QCOMPARE(listed.size(), 2);
        QCOMPARE(listed[1]["commands"][0]["button"].toInt(), 3);
        QCOMPARE(listed[1]["commands"][0]["description"].toString(), QStringLiteral("Отметка"));

        run = program.run({"--export", program.file("out.zip")}, headless);
        QCOMPARE(run.exitCode, 0);
        QVERIFY(QFile::exists(program.file("out.zip")));

        run = program.run({"--run", QStringLiteral("отметка")});
        QVERIFY(waitUntil([&] { return program.markerLines() == QStringList{"ran"}; }, 20000));
        QVERIFY(waitUntil(
            [&] { return program.read("RunStat.ini").contains("[1\\2]\r\nRunCount=1"); }));
        program.stop();
    }

    void againstARunningCopy()
    {
        TProgram program(display);
        prepare(program, "0\\0", "first");
        program.start();
        const QString window = program.waitForWindow();
        QVERIFY(program.waitForPages(window));

        TProgram::TRun run = program.run({"--run", "1:1"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out.trimmed(), QStringLiteral("Запущена команда «Отметка»."));
        QVERIFY(waitUntil([&] { return program.markerLines() == QStringList{"first"}; }));
        run = program.run({"--run", "2:4"});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err.trimmed(), QStringLiteral("Кнопка 4 страницы «Игры» пуста."));

        const QString document = program.file("notes.txt");
        program.write("notes.txt", "text\n");
        run = program.run({"--add", document, "--page", "2"});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(program.read("Commands.ini")
                    .contains(QString("[1\\0]\r\nExePath=%1\r\n").arg(document).toUtf8()));

        // Export, change, import: the files are the exported ones, and the window shows them.
        QVERIFY(program.waitForPages(window));
        const QImage before = display.screenshot().copy(program.windowGeometry(window));
        const QString archive = program.file("saved.zip");
        QCOMPARE(program.run({"--export", archive}).exitCode, 0);
        QMap<QString, QByteArray> exported;
        for (const char* name : {"Options.ini", "Pages.ini", "Commands.ini", "RunStat.ini"})
            exported.insert(name, program.read(name));
        display.xdotool({"windowfocus", "--sync", window});
        display.xdotool({"key", "ctrl+Delete"});
        QVERIFY(waitUntil([&] { return program.read("Pages.ini") != exported["Pages.ini"]; }));

        run = program.run({"--import", archive});
        QCOMPARE(run.exitCode, 0);
        for (auto it = exported.cbegin(); it != exported.cend(); ++it)
            QCOMPARE(program.read(it.key()), it.value());
        QVERIFY(program.waitForPages(window));
        QVERIFY(waitUntil([&] {
            return differingShare(display.screenshot().copy(program.windowGeometry(window)),
                                  before) < 0.02;
        }));
        QVERIFY(!QDir(program.file("backups")).entryList({"*.zip"}).isEmpty());
        program.stop();
    }
};

QTEST_GUILESS_MAIN(TestE2eProfileVerbs)
#include "tst_e2e_profileverbs.moc"
