#pragma once

// 50 pages of 5 columns x 20 buttons (5,000 commands) in a folder of their own, and the real page
// control on them, for the benchmarks that need a large profile.
#include "pages/MyPageControl.h"
#include "settings/IniFile.h"
#include "settings/SystemSettings.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <functional>
#include <memory>

struct TBigCommand
{
    QString exePath;
    QString description;
    QString parameters;
};

struct TBigProfile
{
    static constexpr int Pages = 50;
    static constexpr int PerPage = 100;

    QTemporaryDir dir;
    std::unique_ptr<TSystemSettings> settings;
    std::unique_ptr<IniFile> pages;
    std::unique_ptr<IniFile> commands;
    std::unique_ptr<TMyPageControl> control;

    // command: the command of a page's button; runCount, when given, its runs in RunStat.ini;
    // iconFromProgram: each command's icon path names its program, as commands made from
    // dropped files have it.
    explicit TBigProfile(const std::function<TBigCommand(int page, int button)>& command,
                         const std::function<int(int page, int button)>& runCount = {},
                         bool iconFromProgram = false)
    {
        const QString folder = dir.path() + '/';
        {
            IniFile options(folder + "Options.ini");
            IniFile::Batch batch(options);
            options.writeInteger("PageControl", "ColCount", 5);
            options.writeInteger("PageControl", "CommandsCount", 20);
            options.writeInteger("PageControl", "PagesCount", Pages);
        }
        {
            IniFile p(folder + "Pages.ini");
            IniFile c(folder + "Commands.ini");
            IniFile stat(folder + "RunStat.ini");
            IniFile::Batch pb(p), cb(c), sb(stat);
            for (int page = 0; page < Pages; ++page) {
                p.writeString(QString::number(page), "Caption", QString("Страница %1").arg(page));
                p.writeInteger(QString::number(page), "ImageIndex", -1);
                for (int b = 0; b < PerPage; ++b) {
                    const QString s = QString("%1\\%2").arg(page).arg(b);
                    const TBigCommand made = command(page, b);
                    c.writeString(s, "ExePath", made.exePath);
                    if (iconFromProgram)
                        c.writeString(s, "IconPath", made.exePath);
                    c.writeInteger(s, "IconIndex", 0);
                    c.writeString(s, "Description", made.description);
                    if (!made.parameters.isEmpty())
                        c.writeString(s, "Parameters", made.parameters);
                    if (runCount)
                        stat.writeInteger(s, "RunCount", runCount(page, b));
                }
            }
        }
        settings = std::make_unique<TSystemSettings>(folder);
        SystemSettings = settings.get();
        pages = std::make_unique<IniFile>(folder + "Pages.ini");
        commands = std::make_unique<IniFile>(folder + "Commands.ini");
        control =
            std::make_unique<TMyPageControl>(nullptr, settings.get(), pages.get(), commands.get());
        control->resize(5 * 43 + 28, 900);
    }
    ~TBigProfile()
    {
        control.reset();
        SystemSettings = nullptr;
    }
    // As in the program, the event loop runs between loading and the user's next step.
    bool load()
    {
        const bool loaded = control->LoadPages(nullptr, nullptr, nullptr, TEditCallback(), nullptr);
        // Wide enough for every row of tabs, as the main window makes it: a tab scrolled out of
        // sight takes no drop.
        control->resize(5 * 43 + 4 + control->TabRowsFor(900) * TMyPageControl::TabRowWidth, 900);
        QCoreApplication::sendPostedEvents();
        return loaded;
    }
};
