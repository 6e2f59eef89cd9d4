// Feeds arbitrary bytes to the profile file reader as a file on disk, reads everything back,
// writes one key and checks that the rewritten file still holds what was read before, then that
// erasing sections leaves the others as they were.
#include "settings/IniFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

namespace {

struct Snapshot
{
    QStringList sections;
    QList<QStringList> keys;
    QList<QStringList> values;
};

Snapshot take(const IniFile& ini)
{
    Snapshot shot;
    shot.sections = ini.sections();
    for (const QString& section : std::as_const(shot.sections)) {
        QStringList keys = ini.keys(section);
        QStringList values;
        for (const QString& key : std::as_const(keys)) {
            const QString value = ini.readString(section, key, QStringLiteral("\x01missing"));
            if (value.size() > IniFile::MaxValueLength)
                abort();
            values.append(value);
            int number = 0;
            (void)IniFile::parseInteger(value, &number);
            (void)ini.readInteger(section, key, -1);
            (void)ini.readBool(section, key, false);
        }
        shot.keys.append(keys);
        shot.values.append(values);
    }
    return shot;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("fuzz.ini"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            abort();
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }

    const QString section = QStringLiteral("FuzzSection");
    const QString key = QStringLiteral("FuzzKey");
    const QString value = QStringLiteral("значение 0x10");
    Snapshot before;
    {
        IniFile ini(path);
        before = take(ini);
        if (!ini.writeString(section, key, value))
            abort();
        if (ini.readString(section, key, {}) != value)
            abort();
    }
    // A fresh object reads the rewritten file from disk.
    IniFile again(path);
    if (again.readString(section, key, {}) != value || !again.sectionExists(section))
        abort();
    for (int i = 0; i < before.sections.size(); ++i) {
        if (before.sections[i].compare(section, Qt::CaseInsensitive) == 0)
            continue;
        for (int k = 0; k < before.keys[i].size(); ++k)
            if (again.readString(before.sections[i], before.keys[i][k],
                                 QStringLiteral("\x01missing")) != before.values[i][k])
                abort();
    }
    (void)again.deleteKey(section, key);
    (void)again.eraseSection(section);
    if (again.readString(section, key, QStringLiteral("\x01gone")) != QStringLiteral("\x01gone"))
        abort();
    // Erasing a section read a moment ago leaves every other section as it was read.
    if (!before.sections.isEmpty()) {
        const QString victim = before.sections.first();
        (void)again.readString(victim, QStringLiteral("any"), {});
        (void)again.eraseSection(victim);
        if (again.sectionExists(victim))
            abort();
        for (int i = 0; i < before.sections.size(); ++i) {
            if (before.sections[i].compare(victim, Qt::CaseInsensitive) == 0 ||
                before.sections[i].compare(section, Qt::CaseInsensitive) == 0)
                continue;
            for (int k = 0; k < before.keys[i].size(); ++k)
                if (again.readString(before.sections[i], before.keys[i][k],
                                     QStringLiteral("\x01missing")) != before.values[i][k])
                    abort();
        }
    }
    return 0;
}
