// Feeds arbitrary bytes to the settings import's reader and checks, and what they accept to the
// summary. The first byte picks the entry point: the bytes as an archive, or split into the five
// settings files at each "\n--\n", so the summary's counting is reached without valid ZIP data.
#include "settings/IniFile.h"
#include "settings/SettingsArchive.h"

#include <cstdlib>

namespace {

void summarize(const TSettingsArchive& archive)
{
    const TSettingsSummary summary = SettingsArchive::Summarize(archive);
    if (summary.PageCount != summary.PageCaptions.size() || summary.CommandCount < 0 ||
        summary.PictureCount < 0 ||
        summary.MissingFiles.size() + qsizetype(archive.Files.size()) != 5)
        abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const QByteArray input(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    if (data[0] % 2 == 0) {
        TSettingsArchive archive;
        QString error;
        if (!SettingsArchive::ReadData(input, &archive, &error)) {
            if (error.isEmpty())
                abort();
            return 0;
        }
        // Whatever was accepted passed every check.
        if (archive.Files.empty())
            abort();
        for (const auto& [name, content] : archive.Files) {
            if (!SettingsFileNames().contains(name) ||
                content.size() > SettingsArchive::MaxEntrySize)
                abort();
            if (name.endsWith(QLatin1String(".ini")) && !IniFile::contentProblem(content).isEmpty())
                abort();
        }
        summarize(archive);
    } else {
        const QList<QByteArray> parts = input.split('\n');
        TSettingsArchive archive;
        const QStringList names = SettingsFileNames();
        QByteArray current;
        int file = 0;
        for (const QByteArray& line : parts) {
            if (line == "--" && file < names.size() - 1) {
                archive.Files[names[file++]] = current;
                current.clear();
                continue;
            }
            current += line + '\n';
        }
        archive.Files[names[file]] = current;
        summarize(archive);
    }
    return 0;
}
