// The child of tst_settingsimport's kill test: imports two archives into a folder in turn, each
// import with its backup, until it is killed, or as many imports as its fourth argument says.
// Only the core library, so that it starts fast.
#include "settings/SettingsImport.h"

#include <QString>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 4 && argc != 5)
        return 2;
    const QString folder = QString::fromLocal8Bit(argv[1]);
    TSettingsArchive archives[2];
    for (int i = 0; i < 2; ++i) {
        QString error;
        if (!SettingsArchive::Read(QString::fromLocal8Bit(argv[2 + i]), &archives[i], &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 3;
        }
    }
    const int count = argc == 5 ? std::atoi(argv[4]) : -1;
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    for (int done = 0; count < 0 || done < count; ++done) {
        QString message;
        if (!ApplySettingsImport(archives[(done + 1) % 2], folder, &message)) {
            std::fprintf(stderr, "%s\n", qPrintable(message));
            return 1;
        }
    }
    return 0;
}
