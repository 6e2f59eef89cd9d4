#include "app/Application.h"

#include "app/HelpViewer.h"
#include "app/Main.h"
#include "app/ProfileVerbs.h"
#include "app/ProgramHotkey.h"
#include "app/Verbs.h"
#include "commands/Messages.h"
#include "dialogs/Help.h"
#include "dialogs/WriteFailures.h"
#include "platform/MessageBoxes.h"
#include "platform/SessionEnd.h"
#include "platform/Shell.h"
#include "platform/SingleInstance.h"
#include "settings/Constants.h"
#include "settings/Folders.h"
#include "settings/ProgramArguments.h"
#include "settings/SharedFiles.h"
#include "settings/SystemSettings.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QSessionManager>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <memory>

namespace {

QString HelpFile;

void LoadRussianTranslations(QApplication& app)
{
    // Qt's own translations make the standard buttons say "Отмена" instead of "Cancel".
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char* name : {"qtbase_ru", "qt_ru"}) {
        auto* translator = new QTranslator(&app);
        if (translator->load(QString::fromLatin1(name), folder))
            QApplication::installTranslator(translator);
        else
            delete translator;
    }
}

// Frees the process-wide objects in the shut-down order, whichever way the run ends.
struct ProcessServices
{
    std::unique_ptr<TSystemSettings> settings;
    std::unique_ptr<IniFile> pages;
    std::unique_ptr<IniFile> commands;

    ~ProcessServices()
    {
        if (commands)
            commands->flush();
        CommandsFile = nullptr;
        commands.reset();
        if (pages)
            pages->flush();
        PagesFile = nullptr;
        pages.reset();
        ClearShellTexts();
        SystemSettings = nullptr;
        settings.reset();
        Folders::clear();
    }
};

// Said both ways: the box for the user, the line for whoever started the program from a
// terminal or a script.
void ReportStartFailure(const QString& text)
{
    QString line = text;
    fprintf(stderr, "kestrolin: %s\n", qUtf8Printable(line.replace(u'\r', u' ')));
    ShowMessage(text, Constants::ProductName, MB::OK | MB::ICONERROR);
}

class THelpViewerSeam : public IHelpViewer
{
public:
    void ShowTopic(const QString& keyword) override { THelpViewer::ShowTopic(keyword); }
};

// The process-wide services of step 1 of the start, in their order.
void SetUpProcessServices(ProcessServices& services)
{
    Folders::initialize(QCoreApplication::applicationDirPath(),
                        Folders::programFolderHoldsSettings(), Shell().WindowsFolder());
    // A crash in the middle of a write that spans several settings files is finished or undone
    // before any of them is read, so they never disagree with each other.
    IniFile::recoverInterrupted(Folders::appFolder());
    services.settings = std::make_unique<TSystemSettings>(Folders::appFolder());
    SystemSettings = services.settings.get();
    InitializeShellTexts();
    services.pages = std::make_unique<IniFile>(Folders::appFolder() + Constants::PagesFileName);
    PagesFile = services.pages.get();
    services.commands =
        std::make_unique<IniFile>(Folders::appFolder() + Constants::CommandsFileName);
    CommandsFile = services.commands.get();
}

void PrintText(FILE* stream, const QString& text)
{
    if (text.isEmpty())
        return;
    QString lines = text;
    lines.replace(u'\r', u'\n');
    if (!lines.endsWith(u'\n'))
        lines += u'\n';
    fputs(lines.toUtf8().constData(), stream);
    fflush(stream);
}

// The answer to a verb: its text on the standard output when it worked, on the standard error
// when it did not.
int PrintResult(const TVerbResult& result)
{
    PrintText(result.ok ? stdout : stderr, result.text);
    return result.exitCode();
}

QStringList ArgumentsOf(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

// Relative paths name files where the asking copy was started; the running copy has another
// working folder.
TProgramArguments WithAbsolutePaths(TProgramArguments arguments)
{
    // A link ("https:", "mailto:") is not a file; a drive letter ("C:") is no scheme.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    const bool namesFile =
        arguments.verb == TVerb::Export || arguments.verb == TVerb::Import ||
        (arguments.verb == TVerb::Add && !scheme.match(arguments.text).hasMatch());
    if (namesFile && QDir::isRelativePath(arguments.text))
        arguments.text = QDir::current().absoluteFilePath(arguments.text);
    return arguments;
}

const QString NotRunningText = QStringLiteral("Kestrolin не запущен.");

// Verbs that need no window: a copy that runs answers them; when none runs, --hide and --quit
// have nothing to do, and the verbs about the pages and commands work on the files here,
// without a display.
int RunWithoutDisplay(int argc, char** argv, const TProgramArguments& arguments)
{
    QCoreApplication app(argc, argv);
    ProcessServices services;
    const bool touchesFiles = arguments.verb != TVerb::Hide && arguments.verb != TVerb::Quit;
    if (touchesFiles) {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        SetUpProcessServices(services);
    }
    TSingleInstance instance;
    QString lockProblem;
    switch (instance.becomePrimary(&lockProblem)) {
    case TSingleInstance::TRole::Secondary: {
        TVerbResult result;
        instance.askPrimary(arguments, &result);
        return PrintResult(result);
    }
    case TSingleInstance::TRole::Failed:
        PrintText(stderr, QStringLiteral("Не удаётся проверить, не запущена ли уже другая копия "
                                         "программы.\r") +
                              lockProblem);
        return ExitCode::Failure;
    case TSingleInstance::TRole::Primary:
        break;
    }
    // Hidden or ended is what was asked, and that is how things are.
    if (!touchesFiles) {
        PrintText(stdout, NotRunningText);
        return ExitCode::Success;
    }
    // The lock stays held meanwhile, so no copy starts and writes the same files.
    TVerbs verbs;
    ConnectProfileVerbs(verbs, nullptr);
    return PrintResult(verbs.ExecuteNow(arguments));
}

} // namespace

int RunKestrolin(int argc, char** argv)
{
    const TProgramArguments arguments =
        WithAbsolutePaths(ParseProgramArguments(ArgumentsOf(argc, argv)));
    if (!arguments.error.isEmpty()) {
        PrintText(stderr, QStringLiteral("kestrolin: ") + arguments.error +
                              QStringLiteral("\rСписок параметров: kestrolin --help"));
        return ExitCode::BadArguments;
    }
    if (arguments.verb == TVerb::Help) {
        PrintText(stdout, UsageText());
        return ExitCode::Success;
    }
    if (arguments.verb == TVerb::Version) {
        PrintText(stdout,
                  Constants::ProductName + u' ' + FormatVersionText(Shell().ExecutableVersion()));
        return ExitCode::Success;
    }
    if (RunsWithoutDisplay(arguments.verb))
        return RunWithoutDisplay(argc, argv, arguments);

    // The window places itself at the screen's edge, which a Wayland compositor does not allow;
    // XWayland does, where there is one.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");

    QApplication app(argc, argv);
    // Hidden to the tray the program has no window shown, and must go on running.
    QApplication::setQuitOnLastWindowClosed(false);
    // Every settings write that fails is told, from the first one on.
    WriteFailures::Install();
    struct TWriteFailuresOff
    {
        ~TWriteFailuresOff() { WriteFailures::Uninstall(); }
    } writeFailuresOff;
    ProcessServices services;
    // Set before the shell texts are made: the last-change date is written in this locale.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    SetUpProcessServices(services);

    TSingleInstance instance;
    QString lockProblem;
    switch (instance.becomePrimary(&lockProblem)) {
    case TSingleInstance::TRole::Primary:
        break;
    case TSingleInstance::TRole::Secondary:
        if (arguments.verb != TVerb::None) {
            TVerbResult result;
            instance.askPrimary(arguments, &result);
            return PrintResult(result);
        }
        if (instance.sendToPrimary("activate"))
            return 0;
        // The lock is held, but nobody takes the request.
        ReportStartFailure(QStringLiteral("Файл блокировки %1 занят, но запущенная копия "
                                          "программы не отвечает.\rЕсли Kestrolin не запущен, "
                                          "удалите этот файл.")
                               .arg(QDir::toNativeSeparators(instance.lockPath())));
        return 1;
    case TSingleInstance::TRole::Failed:
        ReportStartFailure(
            QStringLiteral("Не удаётся проверить, не запущена ли уже другая копия программы.\r") +
            lockProblem);
        return 1;
    }

    LoadRussianTranslations(app);
    QApplication::setApplicationName(Constants::ProductName);
    QApplication::setApplicationDisplayName(Constants::ProductName);
    HelpFile = Constants::HelpFileName;

    int exitCode = 0;
    {
        THelpViewerSeam help;
        TScopedSeam helpSeam(SetHelpViewer, &help);
        TfmMain main;
        // Verbs from other copies, from the hotkey and from this start's own command line.
        TVerbs verbs;
        verbs.SetWindow(&main);
        ConnectProfileVerbs(verbs, &main);
        instance.setVerbHandler(
            [&verbs](const TProgramArguments& verb, const TSingleInstance::TReply& reply) {
                verbs.Execute(verb, reply);
            });
        TProgramHotkey hotkey([&verbs] { verbs.Toggle(); });
        QObject::connect(&instance, &TSingleInstance::activationRequested, &main,
                         &TfmMain::ActivateFromOtherInstance);
        QObject::connect(&instance, &TSingleInstance::reshowRequested, &main,
                         [&main] { SendMessage(&main, UM_RESHOW); });
        // The end of the desktop session ends the program as the exit action does, so the
        // position and the menu order are written.
        QObject::connect(&app, &QGuiApplication::commitDataRequest, &main,
                         [&main](QSessionManager&) { main.ExitActionExecute(); });
        WatchSessionEnd(&main, [&main] { main.ExitActionExecute(); });
        main.show();
        // Said once the window is up, so the box has the program behind it.
        QTimer::singleShot(0, &hotkey, [&hotkey] { hotkey.Apply(true); });
        if (arguments.verb != TVerb::None) {
            // This copy is the one that runs now: the window it opens is already in front, so
            // a toggle shows it.
            TProgramArguments own = arguments;
            if (own.verb == TVerb::Toggle)
                own.verb = TVerb::Show;
            verbs.Execute(own, [](const TVerbResult& result) { PrintResult(result); });
        }
        exitCode = QApplication::exec();
    }
    return exitCode;
}
