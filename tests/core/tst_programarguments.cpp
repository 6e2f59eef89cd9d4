// The program's command line: what each option asks for, what is refused, and the requests and
// answers as they travel between two copies.
#include "settings/ProgramArguments.h"

#include <QTest>

namespace {

TProgramArguments parse(const QStringList& arguments)
{
    return ParseProgramArguments(arguments);
}

} // namespace

class TestProgramArguments : public QObject
{
    Q_OBJECT

private slots:
    void everyVerbIsRead()
    {
        QCOMPARE(parse({}).verb, TVerb::None);
        const QList<std::pair<QString, TVerb>> plain = {
            {"--toggle", TVerb::Toggle}, {"--show", TVerb::Show}, {"--hide", TVerb::Hide},
            {"--list", TVerb::List},     {"--quit", TVerb::Quit}, {"--version", TVerb::Version},
            {"--help", TVerb::Help}};
        for (const auto& [option, verb] : plain) {
            const TProgramArguments a = parse({option});
            QVERIFY2(a.error.isEmpty(), qPrintable(option + ": " + a.error));
            QCOMPARE(a.verb, verb);
            QCOMPARE(VerbOption(verb), option);
        }

        TProgramArguments a = parse({"--run", "2:14"});
        QCOMPARE(a.verb, TVerb::Run);
        QCOMPARE(a.page, 2);
        QCOMPARE(a.button, 14);
        QVERIFY(a.text.isEmpty());
        // Anything but two numbers names a command by its description, colons and all.
        a = parse({"--run", "Почта: рабочая"});
        QCOMPARE(a.page, 0);
        QCOMPARE(a.text, "Почта: рабочая");
        a = parse({"--run=3:1"});
        QCOMPARE(a.page, 3);
        QCOMPARE(a.button, 1);

        a = parse({"--add", "/home/u/Документы/план.odt", "--page", "3"});
        QCOMPARE(a.verb, TVerb::Add);
        QCOMPARE(a.text, "/home/u/Документы/план.odt");
        QCOMPARE(a.addPage, 3);
        // The page may come first, and without it the page shown is meant.
        a = parse({"--page=2", "--add", "https://example.org"});
        QCOMPARE(a.addPage, 2);
        QCOMPARE(parse({"--add", "x"}).addPage, 0);
        // A value is taken as it is, even when it looks like an option.
        QCOMPARE(parse({"--add", "--strange-name"}).text, "--strange-name");

        QVERIFY(parse({"--list", "--json"}).json);
        QVERIFY(!parse({"--list"}).json);
        QCOMPARE(parse({"--export", "out.zip"}).text, "out.zip");
        QCOMPARE(parse({"--import", "in.zip"}).verb, TVerb::Import);
    }

    void qtOptionsStillPass()
    {
        // What QApplication takes itself keeps working, with either dash count and its value.
        TProgramArguments a = parse({"-platform", "offscreen", "--show", "--style", "Fusion"});
        QVERIFY2(a.error.isEmpty(), qPrintable(a.error));
        QCOMPARE(a.verb, TVerb::Show);
        a = parse({"-reverse", "-display", ":3", "-qmljsdebugger=port:1"});
        QVERIFY2(a.error.isEmpty(), qPrintable(a.error));
        QCOMPARE(a.verb, TVerb::None);
    }

    void badCommandLinesAreRefusedWithAReason()
    {
        const QList<std::pair<QStringList, QString>> bad = {
            {{"--frobnicate"}, "Неизвестный параметр «--frobnicate»."},
            {{"--frob=1"}, "Неизвестный параметр «--frob=1»."},
            {{"-x"}, "Неизвестный параметр «-x»."},
            {{"leftover"}, "Лишний аргумент «leftover»."},
            {{"--run"}, "После параметра «--run» нужно значение."},
            {{"--run", "  "},
             "После параметра «--run» нужна кнопка (СТРАНИЦА:КНОПКА) или описание команды."},
            {{"--run", "0:3"}, "Страницы и кнопки считаются с единицы: «0:3»."},
            {{"--run", "99999999999:1"}, "Страницы и кнопки считаются с единицы: «99999999999:1»."},
            {{"--add", ""}, "После параметра «--add» нужен путь к файлу."},
            {{"--export"}, "После параметра «--export» нужно значение."},
            {{"--show", "--hide"}, "Параметры «--show» и «--hide» нельзя указывать вместе."},
            {{"--show", "--show"}, "Параметры «--show» и «--show» нельзя указывать вместе."},
            {{"--show=1"}, "У параметра «--show» не бывает значения."},
            {{"--json"}, "Параметр «--json» действует только вместе с «--list»."},
            {{"--show", "--page", "2"}, "Параметр «--page» действует только вместе с «--add»."},
            {{"--add", "x", "--page", "-1"}, "Номер страницы «-1» — не целое число больше нуля."},
            {{"--add", "x", "--page", "two"}, "Номер страницы «two» — не целое число больше нуля."},
            {{"--add", "x", "--page"}, "После параметра «--page» нужен номер страницы."},
            {{"-display"}, "После параметра «-display» нужно значение."},
        };
        for (const auto& [arguments, message] : bad) {
            const TProgramArguments a = parse(arguments);
            QCOMPARE(a.error, message);
            QCOMPARE(a.verb, TVerb::None);
        }
    }

    void helpNamesEveryOption()
    {
        const QString usage = UsageText();
        for (const char* option :
             {"--toggle", "--show", "--hide", "--run", "--add", "--page", "--list", "--json",
              "--export", "--import", "--quit", "--version", "--help"})
            QVERIFY2(usage.contains(QLatin1String(option)), option);
    }

    void whichVerbsNeedTheWindow()
    {
        // A start without a display must never be needed for these ...
        for (TVerb verb : {TVerb::Hide, TVerb::Quit, TVerb::List, TVerb::Export, TVerb::Import,
                           TVerb::Version, TVerb::Help}) {
            QVERIFY(RunsWithoutDisplay(verb));
            QVERIFY(!StartsProgram(verb));
        }
        // ... and these start the program when no copy runs.
        for (TVerb verb : {TVerb::None, TVerb::Toggle, TVerb::Show, TVerb::Run, TVerb::Add}) {
            QVERIFY(!RunsWithoutDisplay(verb));
            QVERIFY(StartsProgram(verb));
        }
    }

    void requestsAndAnswersSurviveTheTrip()
    {
        for (const QStringList& arguments :
             QList<QStringList>{{"--toggle"},
                                {"--run", "4:2"},
                                {"--run", "Текст \"в кавычках\"\nи строка"},
                                {"--add", "/tmp/a b", "--page", "7"},
                                {"--list", "--json"},
                                {"--import", "/tmp/x.zip"},
                                {"--quit"}}) {
            const TProgramArguments sent = parse(arguments);
            const QByteArray line = EncodeVerbRequest(sent);
            // One line on the wire: a line break inside a value must not split the request.
            QVERIFY(!line.contains('\n'));
            TProgramArguments received;
            QVERIFY(DecodeVerbRequest(line, &received));
            QCOMPARE(received, sent);
        }
        TProgramArguments received;
        // Junk, and what only the asking copy answers itself, is not a request.
        QVERIFY(!DecodeVerbRequest("activate", &received));
        QVERIFY(!DecodeVerbRequest("{\"verb\":\"--frob\"}", &received));
        QVERIFY(!DecodeVerbRequest(EncodeVerbRequest(parse({"--version"})), &received));
        QVERIFY(!DecodeVerbRequest("[1,2]", &received));
        // Negative numbers from a hostile sender do not come through as such.
        QVERIFY(DecodeVerbRequest("{\"verb\":\"--run\",\"page\":-5,\"button\":-1}", &received));
        QCOMPARE(received.page, 0);
        QCOMPARE(received.button, 0);

        const TVerbResult failed{false, "Нет такой кнопки.\nВторая строка"};
        TVerbResult result{true, "x"};
        const QByteArray answer = EncodeVerbResult(failed);
        QVERIFY(!answer.contains('\n'));
        QVERIFY(DecodeVerbResult(answer, &result));
        QCOMPARE(result.ok, false);
        QCOMPARE(result.text, failed.text);
        QCOMPARE(result.exitCode(), ExitCode::Failure);
        QCOMPARE((TVerbResult{true, {}}).exitCode(), ExitCode::Success);
        QVERIFY(!DecodeVerbResult("{\"text\":\"no verdict\"}", &result));
    }
};

QTEST_GUILESS_MAIN(TestProgramArguments)
#include "tst_programarguments.moc"
