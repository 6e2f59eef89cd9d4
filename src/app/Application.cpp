#include "app/Application.h"

#include "app/HelpViewer.h"
#include "app/Main.h"
#include "commands/Messages.h"
#include "dialogs/Help.h"
#include "dialogs/WriteFailures.h"
#include "platform/MessageBoxes.h"
#include "platform/SessionEnd.h"
#include "platform/Shell.h"
#include "platform/SingleInstance.h"
#include "settings/Constants.h"
#include "settings/Folders.h"
#include "settings/SharedFiles.h"
#include "settings/SystemSettings.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QSessionManager>
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

} // namespace

int RunKestrolin(int argc, char** argv)
{
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

    Folders::initialize(QCoreApplication::applicationDirPath(), ProgramFolderHoldsSettings(),
                        Shell().WindowsFolder());
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

    TSingleInstance instance;
    QString lockProblem;
    switch (instance.becomePrimary(&lockProblem)) {
    case TSingleInstance::TRole::Primary:
        break;
    case TSingleInstance::TRole::Secondary:
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
    // Thousands of commands are read while the window is being made.
    IniFile::preload(services.commands->fileName());

    LoadRussianTranslations(app);
    QApplication::setApplicationName(Constants::ProductName);
    QApplication::setApplicationDisplayName(Constants::ProductName);
    HelpFile = Constants::HelpFileName;

    int exitCode = 0;
    {
        THelpViewerSeam help;
        SetHelpViewer(&help);
        TfmMain main;
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
        exitCode = QApplication::exec();
        SetHelpViewer(nullptr);
    }
    return exitCode;
}
