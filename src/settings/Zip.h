#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class TZip;

using TZipProgress = std::function<void(TZip* Sender, qint16 AProgress)>;
using TZipError = std::function<void(TZip* Sender, const QString& ErrorMsg)>;

// Writes a ZIP archive (format version 2.0: deflate, CRC-32, central directory) from a list of
// files. It only writes; an existing archive is never read or updated.
//
// Entries are stored under the bare file name, in unsigned byte order of the names; a later file
// with the same name replaces an earlier one. Paths that do not name an existing regular file
// are left out silently, and so is the archive itself when it is among the inputs.
//
// The archive is written to a temporary file beside it and put in place at the end, so a run
// that fails leaves an earlier archive of that name as it was.
class TZip : public QObject
{
public:
    explicit TZip(QObject* owner = nullptr);
    ~TZip() override;

    QString ArcName() const { return m_arcName; }
    void SetArcName(const QString& arcName) { m_arcName = arcName; }

    // Full paths of the files to pack, in the order given.
    QStringList& Files() { return m_files; }
    const QStringList& Files() const { return m_files; }

    bool Overwrite() const { return m_overwrite; }
    void SetOverwrite(bool overwrite) { m_overwrite = overwrite; }

    // Called with 100 after each file has been compressed, before its data is written.
    TZipProgress OnProgress;
    // Receives the writer's own reports (an input that cannot be read, nothing to pack, ...).
    // The core library has no message boxes: without a handler the report only goes to the log.
    TZipError OnError;

    // Returns false when writing the archive failed (error gets the reason); reports made
    // through OnError do not count as failures.
    bool Compress(QString* error = nullptr);

    // What the last Compress packed: the number of files in the archive it wrote (0 when it
    // wrote none, which it reports without failing), and the listed files that could not be
    // read into it, with their paths as given.
    int PackedCount() const { return m_packedCount; }
    const QStringList& SkippedFiles() const { return m_skippedFiles; }

private:
    void Report(const QString& message);

    QString m_arcName;
    QStringList m_files;
    bool m_overwrite = false;
    int m_packedCount = 0;
    QStringList m_skippedFiles;
};
