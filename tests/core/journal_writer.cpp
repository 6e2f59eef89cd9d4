// The child of tst_journal's kill test: writes the four files of a folder together, generation
// after generation, until it is killed, or as many generations as its second argument says.
// Only the core library, so that it starts fast.
#include "settings/IniFile.h"

#include <QString>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 3)
        return 2;
    const int count = argc == 3 ? std::atoi(argv[2]) : -1;
    const QString folder = QString::fromLocal8Bit(argv[1]);
    // The same files and sections as tst_journal checks.
    const char* names[] = {"Options.ini", "Pages.ini", "Commands.ini", "RunStat.ini"};
    constexpr int sections = 200;
    std::vector<std::unique_ptr<IniFile>> files;
    for (const char* name : names)
        files.push_back(std::make_unique<IniFile>(folder + u'/' + QLatin1String(name)));
    int generation = files.front()->readInteger("Meta", "Generation", 0);
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    for (int written = 0; count < 0 || written < count; ++written) {
        ++generation;
        IniFile::Transaction transaction;
        for (auto& file : files) {
            file->writeInteger("Meta", "Generation", generation);
            for (int i = 0; i < sections; ++i)
                file->writeInteger(QString::number(i), "Value", generation);
        }
    }
    return 0;
}
