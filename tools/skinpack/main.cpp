// skinpack: makes a skin file from a folder (a description .ini and the BMP files it names),
// unpacks one, or lists what one holds.
#include "skin/SkinReader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

namespace {

QTextStream& err()
{
    static QTextStream stream(stderr);
    return stream;
}

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

int usage()
{
    err() << "Usage:\n"
             "  skinpack pack <folder> <file.skn>     pack the files of a folder into a skin\n"
             "  skinpack unpack <file.skn> <folder>   write the entries of a skin into a folder\n"
             "  skinpack list <file.skn>              list the entries and their sizes\n";
    return 2;
}

bool readFile(const QString& path, QByteArray* bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        err() << "Cannot read " << path << ": " << file.errorString() << "\n";
        return false;
    }
    *bytes = file.readAll();
    return true;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        err() << "Cannot write " << path << ": " << file.errorString() << "\n";
        return false;
    }
    return true;
}

int pack(const QString& folder, const QString& target)
{
    QDir dir(folder);
    if (!dir.exists()) {
        err() << "No folder " << folder << "\n";
        return 1;
    }
    const QFileInfoList files = dir.entryInfoList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    QList<QPair<QString, QByteArray>> entries;
    bool haveDescription = false;
    for (const QFileInfo& info : files) {
        const QString name = info.fileName();
        bool latin1 = true;
        for (QChar c : name)
            latin1 = latin1 && c.unicode() < 256 && c != u'\r' && c != u'\n';
        if (!latin1) {
            err() << "Skipped " << name << ": entry names are single-byte text\n";
            continue;
        }
        QByteArray bytes;
        if (!readFile(info.filePath(), &bytes))
            return 1;
        // The reader takes the first entry whose name contains ".ini" as the description.
        if (!haveDescription && name.toLower().contains(QLatin1String(".ini"))) {
            entries.prepend({name, bytes});
            haveDescription = true;
        } else {
            entries.append({name, bytes});
        }
    }
    if (entries.size() > TSkinReader::MaxEntries) {
        err() << "Too many files: a skin holds at most " << TSkinReader::MaxEntries << "\n";
        return 1;
    }
    if (!haveDescription)
        err() << "Warning: no .ini description in " << folder << "\n";
    const QByteArray archive = TSkinReader::BuildArchive(entries);
    if (archive.size() > TSkinReader::MaxArchiveSize) {
        err() << "The skin would unpack to " << archive.size() << " bytes; the reader accepts "
              << TSkinReader::MaxArchiveSize << "\n";
        return 1;
    }
    const QByteArray file = TSkinReader::CompressArchive(archive);
    if (!writeFile(target, file))
        return 1;
    out() << "Packed " << entries.size() << " entries, " << archive.size() << " bytes into "
          << file.size() << " bytes: " << target << "\n";
    return 0;
}

bool load(const QString& path, TSkinReader* reader)
{
    QByteArray bytes;
    if (!readFile(path, &bytes))
        return false;
    QString error;
    if (reader->LoadSkin(bytes, &error) != TSkinReader::Status::Loaded) {
        err() << path << ": " << error.replace(u'\r', u'\n') << "\n";
        return false;
    }
    return true;
}

int list(const QString& path)
{
    TSkinReader reader;
    if (!load(path, &reader))
        return 1;
    for (int i = 0; i < reader.Count(); ++i)
        out() << reader.Sizes()[i] << "\t" << reader.Names()[i] << "\n";
    return 0;
}

int unpack(const QString& path, const QString& folder)
{
    TSkinReader reader;
    if (!load(path, &reader))
        return 1;
    if (!QDir().mkpath(folder)) {
        err() << "Cannot create " << folder << "\n";
        return 1;
    }
    const QDir dir(folder);
    int written = 0;
    for (int i = 0; i < reader.Count(); ++i) {
        const QString name = reader.Names()[i];
        // Names come from the file: never let one climb out of the folder.
        if (name.isEmpty() || name == u"." || name == u".." || name.contains(u'/') ||
            name.contains(u'\\') || name.contains(QChar(0))) {
            err() << "Skipped entry " << i << " with the unusable name \"" << name << "\"\n";
            continue;
        }
        if (!writeFile(dir.filePath(name), reader.Entry(i)))
            return 1;
        ++written;
    }
    out() << "Unpacked " << written << " entries into " << folder << "\n";
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 3 && args[0] == u"pack")
        return pack(args[1], args[2]);
    if (args.size() == 3 && args[0] == u"unpack")
        return unpack(args[1], args[2]);
    if (args.size() == 2 && args[0] == u"list")
        return list(args[1]);
    return usage();
}
