#include "app/Application.h"

#include "app/Main.h"
#include "app/SingleInstance.h"
#include "platform/Shell.h"
#include "settings/Constants.h"
#include "settings/Folders.h"
#include "settings/SharedFiles.h"
#include "settings/SystemSettings.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

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

} // namespace

int RunKestrolin(int argc, char** argv)
{
    QApplication app(argc, argv);
    ProcessServices services;

    Folders::initialize(QCoreApplication::applicationDirPath());
    services.settings = std::make_unique<TSystemSettings>(Folders::appFolder());
    SystemSettings = services.settings.get();
    InitializeShellTexts();
    services.pages = std::make_unique<IniFile>(Folders::appFolder() + Constants::PagesFileName);
    PagesFile = services.pages.get();
    services.commands =
        std::make_unique<IniFile>(Folders::appFolder() + Constants::CommandsFileName);
    CommandsFile = services.commands.get();

    TSingleInstance instance;
    if (!instance.becomePrimary()) {
        instance.sendToPrimary("activate");
        return 0;
    }

    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    LoadRussianTranslations(app);
    QApplication::setApplicationName(Constants::ProductName);
    QApplication::setApplicationDisplayName(Constants::ProductName);
    HelpFile = Constants::HelpFileName;

    int exitCode = 0;
    {
        TfmMain main;
        QObject::connect(&instance, &TSingleInstance::activationRequested, &main,
                         &TfmMain::ActivateFromOtherInstance);
        QObject::connect(&instance, &TSingleInstance::reshowRequested, &main,
                         &TfmMain::ActivateFromOtherInstance);
        main.show();
        exitCode = QApplication::exec();
    }
    return exitCode;
}
