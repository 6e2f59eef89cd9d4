#pragma once

#include "TestSupport.h"
#include "app/Main.h"
#include "pages/MyPageControl.h"
#include "settings/Folders.h"
#include "settings/SharedFiles.h"
#include "settings/SystemSettings.h"

#include <QTemporaryDir>

#include <memory>

// A profile folder wired up as the running program wires it, and a main window on it.
struct TMainFixture
{
    QTemporaryDir dir;
    std::unique_ptr<TSystemSettings> settings;
    std::unique_ptr<IniFile> pages;
    std::unique_ptr<IniFile> commands;
    std::unique_ptr<TfmMain> main;
    bool terminated = false;

    TMainFixture(const QByteArray& options = QByteArray(),
                 const QByteArray& pagesIni = QByteArray(),
                 const QByteArray& commandsIni = QByteArray())
    {
        writeProfileFiles(dir.path(), options, pagesIni, commandsIni);
        Folders::initializeWith(dir.path());
        settings = std::make_unique<TSystemSettings>(Folders::appFolder());
        SystemSettings = settings.get();
        pages = std::make_unique<IniFile>(dir.filePath("Pages.ini"));
        PagesFile = pages.get();
        commands = std::make_unique<IniFile>(dir.filePath("Commands.ini"));
        CommandsFile = commands.get();
        main = std::make_unique<TfmMain>();
        main->OnTerminate = [this] { terminated = true; };
    }
    ~TMainFixture()
    {
        main.reset();
        CommandsFile = nullptr;
        PagesFile = nullptr;
        SystemSettings = nullptr;
        Folders::clear();
    }
    TMyPageControl* pc() const { return main->MainMyPageControl; }
    QString file(const QString& name) const { return dir.filePath(name); }
    // A desktop entry that starts program with a description.
    QString shortcut(const QString& name, const QString& program, const QString& comment) const
    {
        const QString path = dir.filePath(name);
        writeAll(path,
                 QString("[Desktop Entry]\nType=Application\nName=%1\nComment=%1\nExec=%2 --flag\n")
                     .arg(comment, program)
                     .toUtf8());
        return path;
    }
};
